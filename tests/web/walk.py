"""The web edition in a real browser: headless Chromium opens the page from disk, through a folder whose
name has a space, with the network cut off, and walks all 31 steps in both languages, by mouse in Dutch
and by keys in English, reading back what a student sees: the rows and their marks, the explanations, the
refusal (a modal dialog that keeps the focus and gives it back), restart, the language switch and the
grid menu.

Usage: walk.py PATH/TO/mohrwalk-figures. Exits 77 when chromium, chromedriver or selenium is missing.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.parse

try:
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
except ImportError:
    print("SKIP: python3-selenium is not installed")
    sys.exit(77)

# The step table, and the explanations the desktop tests hold the program to.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import steptable  # noqa: E402

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import engines  # noqa: E402

NODES, MARK = steptable.nodes(), "\u00ab"
EXPLANATIONS = steptable.explanations()

failures = []


def fail(message):
    failures.append(message)
    print("FAIL:", message, flush=True)


def wait_until(condition, timeout=5):
    end = time.time() + timeout
    while time.time() < end:
        value = condition()
        if value:
            return value
        time.sleep(0.02)
    return None


def browser(engine="chromium", offline=True, **options):
    """The engine (engines.ENGINES) with the page's view 1024 x 768 unless options say otherwise; it
    reaches no other machine, and offline not even this one's servers (engines.launch)."""
    reason = engines.missing(engine)
    if reason:
        print(f"SKIP: {reason} (scripts/install-deps test installs it)")
        sys.exit(77)
    return engines.launch(engine, offline=offline, **options)


class Page:
    def __init__(self, driver, lang):
        self.d = driver
        self.lang = lang

    def tree_id(self):
        return "TreeView1" if self.lang == "nl" else "TreeViewUK"

    def row(self, k):
        return self.d.find_element(By.CSS_SELECTOR, f"#{self.tree_id()} [data-index='{k}']")

    def memo(self):
        return self.d.find_element(By.ID, "Memo1").get_attribute("textContent")

    def active(self):
        return self.d.switch_to.active_element

    def key(self, *keys):
        self.active().send_keys(*keys)

    def command(self, control):
        """Presses the page's key for one of the desktop's commands, as the page's data names it."""
        *held, key = self.d.execute_script("return MOHRWALK_DATA.keys.commands[arguments[0]][0]", control).split("+")
        modifiers = [{"Alt": Keys.ALT, "Shift": Keys.SHIFT, "Ctrl": Keys.CONTROL}[m] for m in held]
        chain = ActionChains(self.d)
        for modifier in modifiers:
            chain.key_down(modifier)
        chain.send_keys(getattr(Keys, {"PageDown": "PAGE_DOWN", "PageUp": "PAGE_UP"}.get(key, key.upper()), key.lower()))
        for modifier in reversed(modifiers):
            chain.key_up(modifier)
        chain.perform()

    def focus_lost(self):
        """Where the focus is, if not on something shown: the page itself, or an element hidden."""
        return self.d.execute_script(
            "const e = document.activeElement;"
            "if (!e || e === document.body) return 'the page itself';"
            "return e.isConnected && e.getClientRects().length ? null"
            "  : 'the hidden ' + e.tagName.toLowerCase() + ' ' + (e.id || e.textContent);")

    def tab_stops(self):
        """The rows of the tree shown that Tab can reach."""
        return self.d.execute_script(
            "return [...document.querySelectorAll('#' + arguments[0] + ' [role=treeitem]')]"
            ".filter((e) => e.tabIndex === 0).map((e) => [Number(e.dataset.index), e.getClientRects().length > 0]);",
            self.tree_id())

    def checked(self):
        return [r.get_attribute("aria-checked") == "true"
                for r in self.d.find_elements(By.CSS_SELECTOR, f"#{self.tree_id()} [role=treeitem]")]

    def watch(self):
        """From now on, records which rows of the trees and which drawings' shapes the page touches."""
        self.d.execute_script(WATCH)

    def touched(self):
        """What the page touched since the last call: {"rows": [index, ...], "removed": {panel: n},
        "added": {panel: n}}."""
        return self.d.execute_script("const t = window.touched; window.touched = null; return t;")

    def diagram_shapes(self):
        return self.d.execute_script("return document.querySelectorAll('#PaintBox1 svg *').length")


def check_focus(page, after):
    lost = page.focus_lost()
    if lost:
        fail(f"after {after} the focus is on {lost}")


