"""The web edition's speed, for bench/run: the exported folder served on 127.0.0.1, Lighthouse (pinned in
bench/web/package-lock.json, run with Debian's chromium) on its mobile profile, and in headless Chromium the
time from navigation to both panels painted and each step's click-to-paint.

Usage: page.py PATH/TO/mohrwalk-figures [LIGHTHOUSE_RUNS]. Prints `key value` lines; exits 77 when a tool
is missing.
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

# Runs in the page before its own scripts (the devtools protocol is not bound by the page's policy): when
# both panels hold their drawing, the frame after is the one that shows them.
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
})();
"""


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


def page_timings(url, loads=5):
    from selenium import webdriver
    from selenium.webdriver.chrome.options import Options
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By

    options = Options()
    for argument in ("--headless=new", "--no-sandbox", "--window-size=1024,768", "--disable-gpu"):
        options.add_argument(argument)
    options.binary_location = CHROMIUM
    d = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    try:
        d.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": PAINTED_PROBE})
        painted, clicks, handlers = [], [], []
        for _ in range(loads):
            d.get(url)
            end = time.time() + 10
            while time.time() < end and not d.execute_script("return window.benchPanelsPainted && window.mohrwalkReady"):
                time.sleep(0.02)
            painted.append(d.execute_script("return window.benchPanelsPainted"))
            for k in range(31):
                row = d.find_element(By.CSS_SELECTOR, f"#TreeView1 [data-index='{k}']")
                row.click()
                end = time.time() + 5
                while time.time() < end and d.execute_script("return window.benchClicks.length") < k + 1:
                    time.sleep(0.005)
            taken = d.execute_script("return [...document.querySelectorAll('#TreeView1 [aria-checked=true]')].length")
            if taken != 31:
                raise RuntimeError(f"the bench walk took {taken} steps, not 31")
            clicks.append(d.execute_script("return window.benchClicks"))
            handlers.append(d.execute_script("return window.benchHandlers"))
    finally:
        d.quit()
    # Per step, the median over the loads; then the median and the slowest step.
    per_step = [statistics.median(run[k] for run in clicks) for k in range(31)]
    work = [statistics.median(run[k] for run in handlers) for k in range(31)]
    return statistics.median(painted), statistics.median(per_step), max(per_step), statistics.median(work), max(work)


def main():
    program = sys.argv[1]
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    for tool in (LIGHTHOUSE, CHROMIUM, "/usr/bin/chromedriver"):
        if not os.path.exists(tool):
            print(f"page.py: {tool} is missing (scripts/install-deps bench)", file=sys.stderr)
            return 77
    with tempfile.TemporaryDirectory() as scratch:
        subprocess.run([program, scratch], check=True, capture_output=True,
                       env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
        port = free_port()
        server = subprocess.Popen([sys.executable, "-m", "http.server", str(port), "--bind", "127.0.0.1",
                                   "--directory", os.path.join(scratch, "web")],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            url = f"http://127.0.0.1:{port}/index.html"
            for _ in range(100):
                try:
                    socket.create_connection(("127.0.0.1", port), timeout=0.1).close()
                    break
                except OSError:
                    time.sleep(0.05)
            perf, a11y, practices, fcp, missed = lighthouse(url, runs)
            painted, click_median, click_slowest, work_median, work_slowest = page_timings(url)
        finally:
            server.terminate()
            server.wait()
    print(f"lighthouse_performance {perf:.2f}")
    print(f"lighthouse_accessibility {a11y:.2f}")
    print(f"lighthouse_best_practices {practices:.2f}")
    print(f"lighthouse_fcp_ms {fcp:.0f}")
    print(f"lighthouse_runs {runs}")
    print(f"lighthouse_missed {','.join(missed) or '-'}")
    print(f"page_panels_painted_ms {painted:.1f}")
    print(f"page_click_median_ms {click_median:.2f}")
    print(f"page_click_slowest_ms {click_slowest:.2f}")
    print(f"page_handler_median_ms {work_median:.2f}")
    print(f"page_handler_slowest_ms {work_slowest:.2f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
