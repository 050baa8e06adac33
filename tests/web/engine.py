"""The page in one browser engine (Chromium, Firefox ESR or WebKitGTK), as a student meets it there: the
whole walk of walk.py (31 steps in both languages by mouse and by keys, the refusal, restart, the
language, the grid menu), the page tabs (their labels turned, inside their tabs, reading upwards as on
the desktop; switched by click and by key), widths from a phone's to a desktop's without sideways scroll,
the page from a web server as from disk, and the panels held to the desktop's pictures with the picture
test's tolerance (left to web_pictures in Chromium).

Usage: engine.py ENGINE PATH/TO/mohrwalk-figures PATH/TO/web_oracle. MOHRWALK_WEB_LEAN=1 leaves out the
walk but in Chromium and compares fewer pictures: the sanitizer build instruments the programs, not the
browsers.
MOHRWALK_WEB_KEEP=<folder> keeps the pictures there. Exits 77 when the engine is missing.
"""

import functools
import http.server
import os
import shutil
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import walk  # noqa: E402  (exits 77 without selenium)
import engines  # noqa: E402
import pictures  # noqa: E402
from walk import NODES, Page, fail, failures, wait_until  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402
from selenium.webdriver.common.keys import Keys  # noqa: E402

LEAN = os.environ.get("MOHRWALK_WEB_LEAN") == "1"

# Each page tab: its box, its label's box, and which way the label reads (from its first letter to its
# last). Ranges measure the letters as drawn, turned or not.
TABS = """
const box = (r) => [r.left, r.top, r.right, r.bottom];
return [...document.querySelectorAll('#PageControl1 [role=tab]')].map((tab) => {
  const label = tab.querySelector('.tab-label') || tab;
  const text = label.firstChild;
  const all = document.createRange(); all.selectNodeContents(label);
  const letter = (i) => { const r = document.createRange(); r.setStart(text, i); r.setEnd(text, i + 1);
                          return r.getBoundingClientRect(); };
  const first = letter(0), last = letter(text.data.length - 1);
  const dx = last.left - first.left, dy = last.top - first.top;
  const reads = Math.abs(dy) > Math.abs(dx) ? (dy < 0 ? 'up' : 'down') : (dx > 0 ? 'across' : 'backwards');
  return {id: tab.id, text: text.data, tab: box(tab.getBoundingClientRect()),
          label: box(all.getBoundingClientRect()), reads: reads};
});
"""

# What sticks out sideways: the page wider than its view, and every visible control or panel not wholly
# within the view's width.
SIDEWAYS = """
const view = document.documentElement.clientWidth;
const out = [];
if (document.documentElement.scrollWidth > view) out.push('the page, ' + document.documentElement.scrollWidth + ' px');
for (const e of document.querySelectorAll('button, [role=tab], [role=treeitem], .panel, #Memo1, .caption')) {
  const r = e.getBoundingClientRect();
  // Not those kept for readers only, far off to the left.
  if (!r.width || r.right < -100 || getComputedStyle(e).visibility === 'hidden') continue;
  if (r.left < -0.5 || r.right > view + 0.5) out.push((e.id || e.textContent) + ' from ' + Math.round(r.left) +
                                                       ' to ' + Math.round(r.right) + ' px');
}
return [view, out];
"""


def settle(d):
    """Two frames later: what a change has the page lay out anew is laid out and painted."""
    d.execute_async_script("const done = arguments[0]; requestAnimationFrame(() => requestAnimationFrame(done));")


def ready(d, url):
    d.get(url)
    if wait_until(lambda: d.execute_script("return window.mohrwalkReady === true"), 10) is None:
        fail(f"{d.engine}: {url} did not get ready")
        return False
    return True


def check_tabs(d, where, desktop):
    for tab in d.execute_script(TABS):
        name = f"{d.engine} {where}: the tab {tab['text']!r}"
        left, top, right, bottom = tab["tab"]
        l_left, l_top, l_right, l_bottom = tab["label"]
        if l_left < left - 0.5 or l_right > right + 0.5 or l_top < top - 0.5 or l_bottom > bottom + 0.5:
            fail(f"{name}: its label {tab['label']} lies outside its tab {tab['tab']}")
        if tab["reads"] != ("up" if desktop else "across"):
            fail(f"{name} reads {tab['reads']}")


def check_page_tabs(d, url):
    """The tabs as the desktop's: turned labels inside, the strains page by a click, back by a key."""
    engines.viewport(d, 1024, 768)
    if not ready(d, url):
        return
    check_tabs(d, "at 1024 px", True)
    d.find_element(By.ID, "TabSheet2-tab").click()
    strains = d.find_element(By.ID, "TabSheet2")
    if wait_until(strains.is_displayed) is None or d.find_element(By.ID, "TabSheet1").is_displayed():
        fail(f"{d.engine}: a click on the second tab did not show the strains page")
    if d.find_element(By.ID, "TabSheet2-tab").get_attribute("aria-selected") != "true":
        fail(f"{d.engine}: the second tab is not selected after its click")
    check_tabs(d, "on the strains page", True)
    d.switch_to.active_element.send_keys(Keys.ARROW_UP)
    if wait_until(d.find_element(By.ID, "TabSheet1").is_displayed) is None:
        fail(f"{d.engine}: the arrow key on the tabs did not go back to the stresses page")
    if d.switch_to.active_element.get_attribute("id") != "TabSheet1-tab":
        fail(f"{d.engine}: after the arrow key the focus is not on the first tab")


