"""The course package in a learning environment. The figures program writes mohrwalk-scorm12.zip; it is
unpacked beside a host page (course_host.html) that a server on 127.0.0.1 gives to headless Chromium. The
host's SCORM 1.2 API is the runtime of scorm-again (npm, pinned in package-lock.json), or a broken stand-in,
and it logs every call the page makes. Played there:

- a walk of 10 steps reports incomplete at location 10; closed and opened again as the environment
  resumes it, the page is back at step 11 with the same marks and explanation, and its panels are the
  same drawing as after those 10 steps by hand and agree with the desktop's pictures after the same 10
  steps (web_oracle, as in the picture test); the walk to the end reports completed, and a restart after
  that keeps it completed. The host's log of that walk is printed.
- #en in the launch address starts in English; the language, the grid and the page come back as left;
  texts switched back to Dutch come back as switched, not as loaded.
- broken environments: none, one whose calls throw, one that answers "false", one that refuses every
  value, one that fails halfway, one that answers in odd types, and saved data that is garbage, of
  another version or out of range: the walk works as on its own every time.
- outside an environment the page stores nothing.

Usage: course.py PATH/TO/mohrwalk-figures PATH/TO/web_oracle. Exits 77 when chromium, chromedriver,
selenium or scorm-again (npm ci in tests/web) is missing.
"""

import functools
import http.server
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pictures  # noqa: E402  (the desktop's pictures and their comparison)
import walk  # noqa: E402  (the browser, the page's rows and the step table)
from walk import fail, wait_until  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
RUNTIME = os.path.join(HERE, "node_modules", "scorm-again", "dist", "scorm12.js")
STEPS = len(walk.NODES)
LAUNCH = "sco/index.html"


