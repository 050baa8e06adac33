"""The web edition's speed, for bench/run: the exported folder served on 127.0.0.1, Lighthouse (pinned in
bench/web/package-lock.json, run with Debian's chromium) on its mobile profile, and in each engine
(headless Chromium, Firefox ESR, WebKitGTK, driven as the tests drive them: tests/web/engines.py) the time
from navigation to both panels painted and each step's click-to-paint; in Chromium also every kind of action
(taps, keys, restart, the language switch, a page change) at full speed and on a phone's profile (375 x 667,
touch, the processor slowed 4x).

Usage: page.py PATH/TO/mohrwalk-figures [LIGHTHOUSE_RUNS]. Prints `key value` lines (an engine's own timings
as `<engine>_<key>`, Chromium's also as `page_<key>`); exits 77 when a tool is missing. An engine that is
missing is left out.
"""

import json
import os
import socket
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
LIGHTHOUSE = os.path.join(HERE, "node_modules", ".bin", "lighthouse")
CHROMIUM = "/usr/bin/chromium"

# Runs in the page before its own scripts (a script of the page's own folder, put first into a copy of the
# page, bench.html, so that all three engines run it alike): when both panels hold their drawing, the frame
# after is the one that shows them.
PAINTED_PROBE = """
(function () {
  function look() {
    if (document.querySelector('#PaintBox2 svg') && document.querySelector('#PaintBox1 svg'))
      requestAnimationFrame(() => { const c = new MessageChannel();
        c.port1.onmessage = () => { window.benchPanelsPainted = performance.now(); }; c.port2.postMessage(0); });
    else requestAnimationFrame(look);
  }
  requestAnimationFrame(look);
  window.benchClicks = [];
  addEventListener('click', (e) => {
    const start = e.timeStamp;
    requestAnimationFrame(() => { const c = new MessageChannel();
      c.port1.onmessage = () => window.benchClicks.push(performance.now() - start); c.port2.postMessage(0); });
  }, true);
  // After the row's own handler: the step's work without the wait for the next frame.
  window.benchHandlers = [];
  addEventListener('click', (e) => window.benchHandlers.push(performance.now() - e.timeStamp));
  // Return or Space on a row, from the key's time stamp to just after the next frame.
  window.benchKeys = [];
  addEventListener('keydown', (e) => {
    if (e.key !== 'Enter' && e.key !== ' ') return;
    const start = e.timeStamp;
    requestAnimationFrame(() => { const c = new MessageChannel();
      c.port1.onmessage = () => window.benchKeys.push(performance.now() - start); c.port2.postMessage(0); });
  }, true);
})();
"""

# The least a click can cost under the same probe: a bare page whose one button changes colour (its two
# empty panels only end the probe's wait). What the walk's figures have above this is the page's own.
FLOOR_PAGE = """<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><meta name="viewport" content="width=device-width">
<title>floor</title><script src="bench-probe.js"></script></head>
<body><button id="Floor" style="width: 200px; height: 60px">box</button>
<div id="PaintBox1" hidden><svg></svg></div><div id="PaintBox2" hidden><svg></svg></div>
<script src="floor.js"></script></body></html>
"""
FLOOR_SCRIPT = "const b = document.getElementById('Floor'); b.onclick = () => { b.style.background = " \
    "b.style.background === 'red' ? 'silver' : 'red'; }; window.mohrwalkReady = true;"

# Waits in the page, without a round trip per poll, until the probe has `n` figures in `list`.
WAIT_FOR = """
const [list, n, done] = arguments;
const look = () => (window[list].length >= n ? done() : setTimeout(look, 20));
look();
"""


