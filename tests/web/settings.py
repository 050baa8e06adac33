"""The page in one engine under the settings students change, each checked from the page's geometry:
large text (a minimum font size of 24 px; text-only zoom to 200 %): no text cut or covered on either
page, at desktop and phone widths, and no sideways scroll; forced colours (high contrast): only the
current row framed, every control with a visible edge and focus; the grid menu open while the window is
resized or the phone turned: it stays in the view and nothing scrolls sideways; the page in a course
page's frame of 800 x 450 and narrower; scripts off: the program's sentence in both languages, no empty
frames; and, in Chromium and Firefox, the printout after 31 steps on A4 and Letter, read back from the
PDF: every row with its mark, the explanation whole, both drawings as drawings, no controls.

Usage: settings.py ENGINE PATH/TO/mohrwalk-figures. Says which settings the engine cannot take (WebKitGTK
has no forced colours, Chromium no text-only zoom). Exits 77 when the engine is missing.
"""

import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.parse

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import walk  # noqa: E402  (exits 77 without selenium)
import engines  # noqa: E402
from engine import ready, settle  # noqa: E402
from walk import MARK, NODES, Page, fail, failures, wait_until  # noqa: E402
from selenium.webdriver.common.action_chains import ActionChains  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402
from selenium.webdriver.common.keys import Keys  # noqa: E402

# Every piece of text a student can see: cut by a box that clips it (sideways even where the box could
# scroll), or covered by something else where it stands (looked at in view, with the page scrolled to it),
# or overlapping another text. The drawings' own letters are the drawings'.
TEXT_PROBLEMS = """
const out = [], pieces = [];
const name = (e) => e.id || (e.closest('[id]') ? e.closest('[id]').id + ' ' + e.localName : e.localName);
const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
for (let node; (node = walker.nextNode());) {
  const e = node.parentElement;
  if (!node.data.trim() || e.closest('svg, .offscreen, noscript') ||
      !e.checkVisibility({visibilityProperty: true, opacityProperty: true})) continue;
  const range = document.createRange();
  range.selectNodeContents(node);
  const words = node.data.trim().slice(0, 30);
  for (const first of range.getClientRects()) {
    if (first.width < 1 || first.height < 1) continue;
    window.scrollTo(0, first.top + scrollY - innerHeight / 2);
    const r = [...range.getClientRects()].find((q) => Math.abs(q.left - first.left) < 0.5 &&
                                                      Math.abs(q.width - first.width) < 0.5) || first;
    pieces.push([words, r.left + scrollX, r.top + scrollY, r.right + scrollX, r.bottom + scrollY, e]);
    for (let a = e; a && a !== document.documentElement; a = a.parentElement) {
      const s = getComputedStyle(a);
      if (s.overflowX === 'visible' && s.overflowY === 'visible') continue;
      const b = a.getBoundingClientRect();
      const left = b.left + a.clientLeft, top = b.top + a.clientTop;
      const sideways = r.left < left - 1 || r.right > left + a.clientWidth + 1;
      const upright = r.top < top - 1 || r.bottom > top + a.clientHeight + 1;
      if (sideways || upright) {
        out.push('"' + words + '" is cut by ' + name(a) + (sideways ? ' sideways' : ' at its top or bottom'));
        break;
      }
    }
    // Just inside the letters' box, at both ends and the middle.
    const y = (r.top + r.bottom) / 2;
    for (const x of [r.left + Math.min(3, r.width / 4), (r.left + r.right) / 2, r.right - Math.min(3, r.width / 4)]) {
      if (x < 0 || x >= innerWidth || y < 0 || y >= innerHeight) continue;
      const top = document.elementFromPoint(x, y);
      if (top && top !== e && !e.contains(top) && !top.contains(e)) {
        out.push('"' + words + '" is covered by ' + name(top));
        break;
      }
    }
  }
}
for (let i = 0; i < pieces.length; ++i)
  for (let j = i + 1; j < pieces.length; ++j) {
    const [a, b] = [pieces[i], pieces[j]];
    if (a[5] === b[5]) continue;
    const w = Math.min(a[3], b[3]) - Math.max(a[1], b[1]), h = Math.min(a[4], b[4]) - Math.max(a[2], b[2]);
    if (w > 1 && h > 2) out.push('"' + a[0] + '" and "' + b[0] + '" overlap');
  }
window.scrollTo(0, 0);
const root = document.documentElement;
if (root.scrollWidth > root.clientWidth)
  out.push('the page scrolls sideways: ' + root.scrollWidth + ' px in ' + root.clientWidth);
return out;
"""


