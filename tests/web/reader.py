"""The web edition for every student, in headless Chromium: no accessibility violation found by axe-core
in any state a student meets (start, mid-walk, the end, the refusal, the about box; both languages; 360
and 1024 px wide); a phone's layout in Chromium's mobile emulation (no sideways scroll, the panels
within the width, each shown by a tap on its tab where only one fits, steps taken by tap, the grid menu
by long press and by its button, targets of at least 24 x 24 px); what a screen reader is given, read from the browser's accessibility tree (levels, taken
rows, one announcement per step, restart and language switch announced, the refusal's focus); visible
focus; and the Content-Security-Policy refusing an inline script and eval.

Usage: reader.py PATH/TO/mohrwalk-figures. Exits 77 when chromium, chromedriver, selenium or axe-core
(scripts/install-deps test) is missing.
"""

import os
import shutil
import sys
import time
import urllib.parse

sys.path.insert(0, os.path.dirname(__file__))
from walk import NODES, Page, fail, failures, on_exported_page, wait_until  # noqa: E402  (exits 77 without selenium)
from selenium.webdriver.common.by import By  # noqa: E402
from selenium.webdriver.common.keys import Keys  # noqa: E402

AXE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "node_modules", "axe-core", "axe.min.js")


def open_page(d, url, lang="nl"):
    d.get(url)
    if wait_until(lambda: d.execute_script("return window.mohrwalkReady === true")) is None:
        fail(f"{url}: the page did not get ready")
    page = Page(d, "nl")
    if lang == "en":
        d.execute_script("document.getElementById('SpeedButton4').click()")
        page.lang = "en"
    return page


def take(d, page, rows):
    """Takes the rows by a click on each, as a mouse does (the row is shown by then)."""
    for k in rows:
        d.execute_script("arguments[0].click()", page.row(k))


# --- axe-core -----------------------------------------------------------------------------------------------
def axe_violations(d):
    if not d.execute_script("return typeof window.axe === 'object'"):
        # WebDriver's scripts are not the page's own: the policy against inline scripts does not stop them.
        with open(AXE, encoding="utf-8") as f:
            d.execute_script(f.read())
    return d.execute_async_script(
        "const done = arguments[arguments.length - 1];"
        "axe.run(document, {resultTypes: ['violations'],"
        "  rules: {'label-content-name-mismatch': {enabled: true}}}).then("
        "  (r) => done(r.violations.map((v) => v.id + ' (' + v.impact + '): ' +"
        "    v.nodes.map((n) => n.target.join(' ')).join(', '))),"
        "  (e) => done(['axe failed: ' + e]));")


def check_axe(d, url):
    checked = 0
    for width in (1024, 360):
        d.set_window_size(width, 800)
        for lang in ("nl", "en"):
            page = open_page(d, url, lang)
            states = []

            def look(what):
                nonlocal checked
                checked += 1
                for v in axe_violations(d):
                    fail(f"axe at {width} px, {lang}, {what}: {v}")

            look("at the start")
            take(d, page, range(10))
            look("mid-walkthrough")
            d.execute_script("arguments[0].click()", page.row(20))
            if not d.find_element(By.ID, "Information").is_displayed():
                fail(f"axe at {width} px, {lang}: a jump was not refused")
            look("with the refusal open")
            d.find_element(By.ID, "InformationOK").click()
            take(d, page, range(10, len(NODES)))
            if not all(page.checked()):
                fail(f"axe at {width} px, {lang}: the walk did not reach the end")
            look("at the end")
            d.find_element(By.ID, "SpeedButton1").click()
            look("with the about box open")
            d.find_element(By.ID, "BitBtn1").click()
            del states
    return checked


# --- a phone --------------------------------------------------------------------------------------------------
def emulate_phone(d, width, height):
    d.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                      {"width": width, "height": height, "deviceScaleFactor": 2, "mobile": True})
    d.execute_cdp_cmd("Emulation.setTouchEmulationEnabled", {"enabled": True, "maxTouchPoints": 5})


