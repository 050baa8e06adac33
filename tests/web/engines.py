"""The three browser engines the page is held to, each behind selenium's WebDriver interface, so that one
test runs unchanged in all of them: Chromium (headless, chromedriver), Firefox ESR (headless, through
puppeteer-core over WebDriver BiDi: firefox.mjs, driven from here by a thin selenium-shaped wrapper) and
WebKitGTK (WebKitWebDriver driving wkbrowser.py, a bare window of the engine, on a private Xvfb server:
WebKitGTK has no headless mode).

    d = engines.launch("firefox", width=375, height=667, settings={"minimum_font": 24})
    d.get(url); d.find_element(By.ID, "SpeedButton2").click(); d.quit()

Settings an engine cannot take raise Unsupported: `minimum_font` (px), `text_zoom` (factor, text only),
`forced_colours`, `scripts` (False: scripts off). `scale` is the device pixel ratio.
"""

import base64
import json
import os
import shutil
import subprocess
import time

from selenium import webdriver
from selenium.webdriver.common.by import By
from selenium.webdriver.remote.command import Command

HERE = os.path.dirname(os.path.abspath(__file__))
ENGINES = ("chromium", "firefox", "webkit")
CHROMIUM, CHROMEDRIVER = "/usr/bin/chromium", "/usr/bin/chromedriver"
FIREFOX = "/usr/bin/firefox-esr"
WEBKITDRIVER = "/usr/bin/WebKitWebDriver"
PUPPETEER = os.path.join(HERE, "node_modules", "puppeteer-core")


class Unsupported(Exception):
    """The engine has no way to take a setting."""


def missing(engine):
    """Why the engine cannot run here (what scripts/install-deps test would install), or None."""
    needs = {"chromium": [CHROMIUM, CHROMEDRIVER], "firefox": [FIREFOX, PUPPETEER],
             "webkit": [WEBKITDRIVER, "/usr/bin/Xvfb"]}[engine]
    for tool in needs:
        if not os.path.exists(tool):
            return f"{tool} is missing"
    if engine == "firefox" and not shutil.which("node"):
        return "node is missing"
    if engine == "webkit":
        probe = subprocess.run(["/usr/bin/python3", "-c", "import gi; gi.require_version('WebKit2', '4.1')"],
                               capture_output=True)
        if probe.returncode:
            return "the WebKit2 4.1 GObject bindings are missing"
    return None


def launch(engine, width=1024, height=768, scale=1, settings=None, offline=True):
    """The engine, reaching no other machine; offline, in Chromium not even this one's servers (the other
    two reach them always: their pages come from disk or from this machine)."""
    settings = dict(settings or {})
    if engine == "chromium":
        d = _chromium(width, height, scale, settings, offline)
    else:
        d = {"firefox": Firefox, "webkit": _webkit}[engine](width, height, scale, settings)
    d.engine = engine
    return d


# --- Chromium -------------------------------------------------------------------------------------------
def _chromium(width, height, scale, settings, offline):
    from selenium.webdriver.chrome.options import Options
    from selenium.webdriver.chrome.service import Service

    if "text_zoom" in settings:
        raise Unsupported("Chromium has no text-only zoom (its font size setting leaves pixel sizes alone)")
    options = Options()
    for argument in ("--headless=new", "--no-sandbox", f"--window-size={width},{height}", "--disable-gpu",
                     "--proxy-server=127.0.0.1:9", f"--force-device-scale-factor={scale}"):
        options.add_argument(argument)
    # The dead proxy takes every address; offline, also this machine's own.
    if offline:
        options.add_argument("--proxy-bypass-list=<-loopback>")
    if "minimum_font" in settings:
        options.add_experimental_option("prefs", {"webkit.webprefs.minimum_font_size": settings["minimum_font"]})
    options.binary_location = CHROMIUM
    # Its console is kept (driver.get_log("browser")).
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    d = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
    if offline:
        # No network at all, as on a student's laptop offline.
        d.execute_cdp_cmd("Network.enable", {})
        d.execute_cdp_cmd("Network.emulateNetworkConditions",
                          {"offline": True, "latency": 0, "downloadThroughput": 0, "uploadThroughput": 0})
    if settings.get("forced_colours"):
        d.execute_cdp_cmd("Emulation.setEmulatedMedia", {"features": [{"name": "forced-colors", "value": "active"}]})
    if settings.get("scripts") is False:
        d.execute_cdp_cmd("Emulation.setScriptExecutionDisabled", {"value": True})
    d.version = "Chromium " + d.capabilities.get("browserVersion", "?")
    return d