def take_all(d, page):
    for k in range(len(NODES)):
        d.execute_script("arguments[0].click()", page.row(k))
    if not all(page.checked()):
        fail(f"{d.engine}: the walk did not reach its end")


# --- large text -------------------------------------------------------------------------------------------
LARGE = (("a minimum font size of 24 px", {"minimum_font": 24}), ("text zoomed to 200 %", {"text_zoom": 2}))


def check_large_text(d, url, what):
    for width, height in ((1280, 800), (800, 600), (375, 667)):
        engines.viewport(d, width, height)
        if not ready(d, url):
            return
        where = f"{d.engine}, {what}, {width} px"
        # The text must in truth be large, or the check proves nothing.
        size = d.execute_script("const r = document.createRange();"
                                "r.selectNodeContents(document.querySelector('#GroupBox1 .caption'));"
                                "return r.getBoundingClientRect().height;")
        if size < 22:
            fail(f"{where}: the captions' letters are {size:.0f} px high: the setting did not take")
            return
        # The drawings are no tab panels where their tabs are not shown.
        panels = d.execute_script("return getComputedStyle(document.getElementById('DrawingTabs')).display !== 'none'"
                                  " ? [] : [...document.querySelectorAll('.group[role=tabpanel]')].map((e) => e.id)")
        if panels:
            fail(f"{where}: {panels} are tab panels of hidden tabs")
        page = Page(d, "nl")
        for state in ("at the start", "after the walk", "on the strains page"):
            if state == "after the walk":
                take_all(d, page)
            elif state == "on the strains page":
                d.find_element(By.ID, "TabSheet2-tab").click()
            settle(d)
            for problem in d.execute_script(TEXT_PROBLEMS):
                fail(f"{where}, {state}: {problem}")


# --- forced colours ---------------------------------------------------------------------------------------
# An element's own edge as drawn: the border's width and colour where it has one, else its background
# against the one behind it; and the focus ring (outline) once focused.
EDGES = """
const parse = (c) => (c.match(/[\\d.]+/g) || []).map(Number);
const opaque = (c) => { const v = parse(c); return v.length === 3 || (v.length === 4 && v[3] > 0.5); };
const behind = (n) => { for (; n; n = n.parentElement) { const c = getComputedStyle(n).backgroundColor;
  if (opaque(c)) return parse(c).slice(0, 3); } return [255, 255, 255]; };
return arguments[0].map((e) => {
  const s = getComputedStyle(e);
  const width = parseFloat(s.borderTopWidth) + parseFloat(s.borderLeftWidth);
  return {id: e.id || e.textContent.trim().slice(0, 20), border: s.borderTopStyle !== 'none' ? width / 2 : 0,
          borderColour: parse(s.borderTopColor).slice(0, 3), own: opaque(s.backgroundColor) ?
          parse(s.backgroundColor).slice(0, 3) : null, around: behind(e.parentElement),
          outline: s.outlineStyle !== 'none' ? parseFloat(s.outlineWidth) : 0,
          outlineColour: parse(s.outlineColor).slice(0, 3)};
});
"""


def differs(a, b):
    return a is not None and b is not None and sum(abs(x - y) for x, y in zip(a, b)) > 60