def touch(d, element, hold=0.0):
    """A finger on the middle of the element (scrolled into view first), lifted after `hold` seconds."""
    d.execute_script("arguments[0].scrollIntoView({block: 'center'})", element)
    r = d.execute_script("const r = arguments[0].getBoundingClientRect();"
                         "return [r.left + r.width / 2, r.top + r.height / 2];", element)
    point = [{"x": r[0], "y": r[1]}]
    d.execute_cdp_cmd("Input.dispatchTouchEvent", {"type": "touchStart", "touchPoints": point})
    if hold:
        time.sleep(hold)
    d.execute_cdp_cmd("Input.dispatchTouchEvent", {"type": "touchEnd", "touchPoints": []})


def show_drawing(d, panel):
    """Where only one drawing fits, a tap on the tab of the panel's group shows it."""
    tab = d.execute_script("return document.querySelector('#DrawingTabs [aria-controls=' +"
                           " document.getElementById(arguments[0]).closest('section').id + ']')", panel)
    if tab.is_displayed():
        touch(d, tab)
        if wait_until(lambda: d.find_element(By.ID, panel).is_displayed()) is None:
            fail(f"a tap on the tab {tab.text!r} did not show {panel}")


def check_phone(d, url):
    for width, height in ((320, 640), (360, 740), (768, 1024)):
        emulate_phone(d, width, height)
        page = open_page(d, url)
        where = f"phone {width} px"
        for name, panel in (("element", "PaintBox2"), ("diagram", "PaintBox1")):
            # Where only one drawing fits, the other is a tap on its tab away.
            show_drawing(d, panel)
            sizes = d.execute_script(
                "const r = document.getElementById(arguments[0]).getBoundingClientRect();"
                "return [document.documentElement.scrollWidth, window.innerWidth, r.left, r.right, r.width, r.height]",
                panel)
            if sizes[0] > sizes[1]:
                fail(f"{where}: the page scrolls sideways ({sizes[0]} px wide in {sizes[1]})")
            left, right, w, h = sizes[2:]
            if left < 0 or right > sizes[1] or w < 100 or abs(w - h) > 1:
                fail(f"{where}: the {name} panel spans {left:.0f} to {right:.0f} px, {w:.0f} x {h:.0f}")
        # The svg scales with its panel, so the drawing stays a vector drawing at any size.
        scaled = d.execute_script("const s = document.querySelector('#PaintBox1 svg').getBoundingClientRect();"
                                  "return [s.width, document.getElementById('PaintBox1').clientWidth];")
        if abs(scaled[0] - scaled[1]) > 1:
            fail(f"{where}: the diagram's drawing is {scaled[0]} px in a {scaled[1]} px panel")
        # Steps by tap: the first three, then a jump refused.
        for k in range(3):
            touch(d, page.row(k))
            if wait_until(lambda: page.checked()[k]) is None:
                fail(f"{where}: a tap on row {k} took no step")
        touch(d, next(page.row(k) for k in range(4, len(NODES)) if page.row(k).is_displayed()))
        if wait_until(d.find_element(By.ID, "Information").is_displayed) is None:
            fail(f"{where}: a tapped jump was not refused")
        else:
            touch(d, d.find_element(By.ID, "InformationOK"))
        # The grid menu: by a long press on the diagram, and by its own button in sight.
        show_drawing(d, "PaintBox1")
        menu = d.find_element(By.ID, "PopupMenu1")
        touch(d, d.find_element(By.ID, "PaintBox1"), hold=0.9)
        if wait_until(menu.is_displayed) is None:
            fail(f"{where}: a long press on the diagram did not open the grid menu")
        else:
            touch(d, d.find_element(By.ID, "OFF1"))
            if wait_until(lambda: not menu.is_displayed()) is None:
                fail(f"{where}: the grid menu stayed open after its entry")
        button = d.find_element(By.ID, "GridMenuButton")
        touch(d, button)
        if wait_until(menu.is_displayed) is None:
            fail(f"{where}: the grid menu button did not open the menu")
        touch(d, d.find_element(By.ID, "ON1"))
        # Every target a finger needs is at least 24 x 24 CSS pixels.
        small = d.execute_script(
            "return [...document.querySelectorAll('button, [role=treeitem], [role=tab], [role=menuitem]')]"
            ".filter((e) => e.getClientRects().length).map((e) => [e.id || e.textContent,"
            " e.getBoundingClientRect().width, e.getBoundingClientRect().height])"
            ".filter(([, w, h]) => w < 24 || h < 24);")
        for name, w, h in small:
            fail(f"{where}: {name!r} is a {w:.0f} x {h:.0f} px target")
    d.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})
    d.execute_cdp_cmd("Emulation.setTouchEmulationEnabled", {"enabled": False})