# Records what the page writes: the rows of the trees it changes (their text, state or visibility) and the
# top-level shapes it adds to or takes from each drawing.
WATCH = """
const panelOf = (node) => node.closest && node.closest('.panel');
new MutationObserver((records) => {
  const t = window.touched = window.touched || {rows: [], removed: {}, added: {}};
  for (const r of records) {
    const target = r.target.nodeType === 1 ? r.target : r.target.parentElement;
    const row = target && target.closest('[role=treeitem]');
    if (row && !t.rows.includes(Number(row.dataset.index))) t.rows.push(Number(row.dataset.index));
    if (r.type === 'childList' && target.localName === 'svg') {
      const panel = panelOf(target).id;
      t.removed[panel] = (t.removed[panel] || 0) + r.removedNodes.length;
      t.added[panel] = (t.added[panel] || 0) + r.addedNodes.length;
    }
  }
}).observe(document.getElementById('MainForm'), {subtree: true, childList: true, attributes: true,
                                                 characterData: true});
"""


def check_cost(page, k, touched, current):
    """A step writes what it changes and no more: the row taken, the row that was current before (`current`)
    and the rows it opens; on a drawing it adds its own shapes and takes none away unless the step repaints
    the panel. (A page that rebuilds the tree or a whole drawing on every step shows the same, but slowly.)"""
    lang = page.lang
    program = page.d.execute_script("return MOHRWALK_DATA.steps[arguments[0]][arguments[1]]", lang, k)
    children = [i for i in range(k + 1, len(NODES)) if parent_of(i) == k]
    allowed = {k, current, *children}
    if touched is None or not set(touched["rows"]) <= allowed:
        fail(f"{lang} node {k}: the step wrote rows {touched and sorted(touched['rows'])}, not only {sorted(allowed)}")
        return
    draws = sum(1 for action in program if action[0] == "draw")
    repaints = any(action[0] in ("refresh", "options") for action in program)
    for panel, n in touched["removed"].items():
        if n and not repaints:
            fail(f"{lang} node {k}: the step took {n} shapes from {panel} without repainting it")
    if not repaints and sum(touched["added"].values()) > draws:
        fail(f"{lang} node {k}: the step added {touched['added']} shapes for {draws} drawing operations")


def parent_of(k):
    for j in range(k - 1, -1, -1):
        if NODES[j][0] < NODES[k][0]:
            return j
    return None


def check_step(page, k, how):
    check_focus(page, f"{page.lang} node {k} ({how})")
    text = NODES[k][1 if page.lang == "nl" else 2]
    row = page.row(k)
    if wait_until(lambda: row.text == text + MARK) is None:
        fail(f"{page.lang} node {k} ({how}): the row reads {row.text!r}, not {text + MARK!r}")
    marks = page.checked()
    if marks != [i <= k for i in range(len(marks))]:
        fail(f"{page.lang} node {k}: the taken rows are {marks}")
    # Where the focus goes into the explanation, the caret is at its start, as on the desktop.
    if page.active().get_attribute("id") == "Memo1" and not page.d.execute_script(
            "const s = getSelection(); return s.isCollapsed && s.anchorOffset === 0"
            " && document.getElementById('Memo1Text').contains(s.anchorNode);"):
        fail(f"{page.lang} node {k}: the caret is not at the start of the explanation")
    if k in EXPLANATIONS:
        expected = EXPLANATIONS[k][0 if page.lang == "nl" else 1]
        if wait_until(lambda: page.memo().strip() == expected.strip()) is None:
            fail(f"{page.lang} node {k}: explanation {page.memo()!r}, expected {expected!r}")
    elif not page.memo().strip():
        fail(f"{page.lang} node {k}: no explanation")


def check_refusal(page, k, close, message):
    before = (page.checked(), page.memo(), page.diagram_shapes())
    page.row(k).click() if close == "OK" else page.key(Keys.ENTER)
    dialog = page.d.find_element(By.ID, "Information")
    if wait_until(dialog.is_displayed) is None:
        fail(f"node {k} out of turn: no refusal")
        return
    if page.d.find_element(By.ID, "InformationText").text != message:
        fail(f"the refusal says {page.d.find_element(By.ID, 'InformationText').text!r}")
    if page.active().get_attribute("id") != "InformationOK":
        fail("the refusal does not hold the focus")
    page.key(Keys.TAB)
    if page.active().get_attribute("id") != "InformationOK":
        fail("Tab left the refusal")
    if close == "OK":
        page.d.find_element(By.ID, "InformationOK").click()
    else:
        page.key(Keys.ESCAPE if close == "Escape" else Keys.ENTER)
    if wait_until(lambda: not dialog.is_displayed()) is None:
        fail(f"{close} did not close the refusal")
    if (page.checked(), page.memo(), page.diagram_shapes()) != before:
        fail("the refused step changed something")
    if page.active().get_attribute("data-index") != str(k):
        fail("after the refusal the focus is not back on the row")
    check_focus(page, f"the refusal closed by {close}")