# --- Firefox ----------------------------------------------------------------------------------------------
class FirefoxError(Exception):
    pass


class FirefoxElement:
    """The part of selenium's WebElement the page tests use."""

    def __init__(self, driver, ref):
        self._d, self._ref = driver, ref

    @property
    def id(self):
        return self._ref["$el"]

    def _run(self, script, *args):
        return self._d.execute_script(script, self, *args)

    def click(self):
        self._d._call("click", el=self._ref)

    def send_keys(self, *value):
        self._d._call("keys", el=self._ref, text="".join(str(v) for v in value))

    @property
    def text(self):
        return self._run("const e = arguments[0];"
                         "return e.checkVisibility({visibilityProperty: true}) ? e.innerText.trim() : '';")

    def get_attribute(self, name):
        # As selenium's: the attribute, else the property of that name.
        return self._run("const e = arguments[0], a = e.getAttribute(arguments[1]);"
                         "if (a !== null) return a; const p = e[arguments[1]];"
                         "return p === undefined || p === null ? null : String(p);", name)

    def is_displayed(self):
        return self._run("const e = arguments[0]; return e.checkVisibility({visibilityProperty: true,"
                         " opacityProperty: true}) && e.getClientRects().length > 0;")

    def __eq__(self, other):
        return isinstance(other, FirefoxElement) and self._run("return arguments[0] === arguments[1]", other)

    def __hash__(self):
        return hash(self.id)


class _SwitchTo:
    def __init__(self, driver):
        self._d = driver

    @property
    def active_element(self):
        return self._d.execute_script("return document.activeElement")

    def frame(self, element):
        self._d._call("frame", el=element._ref)

    def default_content(self):
        self._d._call("frame", el=None)


