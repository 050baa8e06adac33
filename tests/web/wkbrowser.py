#!/usr/bin/python3
"""A bare WebKitGTK window for WebKitWebDriver (it starts this as its browser, with --automation): unlike
the engine's MiniBrowser it has no toolbar and no least width, so its window is the page's view, and it
takes the engine's settings a student can change: --set=NAME=VALUE for any WebKitSettings property
(minimum-font-size=24, enable-javascript=false, zoom-text-only=true) and --zoom=FACTOR.
"""

import sys

import gi

gi.require_version("Gtk", "3.0")
gi.require_version("WebKit2", "4.1")
from gi.repository import GObject, Gtk, WebKit2  # noqa: E402

settings = WebKit2.Settings()
zoom, automation = 1.0, False
for argument in sys.argv[1:]:
    if argument == "--automation":
        automation = True
    elif argument.startswith("--zoom="):
        zoom = float(argument[len("--zoom="):])
    elif argument.startswith("--set="):
        name, text = argument[len("--set="):].split("=", 1)
        prop = settings.find_property(name)
        if prop is None:
            sys.exit(f"wkbrowser: WebKitSettings has no {name}")
        kind = prop.value_type
        if kind == GObject.TYPE_BOOLEAN:
            value = text.lower() in ("1", "true", "yes")
        elif kind in (GObject.TYPE_INT, GObject.TYPE_UINT) or kind.is_a(GObject.TYPE_ENUM):
            value = int(text)
        elif kind in (GObject.TYPE_FLOAT, GObject.TYPE_DOUBLE):
            value = float(text)
        else:
            value = text
        settings.set_property(name, value)

context = WebKit2.WebContext(website_data_manager=WebKit2.WebsiteDataManager.new_ephemeral())
context.set_automation_allowed(automation)
windows = []


def closed(window):
    windows.remove(window)
    if not windows:
        Gtk.main_quit()


def new_view(*_):
    view = WebKit2.WebView(web_context=context, settings=settings, is_controlled_by_automation=automation)
    view.set_zoom_level(zoom)
    window = Gtk.Window()
    window.set_default_size(1024, 768)
    window.add(view)
    window.connect("destroy", closed)
    view.connect("close", lambda v: window.destroy())
    windows.append(window)
    window.show_all()
    return view


def automation_started(_context, session):
    info = WebKit2.ApplicationInfo.new()
    info.set_name("wkbrowser")
    info.set_version(WebKit2.get_major_version(), WebKit2.get_minor_version(), WebKit2.get_micro_version())
    session.set_application_info(info)
    session.connect("create-web-view", new_view)


context.connect("automation-started", automation_started)
if not automation:
    new_view().load_uri(sys.argv[-1])
Gtk.main()