def check_forced_colours(d, url):
    if not ready(d, url):
        return
    if not d.execute_script("return matchMedia('(forced-colors: active)').matches"):
        fail(f"{d.engine}: forced colours are not on")
        return
    where = f"{d.engine} in forced colours"
    page = Page(d, "nl")
    for k in range(5):
        page.row(k).click()
    if page.active().get_attribute("id") == "Memo1":
        page.key(Keys.ESCAPE)
    # From here by keys, so that the focus shows as for a keyboard.
    page.key(Keys.ARROW_UP)
    current = page.active()
    rows = d.find_elements(By.CSS_SELECTOR, "#TreeView1 [role=treeitem]:not([hidden])")
    for row, edge in zip(rows, d.execute_script(EDGES, rows)):
        framed = edge["border"] >= 1 and differs(edge["borderColour"], edge["own"] or edge["around"])
        if framed != (row == current):
            fail(f"{where}: the row {edge['id']!r} is {'' if framed else 'not '}framed "
                 f"({edge['border']} px {edge['borderColour']} on {edge['own'] or edge['around']})")
    # Every control has an edge of its own, and a focus ring once focused; the grid menu an edge too.
    d.find_element(By.ID, "GridMenuButton").click()
    menu = d.execute_script(EDGES, [d.find_element(By.ID, "PopupMenu1")])[0]
    if not (menu["border"] >= 1 and differs(menu["borderColour"], menu["around"])):
        fail(f"{where}: the grid menu has no visible edge ({menu})")
    page.key(Keys.ESCAPE)
    # (A drawing's edge is its bevel's.)
    controls = [c for c in d.find_elements(By.CSS_SELECTOR, "button, [role=tab], #Memo1, .panel, .tree")
                if c.is_displayed()]
    edged = d.execute_script("return arguments[0].map((e) => e.getAttribute('role') === 'img' ? e.parentElement : e)",
                             controls)
    for edge in d.execute_script(EDGES, edged):
        if not (edge["border"] >= 1 and differs(edge["borderColour"], edge["around"])) and \
                not differs(edge["own"], edge["around"]):
            fail(f"{where}: {edge['id']!r} has no visible edge ({edge})")
    # Through the page by Tab from its top to its end: each control the focus reaches shows it.
    unfocused = d.execute_script(EDGES, controls)
    before = {e["id"]: e for e in unfocused}
    reached = set()
    # The first stop, the page tab, reached by the keys too (a browser shows the focus that a script moves
    # only where it showed it before).
    d.execute_script("document.querySelector('[role=tab][tabindex=\"0\"], [role=tab]:not([tabindex])').focus()")
    ActionChains(d).send_keys(Keys.TAB).key_down(Keys.SHIFT).send_keys(Keys.TAB).key_up(Keys.SHIFT).perform()
    for n in range(2 * len(controls) + 4):
        if n:
            ActionChains(d).send_keys(Keys.TAB).perform()
        if not d.execute_script("return document.hasFocus() && document.activeElement !== document.body"):
            break
        edge = d.execute_script(EDGES, [page.active()])[0]
        if edge["id"] in reached or edge["id"] not in before:
            reached.add(edge["id"])
            continue
        reached.add(edge["id"])
        if not (edge["outline"] >= 1 and differs(edge["outlineColour"], edge["around"])) and \
                edge["borderColour"] == before[edge["id"]]["borderColour"]:
            fail(f"{where}: the focus on {edge['id']!r} is not shown ({edge})")
    focusable = {e["id"] for c, e in zip(controls, unfocused) if c.get_attribute("tabindex") != "-1"
                 and c.get_attribute("role") != "tree"}
    if not focusable <= reached:
        fail(f"{where}: Tab did not reach {sorted(focusable - reached)}")


# --- the grid menu while the window changes --------------------------------------------------------------
MENU_PLACE = """
const m = document.getElementById('PopupMenu1'), root = document.documentElement;
const r = m.getBoundingClientRect();
return {open: !m.hidden, left: r.left, right: r.right, top: r.top, bottom: r.bottom, view: root.clientWidth,
        height: root.clientHeight, scrolls: root.scrollWidth - root.clientWidth};
"""


