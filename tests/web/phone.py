"""The walk on a phone or tablet, in headless Chromium with touch emulation: at four portrait sizes, two
landscape ones and a tablet, all 31 steps in both languages, each by a tap where the row is (the test never
scrolls during a walk). After every tap, measured from the page's geometry by hit-testing: the share of
the drawing the step changed that can be seen, the next row in view and clear of what stays on top of the
steps, the explanation's first line in view, no sideways scroll, and a drawing at least 280 px wide upright.
One walk is turned from portrait to landscape halfway, keeping its state and the rule. At every size the
other drawing is one tap away; at one size the pages, the about box, restart and the language by touch.

Usage: phone.py PATH/TO/mohrwalk-figures. MOHRWALK_PHONE_SIZES=WxH,... walks only those sizes (the
sanitizer build takes three). Exits 77 when chromium, chromedriver or selenium is missing.
"""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
from walk import NODES, fail, on_exported_page, wait_until  # noqa: E402  (exits 77 without selenium)
from reader import emulate_phone, open_page  # noqa: E402
from selenium.webdriver.common.keys import Keys  # noqa: E402

SIZES = [(320, 568), (360, 640), (375, 667), (414, 896), (568, 320), (844, 390), (768, 1024)]
TURNED_AT = 15  # the walk at 375 x 667 turns to landscape after this step

# What a student sees after a tap, in one call: the drawings that changed since the last call and the
# share of each that a finger's hit-test reaches (a 10 x 10 grid of points), the next row's share (3 x 3),
# whether the explanation's first line is hit, the scroll, and the page's width against the view's.
MEASURE = """
const [tree, k] = arguments;
const $ = (id) => document.getElementById(id);
const row = document.querySelector('#' + tree + ' [data-index="' + k + '"]');
if (row.getAttribute('aria-checked') !== 'true') return null;
const seen = (el, n) => {
  const r = el.getBoundingClientRect();
  if (!r.width || !r.height) return 0;
  let hit = 0;
  for (let i = 0; i < n; ++i) for (let j = 0; j < n; ++j) {
    const e = document.elementFromPoint(r.left + (i + .5) * r.width / n, r.top + (j + .5) * r.height / n);
    if (e && el.contains(e)) ++hit;
  }
  return hit / (n * n);
};
const before = window.phoneDrawings || {};
const changed = {}, drawings = {};
for (const id of ['PaintBox2', 'PaintBox1']) {
  drawings[id] = $(id).querySelector('svg').innerHTML;
  if (drawings[id] !== (before[id] || '')) changed[id] = [seen($(id), 10), $(id).getBoundingClientRect().width];
}
window.phoneDrawings = drawings;
let next = row.nextElementSibling;
while (next && next.hidden) next = next.nextElementSibling;
const memo = $('Memo1');
let line = false;
if (memo.firstChild) {
  const range = document.createRange();
  range.setStart(memo.firstChild, 0);
  range.setEnd(memo.firstChild, 1);
  const r = range.getClientRects()[0];
  const e = r && document.elementFromPoint(r.left + r.width / 2, r.top + r.height / 2);
  line = !!e && memo.contains(e);
}
return {changed: changed, next: next ? seen(next, 3) : 1, line: line, x: scrollX, y: scrollY,
        wide: document.documentElement.scrollWidth > innerWidth};
"""

# Where a row's middle is, and whether a finger put there would reach it.
WHERE = """
const e = document.querySelector('#' + arguments[0] + ' [data-index="' + arguments[1] + '"]');
const r = e.getBoundingClientRect();
const x = r.left + r.width / 2, y = r.top + r.height / 2;
const hit = document.elementFromPoint(x, y);
return [x, y, !!hit && e.contains(hit)];
"""

# The focused element's share that a finger's hit-test reaches (3 x 3 points).
FOCUSED = """
const e = document.activeElement, r = e.getBoundingClientRect();
let hit = 0;
for (let i = 0; i < 3; ++i) for (let j = 0; j < 3; ++j) {
  const h = document.elementFromPoint(r.left + (i + .5) * r.width / 3, r.top + (j + .5) * r.height / 3);
  if (h && e.contains(h)) ++hit;
}
return [e.getAttribute('data-index'), hit / 9];
"""

STATE = """
const $ = (id) => document.getElementById(id);
return [[...document.querySelectorAll('[role=treeitem]')].map((e) => e.textContent + e.hidden).join('|'),
        $('Memo1').textContent, $('PaintBox2').innerHTML, $('PaintBox1').innerHTML,
        $('TabSheet1').hidden, document.documentElement.lang];
"""


def tap_at(d, x, y):
    point = [{"x": x, "y": y}]
    d.execute_cdp_cmd("Input.dispatchTouchEvent", {"type": "touchStart", "touchPoints": point})
    d.execute_cdp_cmd("Input.dispatchTouchEvent", {"type": "touchEnd", "touchPoints": []})


def tap(d, element_id):
    """A tap on an element that is in view (the caller has put it there as a student would)."""
    r = d.execute_script("const r = document.getElementById(arguments[0]).getBoundingClientRect();"
                         "return [r.left + r.width / 2, r.top + r.height / 2];", element_id)
    tap_at(d, *r)