def check_first_row(page, after):
    """After restart or a switch, by keys alone: the focus on the first row, the tree's one tab stop, which
    Tab reaches again from the page tab before it; Down moves on to the next topic."""
    if page.active().get_attribute("data-index") != "0":
        fail(f"after {after} the focus is not on the first row but on {page.focus_lost() or page.active().text!r}")
    if page.tab_stops() != [[0, True]]:
        fail(f"after {after} the tree's tab stops are {page.tab_stops()}")
    page.key(Keys.SHIFT, Keys.TAB)
    before = page.active().get_attribute("id")
    page.key(Keys.TAB)
    if page.active().get_attribute("data-index") != "0":
        fail(f"after {after} Tab from {before!r} does not come back to the first row")
    page.key(Keys.ARROW_DOWN)
    if page.active().get_attribute("data-index") != "2":
        fail(f"after {after} Down does not move on from the first row to the next topic")
    check_focus(page, f"Down after {after}")


def check_commands_by_keys(page):
    """The page's own keys from the tree, with the focus on something shown after each: a step closed by
    Left, the about box, the grid, the pages (also a tab clicked by a browser that does not focus it)."""
    d = page.d
    page.key(Keys.HOME)
    page.key(Keys.ARROW_RIGHT)
    page.key(Keys.ARROW_RIGHT)
    if page.active().get_attribute("data-index") != "1":
        fail("Right did not open the first row and go to its child")
    page.key(Keys.ARROW_LEFT)
    page.key(Keys.ARROW_LEFT)
    if page.row(1).is_displayed() or page.active().get_attribute("data-index") != "0":
        fail("Left did not go back to the first row and close it")
    check_focus(page, "Left closing the first row")
    page.command("SpeedButton1")
    if wait_until(d.find_element(By.ID, "AboutForm").is_displayed) is None or page.active().get_attribute("id") != "BitBtn1":
        fail("the about key did not open the about box with the focus on its button")
    page.key(Keys.ESCAPE)
    if page.active().get_attribute("data-index") != "0":
        fail("after the about box the focus is not back on the row")
    page.row(0).click()
    page.key(Keys.ESCAPE)
    for k in range(1, 7):
        page.row(k).click()
    page.key(Keys.ESCAPE)
    shapes = page.diagram_shapes()
    page.command("OFF1")
    if wait_until(lambda: page.diagram_shapes() < shapes) is None:
        fail("the key that hides the grid left the diagram as it was")
    hidden = page.diagram_shapes()
    page.command("ON1")
    if wait_until(lambda: page.diagram_shapes() > hidden) is None:
        fail("the key that draws the grid added nothing to the diagram")
    check_focus(page, "the grid's keys")
    for control, tab in (("PageNext", "TabSheet2-tab"), ("PagePrevious", "TabSheet1-tab")):
        page.command(control)
        if page.active().get_attribute("id") != tab:
            fail(f"the key {control} did not bring the focus to {tab}")
        check_focus(page, f"the key {control}")
    d.execute_script("arguments[0].focus(); document.getElementById('TabSheet2-tab').click();", page.row(7))
    check_focus(page, "a click on the strains tab that left the focus on a row")
    page.command("PagePrevious")


def on_exported_page(program, check, engine="chromium", **options):
    """Writes the web edition with the figures program into a folder whose name has a space, opens the
    engine (headless Chromium unless named) without a network, runs check(driver, url of the page, web
    folder) and reports: the exit status of a test."""
    scratch = tempfile.mkdtemp()
    try:
        folder = os.path.join(scratch, "course site", "mohr")
        os.makedirs(os.path.dirname(folder))
        run = subprocess.run([program, folder], capture_output=True, text=True)
        if run.returncode != 0:
            fail(f"mohrwalk-figures failed: {run.stderr}")
            return 1
        web = os.path.join(folder, "web")
        url = "file://" + urllib.parse.quote(os.path.join(web, "index.html"))
        d = browser(engine, **options)
        try:
            check(d, url, web)
        finally:
            d.quit()
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    if failures:
        print(f"0 passed, {len(failures)} failed")
        return 1
    print("1 passed, 0 failed")
    return 0