def check_menu_on_resize(d, url):
    for before, after in (((1280, 800), (600, 800)), ((800, 1280), (1280, 800)), ((1024, 768), (360, 740)),
                          ((360, 740), (740, 360))):
        engines.viewport(d, *before)
        if not ready(d, url):
            return
        # On a phone the diagram and its button may wait behind their tab.
        if not d.execute_script("return document.getElementById('GridMenuButton').checkVisibility()"):
            d.find_element(By.ID, "GroupBox3-tab").click()
        d.find_element(By.ID, "GridMenuButton").click()
        if wait_until(d.find_element(By.ID, "PopupMenu1").is_displayed) is None:
            fail(f"{d.engine}: the grid menu did not open at {before}")
            continue
        engines.viewport(d, *after)
        settle(d)
        place = d.execute_script(MENU_PLACE)
        where = f"{d.engine}: the grid menu opened at {before[0]} x {before[1]}, then {after[0]} x {after[1]}"
        if place["scrolls"] > 0:
            fail(f"{where}: the page scrolls sideways by {place['scrolls']} px")
        if place["open"] and (place["left"] < 0 or place["right"] > place["view"] or place["top"] < 0
                              or place["bottom"] > place["height"]):
            fail(f"{where}: the menu lies at x {place['left']:.0f}-{place['right']:.0f}, y {place['top']:.0f}-"
                 f"{place['bottom']:.0f} of a {place['view']} x {place['height']} px view")
        if place["open"] and d.switch_to.active_element.get_attribute("role") != "menuitem":
            fail(f"{where}: the menu is open without the focus")


# --- a frame in a course page -------------------------------------------------------------------------------
HOST = """<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><title>course</title></head>
<body style="margin:0"><iframe id="walk" src="mohr/web/index.html" width="800" height="450"
style="border:0;display:block"></iframe></body></html>
"""


def check_frame(d, url, web):
    host = os.path.join(os.path.dirname(os.path.dirname(web)), "course.html")
    with open(host, "w", encoding="utf-8") as f:
        f.write(HOST)
    engines.viewport(d, 1280, 800)
    d.get("file://" + urllib.parse.quote(host))
    for width in (800, 640, 320, 1000):
        d.switch_to.default_content()
        frame = d.find_element(By.ID, "walk")
        d.execute_script("arguments[0].width = arguments[1]", frame, str(width))
        d.switch_to.frame(frame)
        if wait_until(lambda: d.execute_script("return window.mohrwalkReady === true"), 10) is None:
            fail(f"{d.engine}: the page in a frame did not get ready")
            return
        settle(d)
        where = f"{d.engine} in a frame {width} x 450"
        sizes = d.execute_script("const r = document.documentElement; return [r.scrollWidth, r.clientWidth];")
        if sizes[0] > sizes[1]:
            fail(f"{where}: the page scrolls sideways ({sizes[0]} px in {sizes[1]})")
        cut = d.execute_script(
            "const view = document.documentElement.clientWidth;"
            "return [...document.querySelectorAll('button, [role=tab], .panel, #Memo1, .tree')]"
            ".filter((e) => e.getClientRects().length && (e.getBoundingClientRect().left < -0.5 ||"
            " e.getBoundingClientRect().right > view + 0.5)).map((e) => e.id || e.textContent);")
        if cut:
            fail(f"{where}: cut at the frame's edge: {cut}")
        page = Page(d, "nl")
        page.row(0).click()
        if wait_until(lambda: page.checked()[0]) is None:
            fail(f"{where}: a click on the first row took no step")
        d.execute_script("document.getElementById('SpeedButton2').click()")
    d.switch_to.default_content()