class Firefox:
    """Headless Firefox ESR with the selenium WebDriver methods the page tests use; ActionChains work on it
    too, through execute()."""

    PREFS = {"minimum_font": lambda v: {"font.minimum-size.x-western": v},
             # The system's text scale, applied as a text-only zoom.
             "text_zoom": lambda v: {"ui.textScaleFactor": round(v * 100), "browser.display.os-zoom-behavior": 2},
             "forced_colours": lambda v: {"browser.display.document_color_use": 2 if v else 0},
             "scripts": lambda v: {"javascript.enabled": bool(v)}}

    def __init__(self, width, height, scale, settings):
        prefs = {"network.proxy.type": 1, "network.proxy.http": "127.0.0.1", "network.proxy.http_port": 9,
                 "network.proxy.share_proxy_settings": True, "network.proxy.no_proxies_on": "127.0.0.1,localhost",
                 "network.proxy.allow_hijacking_localhost": False}
        for name, value in settings.items():
            prefs.update(self.PREFS[name](value))
        launch = {"prefs": prefs, "width": width, "height": height, "scale": scale}
        self._proc = subprocess.Popen(["node", os.path.join(HERE, "firefox.mjs"), json.dumps(launch)], cwd=HERE,
                                      stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1)
        self._next = 0
        self._scale = scale
        self.switch_to = _SwitchTo(self)
        hello = self._read()
        self.version = "Firefox " + hello["version"].split("/")[-1]

    def _read(self):
        line = self._proc.stdout.readline()
        if not line:
            raise FirefoxError(f"the Firefox driver ended (exit status {self._proc.poll()})")
        return json.loads(line)

    def _call(self, cmd, **params):
        self._next += 1
        self._proc.stdin.write(json.dumps(dict(params, id=self._next, cmd=cmd)) + "\n")
        self._proc.stdin.flush()
        answer = self._read()
        if not answer["ok"]:
            raise FirefoxError(f"{cmd}: {answer['error']}")
        return answer["value"]

    def _wrap(self, value):
        if isinstance(value, dict) and set(value) == {"$el"}:
            return FirefoxElement(self, value)
        if isinstance(value, list):
            return [self._wrap(v) for v in value]
        return value

    def _script(self, script, args, asynchronous):
        def refs(value):
            if isinstance(value, FirefoxElement):
                return value._ref
            return [refs(v) for v in value] if isinstance(value, (list, tuple)) else value
        return self._wrap(self._call("execute", script=script, args=refs(list(args)), **{"async": asynchronous}))

    def execute_script(self, script, *args):
        return self._script(script, args, False)

    def execute_async_script(self, script, *args):
        return self._script(script, args, True)

    def _find(self, by, value, every):
        selector = {By.ID: lambda v: "#" + v.replace(":", "\\:"), By.CSS_SELECTOR: lambda v: v,
                    By.TAG_NAME: lambda v: v, By.CLASS_NAME: lambda v: "." + v}[by](value)
        found = self._wrap(self._call("find", selector=selector, all=every))
        if found is None:
            raise FirefoxError(f"no element {by} {value!r}")
        return found

    def find_element(self, by=By.ID, value=None):
        return self._find(by, value, False)

    def find_elements(self, by=By.ID, value=None):
        return self._find(by, value, True)

    def get(self, url):
        self._call("goto", url=url)

    @property
    def title(self):
        return self.execute_script("return document.title")

    def set_window_size(self, width, height):
        self._call("viewport", width=width, height=height, scale=self._scale)

    def set_scale(self, scale):
        self._scale = scale
        size = self.execute_script("return [innerWidth, innerHeight]")
        self._call("viewport", width=size[0], height=size[1], scale=scale)

    def execute(self, command, params=None):
        """WebDriver's actions, as ActionChains send them: the key source's, in order."""
        if command == Command.W3C_ACTIONS:
            for source in params["actions"]:
                if source["type"] == "key":
                    self._call("actions", actions=source["actions"])
                elif any(a["type"] != "pause" for a in source["actions"]):
                    raise FirefoxError("only key actions are supported")
            return {"value": None}
        if command == Command.W3C_CLEAR_ACTIONS:
            return {"value": None}
        raise FirefoxError(f"no WebDriver command {command}")

    def screenshot_clip(self, x, y, width, height):
        return base64.b64decode(self._call("screenshot", clip={"x": x, "y": y, "width": width, "height": height}))

    def pdf(self, width_in, height_in):
        return base64.b64decode(self._call("pdf", width=f"{width_in}in", height=f"{height_in}in"))

    def quit(self):
        if self._proc.poll() is None:
            try:
                self._call("close")
            except (FirefoxError, BrokenPipeError):
                pass
            try:
                self._proc.wait(timeout=20)
            except subprocess.TimeoutExpired:
                self._proc.kill()
                self._proc.wait()


# --- WebKitGTK ----------------------------------------------------------------------------------------------
def start_xvfb(width, height):
    """A private X server on a free display (-displayfd); returns (process, ":N")."""
    read, write = os.pipe()
    proc = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", f"{width}x{height}x24",
                             "-nolisten", "tcp", "-noreset"], pass_fds=(write,),
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read, 16)
        if not chunk:
            os.close(read)
            raise RuntimeError("Xvfb did not start")
        number += chunk
    os.close(read)
    return proc, ":" + number.decode().strip()