def probed_page(web):
    """bench.html: the page with the probe as its first script."""
    with open(os.path.join(web, "bench-probe.js"), "w", encoding="utf-8") as f:
        f.write(PAINTED_PROBE)
    with open(os.path.join(web, "index.html"), encoding="utf-8") as f:
        page = f.read()
    page = page.replace('<script src="data.js"', '<script src="bench-probe.js"></script>\n<script src="data.js"', 1)
    with open(os.path.join(web, "bench.html"), "w", encoding="utf-8") as f:
        f.write(page)
    with open(os.path.join(web, "floor.html"), "w", encoding="utf-8") as f:
        f.write(FLOOR_PAGE)
    with open(os.path.join(web, "floor.js"), "w", encoding="utf-8") as f:
        f.write(FLOOR_SCRIPT)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def lighthouse(url, runs):
    results = []
    for _ in range(runs):
        with tempfile.NamedTemporaryFile(suffix=".json") as out:
            subprocess.run([LIGHTHOUSE, url, "--quiet", "--output=json", "--output-path=" + out.name,
                            "--only-categories=performance,accessibility,best-practices",
                            "--chrome-flags=--headless=new --no-sandbox --disable-gpu"],
                           env=dict(os.environ, CHROME_PATH=CHROMIUM), check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            report = json.load(open(out.name, encoding="utf-8"))
        c = report["categories"]
        results.append((c["performance"]["score"], c["accessibility"]["score"], c["best-practices"]["score"],
                        report["audits"]["first-contentful-paint"]["numericValue"],
                        [a for cat in ("accessibility", "best-practices") for a in
                         (r["id"] for r in c[cat]["auditRefs"]) if report["audits"][a]["score"] not in (None, 1)]))
    results.sort(key=lambda r: r[0])
    return results[len(results) // 2]


def wait_ready(d):
    """Until both panels are painted and the drawings' descriptions are in (at most 10 s)."""
    end = time.time() + 10
    while time.time() < end and not d.execute_script("return window.benchPanelsPainted && window.mohrwalkReady"):
        time.sleep(0.02)


def per_step(runs):
    """The median over the runs for each of the 31 steps: the median of those and the slowest, and which."""
    steps = [statistics.median(run[k] for run in runs) for k in range(31)]
    return statistics.median(steps), max(steps), steps.index(max(steps)) + 1


def page_timings(engine, url, loads=5):
    sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "web"))
    import engines
    from selenium.webdriver.common.by import By

    d = engines.launch(engine, offline=False)
    try:
        version = d.version
        painted, clicks, handlers = [], [], []
        for _ in range(loads):
            d.get(url)
            wait_ready(d)
            painted.append(d.execute_script("return window.benchPanelsPainted"))
            for k in range(31):
                row = d.find_element(By.CSS_SELECTOR, f"#TreeView1 [data-index='{k}']")
                row.click()
                end = time.time() + 5
                while time.time() < end and d.execute_script("return window.benchClicks.length") < k + 1:
                    time.sleep(0.005)
            taken = d.execute_script("return [...document.querySelectorAll('#TreeView1 [aria-checked=true]')].length")
            if taken != 31:
                raise RuntimeError(f"the bench walk in {engine} took {taken} steps, not 31")
            clicks.append(d.execute_script("return window.benchClicks"))
            handlers.append(d.execute_script("return window.benchHandlers"))
    finally:
        d.quit()
    click_median, click_slowest, slowest_step = per_step(clicks)
    handler_median, handler_slowest, _ = per_step(handlers)
    return {"version": version.replace(" ", "_"), "panels_painted_ms": statistics.median(painted),
            "click_median_ms": click_median, "click_slowest_ms": click_slowest,
            "handler_median_ms": handler_median, "handler_slowest_ms": handler_slowest,
            "click_slowest_step": slowest_step}