# --- scripts off --------------------------------------------------------------------------------------------
def check_scripts_off(d, url, web):
    with open(os.path.join(web, "data.js"), encoding="utf-8") as f:
        sentences = json.loads(f.read().split("=", 1)[1].strip().rstrip(";"))["scriptless"]
    for width in (1280, 320):
        engines.viewport(d, width, 700)
        d.get(url)
        time.sleep(0.5)
        where = f"{d.engine} without scripts at {width} px"
        if d.execute_script("return window.Mohrwalk !== undefined"):
            fail(f"{where}: the page's scripts ran")
            return
        said = d.execute_script(
            "const view = document.documentElement.clientWidth;"
            "return [...document.querySelectorAll('body [lang]')].filter((e) => e.checkVisibility())"
            ".map((e) => { const r = e.getBoundingClientRect();"
            "  return [e.lang, e.textContent.trim(), r.left >= 0 && r.right <= view && r.height > 0]; });")
        shown = {lang: text for lang, text, inside in said if inside}
        for lang, sentence in sentences.items():
            if shown.get(lang) != sentence:
                fail(f"{where}: the {lang} sentence shown is {shown.get(lang)!r}, not {sentence!r}")
        # Nothing else: no empty frames, no controls that do nothing.
        visible = " ".join(d.execute_script("return document.body.innerText").split())
        if visible != " ".join(sentences[lang] for lang in ("nl", "en")):
            fail(f"{where}: the page shows {visible!r}")
        sizes = d.execute_script("const r = document.documentElement; return [r.scrollWidth, r.clientWidth];")
        if sizes[0] > sizes[1]:
            fail(f"{where}: the page scrolls sideways")


# --- print ------------------------------------------------------------------------------------------------
PRINTED = """
const root = document.documentElement, out = [];
for (const id of ['TreeView1', 'Memo1']) {
  const e = document.getElementById(id);
  if (e.scrollHeight > e.clientHeight + 1 || e.scrollWidth > e.clientWidth + 1)
    out.push(id + ' is a scroll box (' + e.scrollWidth + ' x ' + e.scrollHeight + ' in ' + e.clientWidth + ' x ' +
             e.clientHeight + ')');
}
for (const e of document.querySelectorAll('button, [role=tab]'))
  if (e.checkVisibility()) out.push('the control ' + (e.id || e.textContent) + ' is printed');
for (const id of ['PaintBox2', 'PaintBox1']) {
  const r = document.querySelector('#' + id + ' svg').getBoundingClientRect();
  if (r.width < 200 || r.right > root.clientWidth) out.push(id + ' is ' + r.width + ' px wide at ' + r.left);
}
return out;
"""


def pdf_text(data, folder, name):
    """A printout read back: its text (white space as single spaces), how many raster pictures it holds,
    its pages, and how many pixels of the drawings' red and navy its pages show."""
    path = os.path.join(folder, name + ".pdf")
    with open(path, "wb") as f:
        f.write(data)
    text = subprocess.run(["pdftotext", "-enc", "UTF-8", path, "-"], capture_output=True, text=True, check=True).stdout
    images = subprocess.run(["pdfimages", "-list", path], capture_output=True, text=True, check=True).stdout
    pages = int(re.search(r"Pages:\s+(\d+)", subprocess.run(["pdfinfo", path], capture_output=True, text=True,
                                                            check=True).stdout).group(1))
    # Every page at 40 dots an inch: the drawings' red (the circle) and navy (the element's arrows).
    subprocess.run(["pdftoppm", "-r", "40", "-f", "1", "-l", str(pages), path, os.path.join(folder, name)], check=True)
    colours = {"red": 0, "navy": 0}
    for ppm in sorted(p for p in os.listdir(folder) if p.startswith(name + "-") and p.endswith(".ppm")):
        with open(os.path.join(folder, ppm), "rb") as f:
            raw = f.read()
        pixels = raw.split(b"\n", 3)[3]  # after "P6", the size and the depth
        for i in range(0, len(pixels) - 2, 3):
            r, g, b = pixels[i], pixels[i + 1], pixels[i + 2]
            if r > 200 and g < 60 and b < 60:
                colours["red"] += 1
            elif r < 40 and g < 40 and b > 100:
                colours["navy"] += 1
    return " ".join(text.split()), images.count("\n") - 2, pages, colours