def _webkit(width, height, scale, settings):
    from selenium.webdriver.webkitgtk.options import Options
    from selenium.webdriver.webkitgtk.service import Service

    if settings.get("forced_colours"):
        raise Unsupported("WebKitGTK has no forced colours")
    xvfb, display = start_xvfb(max(1280, (width + 64) * scale), max(1024, (height + 64) * scale))
    options = Options()
    options.binary_location = os.path.join(HERE, "wkbrowser.py")
    # The driver matches the browser by the name it reports.
    options.set_capability("browserName", "wkbrowser")
    options.add_argument("--automation")
    names = {"minimum_font": "minimum-font-size", "scripts": "enable-javascript"}
    for name, value in settings.items():
        if name == "text_zoom":
            options.add_argument("--set=zoom-text-only=true")
            options.add_argument(f"--zoom={value}")
        else:
            options.add_argument(f"--set={names[name]}={str(value).lower()}")
    # GDK_SCALE is WebKitGTK's only way to a device pixel ratio above 1.
    env = dict(os.environ, DISPLAY=display, GDK_SCALE=str(scale), GDK_BACKEND="x11", NO_AT_BRIDGE="1")
    # The driver started here with its own display: selenium's WebKitGTK class would give it ours.
    service = Service(WEBKITDRIVER, env=env)
    try:
        service.start()
        d = webdriver.Remote(command_executor=service.service_url, options=options)
    except Exception:
        service.stop()
        xvfb.terminate()
        xvfb.wait()
        raise
    d.set_window_size(width, height)
    d.version = "WebKitGTK " + d.capabilities.get("browserVersion", "?")
    d.display = display
    quit_driver = d.quit

    def quit_all():
        try:
            quit_driver()
        finally:
            service.stop()
            xvfb.terminate()
            xvfb.wait()

    d.quit = quit_all
    return d


# --- what differs between them ------------------------------------------------------------------------------
def viewport(d, width, height):
    """Makes the page's view exactly width x height CSS pixels (the window around it as it must be)."""
    d.set_window_size(width, height)
    if d.engine == "chromium":
        inner = d.execute_script("return [innerWidth, innerHeight]")
        if inner != [width, height]:
            d.set_window_size(2 * width - inner[0], 2 * height - inner[1])
    end = time.time() + 5
    while time.time() < end and d.execute_script("return [innerWidth, innerHeight]") != [width, height]:
        time.sleep(0.05)
    return d.execute_script("return [innerWidth, innerHeight]")


def capture(d, x, y, width, height, scale, folder):
    """A PNG of the page from (x, y) (document CSS pixels), width x height, at `scale` device pixels per
    CSS pixel (Firefox and WebKitGTK: the driver's own scale, set when it was opened)."""
    if d.engine == "chromium":
        shot = d.execute_cdp_cmd("Page.captureScreenshot", {
            "format": "png", "captureBeyondViewport": False,
            "clip": {"x": x, "y": y, "width": width, "height": height, "scale": scale}})
        return base64.b64decode(shot["data"])
    if d.engine == "firefox":
        return d.screenshot_clip(x, y, width, height)
    # WebKitGTK's element screenshots come back black: the view's, cut with ImageMagick. The view shows the
    # last frame painted, so wait for two more first.
    d.execute_script("window.scrollTo(arguments[0], arguments[1])", max(0, x - 8), max(0, y - 8))
    d.execute_async_script("const done = arguments[0]; requestAnimationFrame(() => requestAnimationFrame(done));")
    sx, sy = d.execute_script("return [scrollX, scrollY]")
    whole = os.path.join(folder, "view.png")
    with open(whole, "wb") as f:
        f.write(d.get_screenshot_as_png())
    crop = f"{round(width * scale)}x{round(height * scale)}+{round((x - sx) * scale)}+{round((y - sy) * scale)}"
    return subprocess.run(["convert", whole, "-crop", crop, "+repage", "png:-"], check=True,
                          capture_output=True).stdout


def pdf(d, paper):
    """The page printed to PDF on A4 or Letter, with the browser's default margins."""
    width, height = {"A4": (8.27, 11.69), "Letter": (8.5, 11)}[paper]
    if d.engine == "chromium":
        out = d.execute_cdp_cmd("Page.printToPDF", {"paperWidth": width, "paperHeight": height})
        return base64.b64decode(out["data"])
    if d.engine == "firefox":
        return d.pdf(width, height)
    raise Unsupported("WebKitGTK's WebDriver does not print")