class Tally:
    """Per size and language: steps whose changed drawing, next row or explanation was out of view."""

    def __init__(self):
        self.rows = {}

    def add(self, where, step, result, portrait):
        counts = self.rows.setdefault(where, [0, 0, 0])
        problems = []
        for panel, (share, width) in result["changed"].items():
            if share < 0.9:
                problems.append(f"{panel} {share:.0%} in view")
            if portrait and width < 288:
                problems.append(f"{panel} only {width:.0f} px wide")
        if problems:
            counts[0] += 1
        if result["next"] < 1:
            counts[1] += 1
            problems.append(f"the next row {result['next']:.0%} in view")
        if not result["line"]:
            counts[2] += 1
            problems.append("the explanation's first line out of view")
        if result["x"] or result["wide"]:
            problems.append("the page scrolls sideways")
        if problems:
            fail(f"{where} step {step}: " + ", ".join(problems))


def after_frame(d, tree, k):
    """What the student sees once the page has shown the step on row k: the frame after it, in which the page
    brings what changed into view. None while the step has not been taken."""
    if not d.execute_script("return document.querySelector('#' + arguments[0] + ' [data-index=\"' + arguments[1]"
                            " + '\"]').getAttribute('aria-checked') === 'true'", tree, k):
        return None
    d.execute_async_script("const done = arguments[0]; requestAnimationFrame(() => requestAnimationFrame(done));")
    return d.execute_script(MEASURE, tree, k)


def walk_taps(d, where, tree, steps, tally, portrait, scrolled):
    for k in steps:
        x, y, reachable = d.execute_script(WHERE, tree, k)
        if not reachable:
            # Counted as the student's scroll, then on.
            fail(f"{where}: row {k} is not in view to be tapped")
            d.execute_script("document.querySelector('#' + arguments[0] + ' [data-index=\"' + arguments[1] +"
                             " '\"]').scrollIntoView({block: 'center'})", tree, k)
            x, y, reachable = d.execute_script(WHERE, tree, k)
        before = d.execute_script("return scrollY")
        tap_at(d, x, y)
        result = wait_until(lambda: after_frame(d, tree, k))
        if result is None:
            fail(f"{where}: a tap on row {k} took no step")
            return False
        scrolled[0] += abs(result["y"] - before)
        tally.add(where, k, result, portrait)
    return True


def walk_at(d, url, width, height, tally):
    """Both languages at one size; at 375 x 667 the Dutch walk is turned halfway."""
    emulate_phone(d, width, height)
    open_page(d, url)
    for lang, tree in (("nl", "TreeView1"), ("en", "TreeViewUK")):
        if lang == "en":
            # The language by its button, which the student scrolls up to.
            d.execute_script("scrollTo(0, 0)")
            tap(d, "SpeedButton4")
            if wait_until(lambda: d.execute_script("return document.documentElement.lang") == "en") is None:
                fail(f"{width} x {height}: the language button did not switch to English")
                return
        d.execute_script("window.phoneDrawings = null")
        where = f"{width} x {height} {lang}"
        scrolled = [0]
        turn = (width, height) == (375, 667) and lang == "nl"
        first = range(TURNED_AT + 1) if turn else range(len(NODES))
        if not walk_taps(d, where, tree, first, tally, height > width, scrolled):
            return
        if turn:
            state = d.execute_script(STATE)
            emulate_phone(d, height, width)
            wait_until(lambda: d.execute_script("return innerWidth") == height)
            if d.execute_script(STATE) != state:
                fail(f"{where}: turning the phone changed the walk's state")
            # The rule holds at once after the turn, for the step taken before it.
            d.execute_script("window.phoneDrawings = {}")
            turned = wait_until(lambda: after_frame(d, tree, TURNED_AT))
            turned["changed"] = {p: v for p, v in turned["changed"].items() if p == "PaintBox1"}
            tally.add(f"{height} x {width} {lang} (turned)", TURNED_AT, turned, False)
            walk_taps(d, f"{height} x {width} {lang} (turned)", tree, range(TURNED_AT + 1, len(NODES)), tally,
                      False, scrolled)
            emulate_phone(d, width, height)
        print(f"{where}: the page scrolled itself {scrolled[0]:.0f} px over the walk", flush=True)
        check_other_drawing(d, where)