# --- what a screen reader is given ----------------------------------------------------------------------------
def ax_nodes(d):
    d.execute_cdp_cmd("Accessibility.enable", {})
    return d.execute_cdp_cmd("Accessibility.getFullAXTree", {})["nodes"]


def prop(node, name):
    for p in node.get("properties", []):
        if p["name"] == name:
            return p["value"].get("value")
    return None


def ax_rows(d):
    return [n for n in ax_nodes(d) if n.get("role", {}).get("value") == "treeitem" and not n.get("ignored")]


def listen(d):
    d.execute_script(
        "window.heard = [];"
        "const live = document.getElementById('Announcer');"
        "new MutationObserver(() => { if (live.textContent) window.heard.push(live.textContent); })"
        "  .observe(live, {childList: true, characterData: true, subtree: true});")


def heard(d):
    time.sleep(0.4)
    words = d.execute_script("const h = window.heard; window.heard = []; return h;")
    return words


def check_reader(d, url):
    d.set_window_size(1024, 800)
    page = open_page(d, url)
    rows = ax_rows(d)
    # Collapsed rows are not in the reader's tree; the top rows carry level 1 and their place.
    if not rows or any(prop(r, "level") != 1 for r in rows):
        fail(f"reader: the rows at the start are {[(r['name']['value'], prop(r, 'level')) for r in rows]}")
    # A row is named by its own text, as on the desktop: the drawn +/- signs are not read.
    texts = d.execute_script("return [...document.querySelectorAll('#TreeView1 [role=treeitem]:not([hidden])')]"
                             ".map((e) => e.textContent)")
    if [r["name"]["value"] for r in rows] != texts:
        fail(f"reader: the rows are read as {[r['name']['value'] for r in rows]}, not {texts}")
    if any(prop(r, "checked") not in ("false", False) for r in rows):
        fail("reader: a row at the start is not read as not taken")
    if d.execute_script("return document.documentElement.lang") != "nl":
        fail("reader: the page's language at the start is not nl")
    listen(d)
    # Steps whose explanation keeps the focus on the row are announced, once each; the others move the
    # focus into the explanation, a region described by its whole text, which a reader then reads.
    steps = d.execute_script("return MOHRWALK_DATA.steps.nl.map((p) => p.some((a) => a[0] === 'top'))")
    for k in range(len(NODES)):
        page.row(k).click()
        words = heard(d)
        memo = page.memo()
        if steps[k]:
            if page.active().get_attribute("id") != "Memo1":
                fail(f"reader: after step {k} the focus is not in the explanation")
            if words:
                fail(f"reader: step {k} moved the focus and was also announced: {words!r}")
            focused = [n for n in ax_nodes(d) if prop(n, "focused") and n["role"]["value"] != "RootWebArea"]
            given = [(n["role"]["value"], n["name"]["value"], n.get("description", {}).get("value")) for n in focused]
            if given != [("region", "Uitleg", memo)]:
                fail(f"reader: after step {k} the focus is on {given}, not the region Uitleg described by {memo!r}")
        elif words != [memo]:
            fail(f"reader: step {k} was announced as {words!r}, not once as the explanation")
        if k == 13:
            levels = {r["name"]["value"]: prop(r, "level") for r in ax_rows(d)}
            taken = [r for r in ax_rows(d) if prop(r, "checked") in ("true", True)]
            if sorted(set(levels.values())) != [1, 2, 3]:
                fail(f"reader: mid-walk the tree's levels are {sorted(set(levels.values()))}")
            if len(taken) != sum(1 for i in range(14) if page.row(i).is_displayed()):
                fail(f"reader: mid-walk {len(taken)} rows are read as taken")
            print("reader: after step 13 the live region said", repr(words), flush=True)
            # The panels are images named and described as on the desktop.
            images = {n["name"]["value"]: n.get("description", {}).get("value", "") for n in ax_nodes(d)
                      if n.get("role", {}).get("value") in ("image", "img") and not n.get("ignored")}
            for name in ("Tekening van het element", "Tekening van de tensorkring"):
                if not images.get(name):
                    fail(f"reader: no image {name!r} with a description among {list(images)}")
    # A refusal: an alert dialog holding the focus, given back to the row.
    d.find_element(By.ID, "SpeedButton2").click()
    words = heard(d)
    if words != ["opnieuw begonnen"]:
        fail(f"reader: restart was announced as {words!r}")
    page.row(0).click()
    heard(d)
    page.key(Keys.ESCAPE)
    page.key(Keys.ARROW_DOWN)
    row = page.active().get_attribute("data-index")
    page.key(Keys.ENTER)
    nodes = ax_nodes(d)
    # A dialog: Chromium gives an alert dialog to readers as an alert, which Orca reads on showing, on
    # every change and with the focus.
    dialog = [n for n in nodes if n.get("role", {}).get("value") in ("dialog", "alertdialog", "alert")
              and not n.get("ignored")]
    focused = [n for n in nodes if prop(n, "focused") and n["role"]["value"] != "RootWebArea"]
    description = d.find_element(By.ID, "InformationText").text
    if len(dialog) != 1 or dialog[0]["role"]["value"] != "dialog" or dialog[0]["name"]["value"] != "Information" \
            or prop(dialog[0], "modal") is not True or dialog[0].get("description", {}).get("value") != description:
        fail(f"reader: the refusal is not one modal dialog named Information, described by its message: {dialog}")
    if not focused or focused[0]["name"]["value"] != "OK":
        fail(f"reader: in the refusal the focus is on {focused}")
    print("reader: the refusal reads", repr(dialog[0]["name"]["value"] if dialog else None),
          repr(description), "with the focus on", repr(focused[0]["name"]["value"] if focused else None), flush=True)
    page.key(Keys.TAB)
    page.key(Keys.SHIFT, Keys.TAB)
    if page.active().get_attribute("id") != "InformationOK":
        fail("reader: Tab or Shift+Tab left the refusal")
    page.key(Keys.ESCAPE)
    if page.active().get_attribute("data-index") != row:
        fail("reader: after the refusal the focus is not back on its row")
    if heard(d):
        fail("reader: the refusal left an announcement behind")
    # The language switch: announced, and the page's language follows.
    page.command("SpeedButton4")
    words = heard(d)
    if words != ["English, started again"]:
        fail(f"reader: the switch to English was announced as {words!r}")
    if d.execute_script("return document.documentElement.lang") != "en":
        fail("reader: after the switch the page's language is not en")
    names = {n["name"]["value"] for n in ax_nodes(d) if n.get("role", {}).get("value") == "tree" and not n.get("ignored")}
    if names != {"Steps"}:
        fail(f"reader: after the switch the trees read are {names}")
    page.command("SpeedButton4")
    words = heard(d)
    if words != ["Nederlands, opnieuw begonnen"] or d.execute_script("return document.documentElement.lang") != "nl":
        fail(f"reader: the switch back was announced as {words!r}")
    print("reader: restart and the switches were announced as expected", flush=True)