def profile_timings(url, phone, loads=3):
    """In Chromium, each kind of action the student takes, from its time stamp to just after the next frame,
    with the page's own handler beside it where a click has one: the 31 steps by tap (or click) and by
    Return/Space, and restart, the language switch and a page change by their buttons; and as many clicks on
    the bare page that shows what the probe itself cannot go below. `phone`: 375 x 667,
    touch, the processor slowed 4x through the devtools protocol (Lighthouse's mobile profile); otherwise
    1024 x 768 at full speed, by mouse."""
    sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "web"))
    import engines
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys

    d = engines.launch("chromium", offline=False)
    d.set_script_timeout(60)
    if phone:
        d.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                          {"width": 375, "height": 667, "deviceScaleFactor": 2, "mobile": True})
        d.execute_cdp_cmd("Emulation.setTouchEmulationEnabled", {"enabled": True, "maxTouchPoints": 5})
    else:
        d.set_window_size(1024, 768)

    def press(element):
        """A tap in the middle of the element, or a mouse click; brought into view first if it is not."""
        if not phone:
            element.click()
            return
        x, y = d.execute_script(
            "const e = arguments[0]; let r = e.getBoundingClientRect();"
            "if (r.top < 0 || r.bottom > innerHeight) { e.scrollIntoView({block: 'center'}); r = e.getBoundingClientRect(); }"
            "return [r.left + r.width / 2, r.top + r.height / 2];", element)
        point = [{"x": x, "y": y}]
        d.execute_cdp_cmd("Input.dispatchTouchEvent", {"type": "touchStart", "touchPoints": point})
        d.execute_cdp_cmd("Input.dispatchTouchEvent", {"type": "touchEnd", "touchPoints": []})

    def wait(list_name, n):
        d.execute_async_script(WAIT_FOR, list_name, n)

    def load(address=url):
        d.execute_cdp_cmd("Emulation.setCPUThrottlingRate", {"rate": 1})
        d.get(address)
        wait_ready(d)
        d.execute_cdp_cmd("Emulation.setCPUThrottlingRate", {"rate": 4 if phone else 1})

    runs = {"tap": [], "tap_handler": [], "key": [], "restart": [], "switch": [], "page": [], "floor": []}
    try:
        for _ in range(loads):
            load()
            for k in range(31):
                press(d.find_element(By.CSS_SELECTOR, f"#TreeView1 [data-index='{k}']"))
                wait("benchClicks", k + 1)
                time.sleep(0.05)
            runs["tap"].append(d.execute_script("return window.benchClicks"))
            runs["tap_handler"].append(d.execute_script("return window.benchHandlers"))
            # The commands, each a few times, from the end of the walk.
            commands = [("restart", "SpeedButton2"), ("switch", "SpeedButton4"), ("switch", "SpeedButton4"),
                        ("page", "TabSheet2-tab"), ("page", "TabSheet1-tab")]
            for name, control in commands:
                d.execute_script("window.benchClicks = []; scrollTo(0, 0);")
                time.sleep(0.1)
                press(d.find_element(By.ID, control))
                wait("benchClicks", 1)
                runs[name].append(d.execute_script("return window.benchClicks[0]"))
            # By keys: Return and Space on each row in turn, Escape or Down to the next.
            load()
            row = d.find_element(By.CSS_SELECTOR, "#TreeView1 [data-index='0']")
            d.execute_script("arguments[0].focus()", row)
            for k in range(31):
                d.switch_to.active_element.send_keys(Keys.ENTER if k % 2 else Keys.SPACE)
                wait("benchKeys", k + 1)
                time.sleep(0.05)
                if k < 30:
                    on_memo = d.switch_to.active_element.get_attribute("id") == "Memo1"
                    d.switch_to.active_element.send_keys(Keys.ESCAPE if on_memo else Keys.ARROW_DOWN)
            runs["key"].append(d.execute_script("return window.benchKeys"))
            # The floor: as many clicks on the bare page.
            load(url.rsplit("/", 1)[0] + "/floor.html")
            for k in range(31):
                press(d.find_element(By.ID, "Floor"))
                wait("benchClicks", k + 1)
                time.sleep(0.05)
            runs["floor"].append(d.execute_script("return window.benchClicks"))
    finally:
        d.quit()
    out = {}
    for name in ("tap", "tap_handler", "key", "floor"):
        out[name + "_median_ms"], out[name + "_slowest_ms"], _ = per_step(runs[name])
    for name in ("restart", "switch", "page"):
        out[name + "_median_ms"] = statistics.median(runs[name])
        out[name + "_slowest_ms"] = max(runs[name])
    return out


def main():
    program = sys.argv[1]
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    for tool in (LIGHTHOUSE, CHROMIUM, "/usr/bin/chromedriver"):
        if not os.path.exists(tool):
            print(f"page.py: {tool} is missing (scripts/install-deps bench)", file=sys.stderr)
            return 77
    sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "web"))
    import engines
    timings = {}
    with tempfile.TemporaryDirectory() as scratch:
        subprocess.run([program, scratch], check=True, capture_output=True,
                       env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
        web = os.path.join(scratch, "web")
        probed_page(web)
        port = free_port()
        server = subprocess.Popen([sys.executable, "-m", "http.server", str(port), "--bind", "127.0.0.1",
                                   "--directory", web], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            url = f"http://127.0.0.1:{port}/index.html"
            for _ in range(100):
                try:
                    socket.create_connection(("127.0.0.1", port), timeout=0.1).close()
                    break
                except OSError:
                    time.sleep(0.05)
            perf, a11y, practices, fcp, missed = lighthouse(url, runs)
            for engine in engines.ENGINES:
                why = engines.missing(engine)
                if why:
                    print(f"page.py: {engine} left out: {why}", file=sys.stderr)
                    continue
                timings[engine] = page_timings(engine, f"http://127.0.0.1:{port}/bench.html")
            if not engines.missing("chromium"):
                for profile, phone in (("full", False), ("phone", True)):
                    for key, value in profile_timings(f"http://127.0.0.1:{port}/bench.html", phone).items():
                        timings.setdefault("profile", {})[f"{profile}_{key}"] = value
        finally:
            server.terminate()
            server.wait()
    print(f"lighthouse_performance {perf:.2f}")
    print(f"lighthouse_accessibility {a11y:.2f}")
    print(f"lighthouse_best_practices {practices:.2f}")
    print(f"lighthouse_fcp_ms {fcp:.0f}")
    print(f"lighthouse_runs {runs}")
    print(f"lighthouse_missed {','.join(missed) or '-'}")
    for key, value in timings.pop("profile", {}).items():
        print(f"profile_{key} {value:.1f}")
    for engine, values in timings.items():
        for key, value in values.items():
            shown = value if isinstance(value, str) or key == "click_slowest_step" else \
                f"{value:.1f}" if key == "panels_painted_ms" else f"{value:.2f}"
            print(f"{engine}_{key} {shown}")
            if engine == "chromium":
                print(f"page_{key} {shown}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