class Quiet(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


class Course:
    """The host page in the browser, and the package's page in its frame."""

    def __init__(self, d, base):
        self.d = d
        self.base = base

    def host(self, script, *args):
        self.d.switch_to.default_content()
        value = self.d.execute_script(script, *args)
        if self.d.find_elements(By.ID, "Content"):
            self.d.switch_to.frame(self.d.find_element(By.ID, "Content"))
        return value

    def open(self, lang="nl", launch=LAUNCH, kind="runtime", kept=None, cmi=None):
        self.d.switch_to.default_content()
        self.d.get(self.base + "course_host.html")
        self.host("openPage(arguments[0], arguments[1], arguments[2], arguments[3])", launch, kind, kept, cmi)
        if wait_until(lambda: self.d.execute_script("return window.mohrwalkReady === true"), 10) is None:
            fail(f"the page did not get ready in the environment ({kind})")
        return walk.Page(self.d, lang)

    def log(self):
        return self.host("return hostLog.slice()")

    def held(self):
        return self.host("return held()")

    def close(self, finished=True):
        """Closes the page; returns what the environment keeps of it."""
        self.host("closePage()")
        if finished and wait_until(lambda: any(c.startswith("LMSFinish") for c in self.log())) is None:
            fail("closing the page did not finish the session")
        return self.held()

    def panels(self):
        return self.d.execute_script(pictures.PANELS)

    def markup(self):
        return {panel: svg for panel, svg, *_ in self.panels()}


def take(page, steps, how="click"):
    for k in steps:
        page.row(k).click()
        walk.check_step(page, k, how)


def page_errors(d):
    """Uncaught errors of the package's page since the last look."""
    return [e["message"] for e in d.get_log("browser") if e["level"] == "SEVERE" and "/sco/" in e["message"]]


def print_log(title, log):
    print(f"--- the host's log: {title} ({len(log)} calls)")
    for line in log:
        print("   ", line)


def resumed_walk(course, oracle, folder):
    # --- first launch: 10 steps ---------------------------------------------------------------------
    page = course.open()
    take(page, range(10))
    held = course.held()
    if (held["cmi.core.lesson_status"], held["cmi.core.lesson_location"]) != ("incomplete", "10"):
        fail(f"after 10 steps the environment holds {held}")
    saved = held["cmi.suspend_data"]
    print(f"suspend data after 10 steps: {len(saved)} characters: {saved}")
    if not 0 < len(saved) <= 400:
        fail(f"the suspend data takes {len(saved)} characters")
    by_hand = course.markup()
    explanation = page.memo()
    kept = course.close()
    first = course.log()
    print_log("10 steps, then the page closed", first)
    if first[0] != 'LMSInitialize("") -> "true"' or not first[-1].startswith('LMSFinish("") -> "true"'):
        fail("the session does not begin with LMSInitialize and end with LMSFinish")
    times = [c for c in first if c.startswith('LMSSetValue("cmi.core.session_time"')]
    if len(times) != 1 or not re.search(r'", "\d{4}:\d{2}:\d{2}\.\d{2}"\) -> "true"$', times[0]):
        fail(f"the session time is set as {times}")
    if kept["cmi.core.exit"] != "suspend":
        fail(f"the page leaves with exit {kept['cmi.core.exit']!r}, so the environment would not resume it")

    # --- opened again: resumed at step 11 -------------------------------------------------------------
    page = course.open(kept=kept)
    if page.checked() != [k < 10 for k in range(STEPS)]:
        fail(f"resumed with the marks {page.checked()}")
    if not explanation or page.memo() != explanation:
        fail(f"resumed with the explanation {page.memo()!r}, not {explanation!r}")
    if course.markup() != by_hand:
        fail("the resumed panels are not the drawing the same 10 steps made by hand")
    # The desktop's pictures after the same 10 steps.
    shown = pictures.desktop_panels(oracle, folder, [f"step {k}" for k in range(10)])
    if shown is not None:
        frame = course.host("const r = document.getElementById('Content').getBoundingClientRect();"
                            "return [r.left, r.top];")
        captured = {}
        pairs = {(digest, shown[(9, panel)])
                 for panel, digest in pictures.capture(course.d, folder, course.panels(), captured, frame)}
        differ = pictures.compare(oracle, folder, captured, pairs)
        if differ:
            fail(f"{differ} of the resumed panels differ from the desktop's after 10 steps")
        else:
            print("the resumed panels agree with the desktop's after 10 steps (web_oracle)")
    # A jump is refused and reported to nobody; the next step is step 11.
    calls = len(course.log())
    page.row(11).click()
    if wait_until(course.d.find_element(By.ID, "Information").is_displayed) is None:
        fail("after resuming, a jump to node 11 was not refused")
    course.d.find_element(By.ID, "InformationOK").click()
    if len(course.log()) != calls:
        fail(f"the refused jump was reported: {course.log()[calls:]}")
    take(page, range(10, STEPS))
    held = course.held()
    if (held["cmi.core.lesson_status"], held["cmi.core.lesson_location"]) != ("completed", str(STEPS)):
        fail(f"after all steps the environment holds {held}")
    course.d.find_element(By.ID, "SpeedButton2").click()
    if wait_until(lambda: course.held()["cmi.core.lesson_location"] == "0") is None:
        fail("the restart was not reported")
    if course.held()["cmi.core.lesson_status"] != "completed":
        fail(f"the restart took back the completed status: {course.held()}")
    course.close()
    print_log("opened again, resumed, to the end, restarted, closed", course.log())
    if page_errors(course.d):
        fail(f"the page threw: {page_errors(course.d)}")


def languages_grid_and_page(course, web_url):
    english = "KS2170 : Mohr\u2019s circle"

    def grid_off(d):
        d.find_element(By.ID, "GridMenuButton").click()
        d.find_element(By.ID, "OFF1").click()

    # Outside an environment, by hand: #en, 8 steps, the grid hidden, the strains page and back. Nothing
    # is stored anywhere.
    d = course.d
    title = lambda: d.execute_script("return document.title")  # noqa: E731  (the page's, also in a frame)
    d.switch_to.default_content()
    d.get(web_url + "#en")
    if wait_until(lambda: d.execute_script("return window.mohrwalkReady === true")) is None:
        fail("the page did not get ready on its own")
        return
    page = walk.Page(d, "en")
    if wait_until(lambda: title() == english) is None:
        fail(f"#en starts with the title {title()!r}")
    take(page, range(8))
    # A taken step again: its explanation shows.
    page.row(2).click()
    explanation = page.memo()
    grid_off(d)
    d.find_element(By.ID, "TabSheet2-tab").click()
    d.find_element(By.ID, "TabSheet1-tab").click()
    by_hand = course.markup()
    stored = d.execute_script("return [localStorage.length, sessionStorage.length, document.cookie]")
    if stored != [0, 0, ""]:
        fail(f"on its own the page stored {stored}")
    warned = [e["message"] for e in d.get_log("browser") if "mohrwalk" in e["message"]]
    if warned:
        fail(f"on its own the page said {warned}")

    # The same in an environment, launched at #en, left on the strains page: it comes back there, in
    # English, with the grid hidden and the explanation of the step taken again.
    page = course.open("en", launch=LAUNCH + "#en")
    if (title(), d.execute_script("return document.documentElement.lang")) != (english, "en"):
        fail(f"launched at #en the page is {title()!r}")
    take(page, range(8))
    page.row(2).click()
    grid_off(d)
    d.find_element(By.ID, "TabSheet2-tab").click()
    kept = course.close()
    page = course.open("en", launch=LAUNCH + "#en", kept=kept)
    if d.find_element(By.ID, "TabSheet1").is_displayed() or not d.find_element(By.ID, "TabSheet2").is_displayed():
        fail("resumed, the page is not on the strains page where it was left")
    if title() != english or page.checked() != [k < 8 for k in range(STEPS)]:
        fail(f"resumed in English as {title()!r} with the marks {page.checked()}")
    d.find_element(By.ID, "TabSheet1-tab").click()
    if course.markup() != by_hand or page.memo() != explanation:
        fail("resumed, the panels with the grid hidden or the explanation are not those of the same "
             "actions by hand")
    course.close()

    # Switched to English and back: the Dutch texts as the switch sets them, not as the window loads.
    page = course.open()
    for _ in range(2):
        d.find_element(By.ID, "SpeedButton4").click()
    take(page, range(2))
    kept = course.close()
    page = course.open(kept=kept)
    if title() != "KS2170 : Tensorkring" or page.checked() != [k < 2 for k in range(STEPS)]:
        fail(f"switched back to Dutch and resumed, the page is {title()!r} with the marks {page.checked()}")
    course.close()


def broken_environments(course):
    saved = {"mohrwalk": 1, "texts": "start", "taken": 5, "shown": 4, "grid": None, "page": 1}
    cases = [
        ("no environment", "none", None),
        ("calls that throw", "throws", None),
        ("LMSInitialize answers false", "false", None),
        ("every value refused", "refuses", None),
        ("the connection lost halfway", "late", None),
        ("answers in odd types", "odd", None),
        ("garbage saved", "runtime", "}{ not a walk"),
        ("a walk of another version", "runtime", json.dumps(dict(saved, mohrwalk=2))),
        ("a walk of more steps than there are", "runtime", json.dumps(dict(saved, taken=STEPS + 1))),
    ]
    for name, kind, data in cases:
        cmi = None
        if data is not None:
            cmi = {"core": {"entry": "resume", "lesson_location": "5", "lesson_status": "incomplete"},
                   "suspend_data": data}
        page = course.open(kind=kind, cmi=cmi)
        if any(page.checked()) or page.memo():
            fail(f"{name}: the page did not start anew")
        take(page, range(5))
        page.row(7).click()
        if wait_until(course.d.find_element(By.ID, "Information").is_displayed) is None:
            fail(f"{name}: a jump was not refused")
        course.d.find_element(By.ID, "InformationOK").click()
        take(page, range(5, 7))
        log = course.log()
        if kind == "none" and log:
            fail(f"{name}: calls were made: {log}")
        if kind in ("throws", "false") and len(log) != 1:
            fail(f"{name}: the page went on calling after LMSInitialize failed: {log}")
        if kind == "late" and any("threw" in c for c in log[:-1]):
            fail(f"{name}: the page went on calling after a call threw: {log}")
        if data is not None:
            held = course.held()
            if (held["cmi.core.lesson_location"], json.loads(held["cmi.suspend_data"])["taken"]) != ("7", 7):
                fail(f"{name}: the fresh walk was not saved over the old: {held}")
        course.close(finished=kind in ("runtime", "refuses"))
        errors = page_errors(course.d)
        if errors:
            fail(f"{name}: the page threw: {errors}")
        print(f"{name}: the walk went on ({len(log)} calls)", flush=True)


def main():
    figures, oracle = sys.argv[1], sys.argv[2]
    if not os.path.exists(RUNTIME):
        print(f"SKIP: {RUNTIME} is missing (scripts/install-deps test runs npm ci in tests/web)")
        return 77
    scratch = tempfile.mkdtemp()
    server = None
    try:
        out = os.path.join(scratch, "figures")
        run = subprocess.run([figures, out], capture_output=True, text=True)
        if run.returncode != 0:
            fail(f"mohrwalk-figures failed: {run.stderr}")
            return 1
        package = os.path.join(out, "mohrwalk-scorm12.zip")
        root = os.path.join(scratch, "site")
        with zipfile.ZipFile(package) as z:
            z.extractall(os.path.join(root, "sco"))
            print(f"package: {os.path.getsize(package)} bytes, {len(z.namelist())} files")
        for name in ("course_host.html", "course_host.js"):
            shutil.copy(os.path.join(HERE, name), root)
        shutil.copy(RUNTIME, root)
        server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Quiet, directory=root))
        threading.Thread(target=server.serve_forever, daemon=True).start()
        base = f"http://127.0.0.1:{server.server_address[1]}/"
        pictures_folder = os.path.join(scratch, "pictures")
        os.makedirs(pictures_folder)
        d = walk.browser(offline=False)
        try:
            course = Course(d, base)
            resumed_walk(course, oracle, pictures_folder)
            languages_grid_and_page(course, base + LAUNCH)
            broken_environments(course)
        finally:
            d.quit()
    finally:
        if server:
            server.shutdown()
        shutil.rmtree(scratch, ignore_errors=True)
    if walk.failures:
        print(f"0 passed, {len(walk.failures)} failed")
        return 1
    print("1 passed, 0 failed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