def check_other_drawing(d, where):
    """Where the tabs are shown, the drawing not shown is one tap away and then wholly in view. Every
    tab's words fit inside it."""
    for name in d.execute_script("return [...document.querySelectorAll('[role=tab]')].filter((e) =>"
                                 " e.getClientRects().length && (e.scrollWidth > e.clientWidth + 1 ||"
                                 " e.scrollHeight > e.clientHeight + 1)).map((e) => e.textContent)"):
        fail(f"{where}: the tab {name!r} is too small for its words")
    other = d.execute_script(
        "const t = [...document.querySelectorAll('#DrawingTabs [role=tab]')].filter((e) => e.getClientRects().length"
        "  && e.getAttribute('aria-selected') === 'false');"
        "return t.length ? [t[0].id, t[0].getAttribute('aria-controls')] : null")
    if other is None:
        both = d.execute_script("return ['PaintBox2', 'PaintBox1'].every((id) => {"
                                " const r = document.getElementById(id).getBoundingClientRect();"
                                " return r.top >= 0 && r.bottom <= innerHeight && r.width >= 280; })")
        if not both:
            fail(f"{where}: no drawing tabs, yet not both drawings in view")
        return
    tab, group = other
    tap(d, tab)
    shown = d.execute_script(
        "const g = document.getElementById(arguments[0]), p = g.querySelector('.panel');"
        "const r = p.getBoundingClientRect();"
        "const e = document.elementFromPoint(r.left + r.width / 2, r.top + r.height / 2);"
        "return [g.getAttribute('role'), document.getElementById(arguments[1]).getAttribute('aria-selected'),"
        " r.top >= 0 && r.bottom <= innerHeight + 1 && !!e && p.contains(e)]", group, tab)
    if shown != ["tabpanel", "true", True]:
        fail(f"{where}: a tap on the tab {tab} gave {shown} (role, selected, drawing in view)")


def walk_keys(d, url, width, height, tally):
    """The walk by keys (Return and Space on the rows, back from the explanation by Escape): the same
    rule after each step, and every row the keys move to stays clear of the stage and the explanation."""
    emulate_phone(d, width, height)
    page = open_page(d, url)
    where = f"{width} x {height} nl by keys"
    d.execute_script("window.phoneDrawings = null")
    page.row(0).send_keys(Keys.HOME)
    for k in range(len(NODES)):
        page.key(Keys.ENTER if k % 2 else Keys.SPACE)
        result = wait_until(lambda: after_frame(d, "TreeView1", k))
        if result is None:
            fail(f"{where}: no step {k}")
            return
        tally.add(where, k, result, height > width)
        page.key(Keys.ESCAPE if page.active().get_attribute("id") == "Memo1" else Keys.ARROW_DOWN)
        index, share = d.execute_script(FOCUSED)
        if index != str(min(k + 1, len(NODES) - 1)) or share < 1:
            fail(f"{where}: after step {k} the focus is on row {index}, {share:.0%} of it in view")
    # Up the whole tree again: no row the focus passes is hidden.
    for _ in range(len(NODES) - 1):
        page.key(Keys.ARROW_UP)
        index, share = d.execute_script(FOCUSED)
        if share < 1:
            fail(f"{where}: going up, the focused row {index} is {share:.0%} in view")


def check_touch_commands(d, url):
    """At a small phone: the pages, the about box, restart and the language, each by a tap."""
    emulate_phone(d, 360, 640)
    page = open_page(d, url)
    for k in range(3):
        # Each tap where the row is once the page has shown the step before, as the student sees it.
        tap_at(d, *d.execute_script(WHERE, "TreeView1", k)[:2])
        if wait_until(lambda: after_frame(d, "TreeView1", k)) is None:
            fail(f"touch: a tap on row {k} took no step")
    # The page's tabs and tools are at the top of the page, where the student scrolls back to.
    d.execute_script("scrollTo(0, 0)")
    tap(d, "TabSheet2-tab")
    if not wait_until(lambda: d.execute_script("return !document.getElementById('TabSheet2').hidden")):
        fail("touch: the strains page did not open")

    tap(d, "TabSheet1-tab")
    if not wait_until(lambda: d.execute_script("return !document.getElementById('TabSheet1').hidden && "
                                               "document.querySelectorAll('#PaintBox2 svg *').length > 0")):
        fail("touch: back on the stresses page the sample is not drawn again")
    tap(d, "SpeedButton1")
    inside = wait_until(lambda: d.execute_script(
        "const r = document.getElementById('AboutForm').getBoundingClientRect();"
        "return r.width > 0 && r.top >= 0 && r.left >= 0 && r.bottom <= innerHeight && r.right <= innerWidth"))
    if not inside:
        fail("touch: the about box did not open within the view")
    tap(d, "BitBtn1")
    if not wait_until(lambda: d.execute_script("return document.getElementById('AboutForm').hidden")):
        fail("touch: the about box did not close by its button")
    tap(d, "SpeedButton2")
    if wait_until(lambda: not any(page.checked())) is None:
        fail("touch: restart left marks")


def check_all(d, url, _web):
    wanted = os.environ.get("MOHRWALK_PHONE_SIZES")
    sizes = [tuple(map(int, s.split("x"))) for s in wanted.split(",")] if wanted else SIZES
    tally = Tally()
    start = time.time()
    for width, height in sizes:
        walk_at(d, url, width, height, tally)
    walk_keys(d, url, 568, 320, tally)
    walk_keys(d, url, 320, 568, tally)
    check_touch_commands(d, url)
    print(f"{len(sizes)} sizes, both languages, in {time.time() - start:.0f} s", flush=True)
    for where, (drawing, row, line) in tally.rows.items():
        print(f"{where}: changed drawing out of view {drawing}, next row out of view {row}, "
              f"explanation out of view {line}", flush=True)


def main():
    return on_exported_page(sys.argv[1], check_all)


if __name__ == "__main__":
    sys.exit(main())