def check_print(d, url, folder):
    """After the walk: the page as printed (Chromium: its geometry in print media too) and the PDF."""
    if not ready(d, url):
        return
    page = Page(d, "nl")
    take_all(d, page)
    rows = [NODES[k][1] + MARK for k in range(len(NODES))]
    explanation = " ".join(page.memo().split())
    labels = d.execute_script("return ['PaintBox2', 'PaintBox1'].map((id) => [...document.querySelectorAll("
                              "'#' + id + ' svg text')].map((t) => t.textContent.trim()).filter((t) => t))")
    if d.engine == "chromium":
        d.execute_cdp_cmd("Emulation.setEmulatedMedia", {"media": "print"})
        for problem in d.execute_script(PRINTED):
            fail(f"{d.engine} print: {problem}")
        d.execute_cdp_cmd("Emulation.setEmulatedMedia", {"media": ""})
    for paper in ("A4", "Letter") if d.engine == "chromium" else ("A4",):
        text, images, pages, colours = pdf_text(engines.pdf(d, paper), folder, f"{d.engine}-{paper}")
        where = f"{d.engine} printed on {paper}"
        print(f"{where}: {pages} pages, {images} pictures, drawn pixels at 40 dpi {colours}", flush=True)
        missing = [row for row in rows if " ".join(row.split()) not in text]
        if missing:
            fail(f"{where}: {len(missing)} of the {len(rows)} rows with their marks are not on paper: {missing[:3]}")
        if explanation not in text:
            fail(f"{where}: the explanation {explanation[:40]!r}... is not printed whole")
        for panel, words in zip(("element", "diagram"), labels):
            absent = [w for w in words if w not in text]
            if not words or absent:
                fail(f"{where}: the {panel} drawing's labels {absent or words} are not printed as text")
        if images:
            fail(f"{where}: {images} raster pictures in the printout; the drawings print as vector drawings")
        if colours["red"] < 50 or colours["navy"] < 20:
            fail(f"{where}: the drawings' lines are not on paper ({colours})")
        keys = " ".join(d.find_element(By.ID, "Keys").get_attribute("textContent").split())
        if keys[:40] in text:
            fail(f"{where}: the key list is printed")


# --- the run --------------------------------------------------------------------------------------------------
def main():
    engine, program = sys.argv[1:3]
    times = []

    def timed(name, group):
        before, start = len(failures), time.time()
        try:
            group()
        except engines.Unsupported as why:
            print(f"{engine} {name}: not checked: {why}", flush=True)
            times.append(f"{name} -")
            return
        except Exception as error:  # noqa: BLE001 (one group's trouble is reported, the others still run)
            fail(f"{engine} {name}: {type(error).__name__}: {error}")
        times.append(f"{name} {time.time() - start:.1f} s")
        print(f"{engine} {name}: {len(failures) - before} failures, {time.time() - start:.1f} s", flush=True)

    def set_to(setting, check):
        """The check in a browser of its own with the setting, which an engine takes only as it starts."""
        d = walk.browser(engine, settings=setting)
        try:
            check(d)
        finally:
            d.quit()

    def everything(d, url, web):
        print(d.version, flush=True)
        timed("grid menu on resize", lambda: check_menu_on_resize(d, url))
        timed("frame", lambda: check_frame(d, url, web))
        if engine == "webkit":
            print("webkit print: not checked: WebKitGTK's WebDriver does not print", flush=True)
        else:
            folder = tempfile.mkdtemp()
            try:
                timed("print", lambda: check_print(d, url, folder))
            finally:
                shutil.rmtree(folder, ignore_errors=True)
        for what, setting in LARGE:
            timed(what, lambda: set_to(setting, lambda s: check_large_text(s, url, what)))
        timed("forced colours", lambda: set_to({"forced_colours": True}, lambda s: check_forced_colours(s, url)))
        timed("scripts off", lambda: set_to({"scripts": False}, lambda s: check_scripts_off(s, url, web)))

    status = walk.on_exported_page(program, everything, engine)
    print(f"{engine}: " + ", ".join(times))
    return status


if __name__ == "__main__":
    sys.exit(main())