# --- visible focus ------------------------------------------------------------------------------------------
def luminance(rgb):
    def channel(c):
        c /= 255
        return c / 12.92 if c <= 0.03928 else ((c + 0.055) / 1.055) ** 2.4
    r, g, b = (channel(c) for c in rgb)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = sorted((luminance(a), luminance(b)), reverse=True)
    return (la + 0.05) / (lb + 0.05)


FOCUS_STYLE = """
const e = arguments[0];
const parse = (c) => (c.match(/[\\d.]+/g) || []).slice(0, 3).map(Number);
const ground = (n) => { for (; n; n = n.parentElement) { const c = getComputedStyle(n).backgroundColor;
  if (c !== 'transparent' && !/rgba\\(.*, 0\\)$/.test(c)) return parse(c); } return [255, 255, 255]; };
const s = getComputedStyle(e);
const outline = s.outlineStyle !== 'none' ? [parseFloat(s.outlineWidth), parse(s.outlineColor)] : [0, null];
const border = [parseFloat(s.borderTopWidth), parse(s.borderTopColor)];
return {outline: outline, border: border, own: ground(e), around: ground(e.parentElement)};
"""


def check_focus(d, url):
    for scheme in ("light", "dark"):
        d.execute_cdp_cmd("Emulation.setEmulatedMedia", {"features": [{"name": "prefers-color-scheme", "value": scheme}]})
        page = open_page(d, url)
        page.row(0).click()
        page.key(Keys.ESCAPE)  # the keyboard from now on: focus is shown as for a keyboard
        for target in ("row", "Memo1", "PaintBox2", "PaintBox1", "GridMenuButton", "SpeedButton1",
                       "SpeedButton2", "SpeedButton4", "TabSheet1-tab"):
            element = page.row(1) if target == "row" else d.find_element(By.ID, target)
            d.execute_script("arguments[0].focus()", element)
            s = d.execute_script(FOCUS_STYLE, element)
            # The indicator is the outline, or for a row its border.
            width, colour = s["outline"] if s["outline"][0] else s["border"]
            ratio = min(contrast(colour, s["own"]), contrast(colour, s["around"])) if colour else 0
            if width < 2 or ratio < 3:
                fail(f"focus ({scheme}) on {target}: {width} px at contrast {ratio:.2f}")
    d.execute_cdp_cmd("Emulation.setEmulatedMedia", {"features": []})