def walk(d, url, _web):
    d.get(url)
    if wait_until(lambda: d.execute_script("return window.mohrwalkReady === true")) is None:
        fail("the page did not get ready from disk without a network")
        return
    page = Page(d, "nl")
    if d.title != "KS1150 : Tensorkring":
        fail(f"the title is {d.title!r}")
    # The keys the page lists are the program's, in the page's language, each as "keys: what they do".
    keys = d.execute_script("return MOHRWALK_DATA.keys.nl")
    shown = d.find_element(By.ID, "Keys").text
    missing = [f"{k}: {w}" for k, w in keys if f"{k}: {w}" not in shown]
    if len(keys) < 10 or missing:
        fail(f"the key list lacks {missing} of the program's {len(keys)} lines")
    # Dutch, by mouse: a jump refused, then every step in order.
    check_refusal(page, 2, "OK", "Geen sprongen maken in de lijst !")
    page.watch()
    for k in range(len(NODES)):
        current = int(page.d.execute_script("return document.querySelector('#TreeView1 .current').dataset.index"))
        page.touched()
        page.row(k).click()
        check_step(page, k, "click")
        check_cost(page, k, page.touched(), current)
    # The grid menu by the visible button: hidden and drawn again.
    shapes = page.diagram_shapes()
    d.find_element(By.ID, "GridMenuButton").click()
    d.find_element(By.ID, "OFF1").click()
    if wait_until(lambda: page.diagram_shapes() < shapes) is None:
        fail("hiding the grid left the diagram as it was")
    hidden = page.diagram_shapes()
    d.find_element(By.ID, "GridMenuButton").click()
    d.find_element(By.ID, "ON1").click()
    if page.diagram_shapes() <= hidden:
        fail("drawing the grid again added nothing to the diagram")
    check_focus(page, "the grid menu")
    # Restart by its button: no marks, no explanation, blank panels, and the focus on the first row.
    d.find_element(By.ID, "SpeedButton2").click()
    if any(page.checked()) or page.memo() or page.diagram_shapes():
        fail("restart left marks, an explanation or drawings")
    if page.active().get_attribute("data-index") != "0":
        fail("after restart by its button the focus is not on the first row")

    # English by the language key, then by keys alone.
    page.command("SpeedButton4")
    page.lang = "en"
    if wait_until(lambda: d.title == "KS2170 : Mohr\u2019s circle") is None:
        fail(f"after the language key the title is {d.title!r}")
    if d.execute_script("return document.documentElement.lang") != "en":
        fail("the page's language did not follow")
    check_first_row(page, "the switch to English")
    page.key(Keys.HOME)
    page.key(Keys.ARROW_DOWN)
    check_refusal(page, 2, "Escape", "No jumps allowed in the list !")
    page.key(Keys.HOME)
    presses = 0
    for k in range(len(NODES)):
        if page.active().get_attribute("data-index") != str(k):
            fail(f"the keys did not lead to node {k}")
            break
        page.key(Keys.ENTER if k % 2 else Keys.SPACE)
        presses += 1
        check_step(page, k, "key")
        if k + 1 < len(NODES):
            # Back from the explanation by either of its keys, as the key list says.
            if page.active().get_attribute("id") == "Memo1":
                page.key(Keys.ESCAPE) if k % 4 else page.key(Keys.SHIFT, Keys.TAB)
            else:
                page.key(Keys.ARROW_DOWN)
            presses += 1
    print(f"English walk by keys: {presses} key presses", flush=True)
    # From the last row, or the explanation of the last step: restart and the switch back, by their keys.
    page.command("SpeedButton2")
    if any(page.checked()):
        fail("the restart key left marks")
    check_first_row(page, "restart by its key")
    check_commands_by_keys(page)
    page.command("SpeedButton4")
    page.lang = "nl"
    if wait_until(lambda: d.execute_script("return document.documentElement.lang") == "nl") is None:
        fail("after the language key back the page's language is not nl")
    check_first_row(page, "the switch back to Dutch")


def main():
    return on_exported_page(sys.argv[1], walk)


if __name__ == "__main__":
    sys.exit(main())