def check_widths(d, url):
    """From a phone's width to a desktop's, resized with the page open: nothing sideways, the tabs'
    labels inside their tabs, and a step still taken where the rows are."""
    if not ready(d, url):
        return
    page = Page(d, "nl")
    widths = (320, 375, 600, 799, 800, 1280)
    for n, width in enumerate(widths):
        got = engines.viewport(d, width, 700)
        if got[0] != width:
            fail(f"{d.engine}: the view is {got} for {width} px")
            continue
        # Let a layout that follows the width settle.
        settle(d)
        view, out = d.execute_script(SIDEWAYS)
        for what in out:
            fail(f"{d.engine} at {width} px ({view} px inside the scroll bar): {what} sticks out sideways")
        check_tabs(d, f"at {width} px", d.execute_script("return document.documentElement.clientWidth") >= 800)
        # Scrolled to as a student would, clear of what stands over the rows on a phone.
        d.execute_script("arguments[0].scrollIntoView({block: 'nearest'})", page.row(n))
        page.row(n).click()
        if wait_until(lambda: page.checked()[:n + 1] == [True] * (n + 1)) is None:
            fail(f"{d.engine} at {width} px: a click on row {n} took no step")


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def check_server(d, web):
    """The page from a web server on this machine, as a course site serves it: it starts, takes steps and
    draws."""
    handler = functools.partial(QuietHandler, directory=web)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    # A browser keeps its connections open: the server ends without waiting for them.
    server.daemon_threads = True
    server.block_on_close = False
    threading.Thread(target=server.serve_forever, daemon=True).start()
    # Chromium offline is cut off from this machine too: one of its own, that reaches this machine only.
    own = walk.browser(d.engine, offline=False) if d.engine == "chromium" else None
    d = own or d
    try:
        url = f"http://127.0.0.1:{server.server_address[1]}/index.html"
        engines.viewport(d, 1024, 768)
        if not ready(d, url):
            return
        page = Page(d, "nl")
        for k in range(4):
            page.row(k).click()
            walk.check_step(page, k, f"{d.engine} from a web server")
        shapes = d.execute_script("return ['PaintBox2', 'PaintBox1'].map((id) => "
                                  "document.querySelectorAll('#' + id + ' svg *').length)")
        if not all(shapes):
            fail(f"{d.engine} from a web server: the panels hold {shapes} shapes after four steps")
    finally:
        if own:
            own.quit()
        server.shutdown()
        server.server_close()


def panel_actions():
    """The walk, the grid off and on, and the English walk's first steps (its own labels), with the
    actions after which the panels are captured."""
    steps = [f"step {k}" for k in range(len(NODES))]
    actions = ["page 1", "restart"] + steps + ["grid off", "grid on", "language"] + steps[:12]
    after = (3, 8, 16, 24, 32) if LEAN else (2, 4, 6, 8, 10, 13, 16, 20, 24, 28, 32)
    looked_at = {2 + k for k in after} | {len(NODES) + 2, len(actions) - 1}
    return actions, looked_at


def check_panels(d, url, oracle):
    actions, looked_at = panel_actions()
    keep = os.environ.get("MOHRWALK_WEB_KEEP")
    folder = os.path.join(keep, d.engine) if keep else tempfile.mkdtemp()
    os.makedirs(folder, exist_ok=True)
    try:
        shown = pictures.desktop_panels(oracle, folder, actions)
        # The window centred on a whole pixel: WebKitGTK draws the panels there while their boxes say half.
        engines.viewport(d, 1025, 768)
        if shown is None or not ready(d, url):
            return
        captured, pairs = {}, set()
        for index, action in enumerate(actions):
            panels = d.execute_script(pictures.ACT, action)
            if len(panels) != sum(1 for p in ("PaintBox1", "PaintBox2") if (index, p) in shown):
                fail(f"{d.engine}: after {action} (action {index}) the page and the desktop do not show the "
                     "same page")
                return
            if index in looked_at:
                for panel, digest in pictures.capture(d, folder, panels, captured):
                    pairs.add((digest, shown[(index, panel)]))
        differ = pictures.compare(oracle, folder, captured, pairs)
        if differ:
            fail(f"{d.engine}: {differ} of {len(pairs)} pictures of the panels differ from the desktop's")
        else:
            print(f"{d.engine}: {len(pairs)} different pictures of the panels agree with the desktop's", flush=True)
    finally:
        if not keep:
            shutil.rmtree(folder, ignore_errors=True)


def main():
    engine, program, oracle = sys.argv[1:4]
    timings = []

    def timed(name, group):
        before, start = len(failures), time.time()
        try:
            group()
        except Exception as error:  # noqa: BLE001 (one group's trouble is reported, the others still run)
            fail(f"{engine} {name}: {type(error).__name__}: {error}")
        timings.append(f"{name} {time.time() - start:.1f} s")
        print(f"{engine} {name}: {len(failures) - before} failures, {time.time() - start:.1f} s", flush=True)

    def everything(d, url, web):
        print(d.version, flush=True)
        if not LEAN or engine == "chromium":
            timed("walk", lambda: walk.walk(d, url, web))
        timed("tabs", lambda: check_page_tabs(d, url))
        timed("widths", lambda: check_widths(d, url))
        timed("web server", lambda: check_server(d, web))
        if engine == "firefox":
            d.set_scale(4)
            timed("panels", lambda: check_panels(d, url, oracle))
        elif engine == "webkit":
            # WebKitGTK takes its pixel density when it starts: a second one, four times as dense.
            dense = walk.browser(engine, scale=4)
            try:
                timed("panels", lambda: check_panels(dense, url, oracle))
            finally:
                dense.quit()

    status = walk.on_exported_page(program, everything, engine)
    print(f"{engine}: " + ", ".join(timings))
    return status


if __name__ == "__main__":
    sys.exit(main())