# --- the page's policy ----------------------------------------------------------------------------------------
def check_policy(d, folder):
    """A copy of the page with an inline script and a script of its own folder that tries eval: both refused."""
    copy = os.path.join(os.path.dirname(folder), "policy")
    shutil.copytree(folder, copy)
    with open(os.path.join(copy, "index.html"), encoding="utf-8") as f:
        html = f.read()
    with open(os.path.join(copy, "probe.js"), "w", encoding="utf-8") as f:
        f.write("window.probeLoaded = true;\n"
                "try { window.evalRan = eval('1 + 1') === 2; } catch (e) { window.evalRan = false; }\n")
    probe = '<script>window.inlineRan = true;</script>\n<script src="probe.js"></script>\n'
    html = html.replace("</head>", probe + "</head>", 1)
    with open(os.path.join(copy, "index.html"), "w", encoding="utf-8") as f:
        f.write(html)
    d.get("file://" + urllib.parse.quote(os.path.join(copy, "index.html")))
    wait_until(lambda: d.execute_script("return window.mohrwalkReady === true"))
    ran = d.execute_script("return [window.inlineRan === true, window.probeLoaded === true, window.evalRan,"
                           " window.mohrwalkReady === true]")
    if ran[0]:
        fail("policy: an inline script in the page ran")
    if not ran[1]:
        fail("policy: a script of the page's own folder did not load (the test proves nothing)")
    if ran[2] is not False:
        fail(f"policy: eval was not refused ({ran[2]!r})")
    if not ran[3]:
        fail("policy: the page itself did not start beside the refused script")


def check_all(d, url, web):
    groups = [("axe", lambda: check_axe(d, url)), ("reader", lambda: check_reader(d, url)),
              ("focus", lambda: check_focus(d, url)), ("phone", lambda: check_phone(d, url)),
              ("policy", lambda: check_policy(d, web))]
    only = os.environ.get("READER_ONLY")
    for name, group in groups:
        if only and name not in only.split(","):
            continue
        before = len(failures)
        start = time.time()
        result = group()
        extra = f", {result} states checked" if result else ""
        print(f"{name}: {len(failures) - before} failures, {time.time() - start:.1f} s{extra}", flush=True)


def main():
    if not os.path.exists(AXE):
        print(f"SKIP: {AXE} is missing (scripts/install-deps test installs it)")
        return 77
    return on_exported_page(sys.argv[1], check_all)


if __name__ == "__main__":
    sys.exit(main())
