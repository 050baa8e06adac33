"""The web edition with a real screen reader, as a blind student walks it: Orca on its own accessibility bus
under Xvfb, with a speech-dispatcher that writes every utterance to a file, reads the page in Firefox ESR
while xdotool presses the keys. Every step is taken by keys in Dutch, then in English (or only in the
languages MOHRWALK_SCREENREADER_LANGS names); each step's explanation must be heard whole and once, the
next line of one read again by the reader's own key, no step silent, the refusal heard once, and after
restart and the language switch the first row read and Down moving on.

Usage: screenreader.py PATH/TO/mohrwalk-figures. MOHRWALK_KEEP_RUN keeps the session's files (what was
said, the logs, with MOHRWALK_ORCA_DEBUG also Orca's debug log) and says where. Exits 77 when a tool is
missing or the session cannot have a PID namespace of its own (without one, Orca would not start beside a
user's own Orca).
"""

import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import urllib.parse

HERE = os.path.dirname(os.path.abspath(__file__))
TOOLS = ("orca", "speech-dispatcher", "firefox-esr", "xdotool", "Xvfb", "dbus-run-session", "dbus-send", "unshare")
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
# The system's own tools first: a Python of the user's own has no accessibility modules.
PATH = "/usr/sbin:/usr/bin:/sbin:/bin"


def flat(text):
    return " ".join(text.split())


def xdotool_keys(keys):
    """A key as the page's data names it (KeyboardEvent names) for xdotool."""
    names = {"Alt": "alt", "Shift": "shift", "Ctrl": "ctrl", "PageDown": "Next", "PageUp": "Prior",
             "Escape": "Escape", "Enter": "Return"}
    return "+".join(names.get(part, part.lower() if len(part) == 1 else part) for part in keys.split("+"))


def read_data(web):
    with open(os.path.join(web, "data.js"), encoding="utf-8") as f:
        text = f.read()
    return json.loads(text[text.index("{"):text.rindex("}") + 1])


class Plan:
    """The keys to press, each with the words to wait for, and what to check in what was heard."""

    def __init__(self):
        self.steps = []

    def key(self, keys, what, says=(), once=(), never=(), within=None):
        """`within`: a text all that is heard must be part of."""
        self.steps.append({"keys": [keys], "what": what, "wait": list(says) + list(once),
                           "says": list(says), "once": list(once), "never": list(never), "within": within})


def walk_plan(data, langs):
    """The page opens in Dutch; in each language of `langs` in turn: a jump refused, every step, restart."""
    plan = Plan()
    rows = {lang: [row["text"] for row in data["trees"][lang]] for lang in ("nl", "en")}
    key_of = {control: xdotool_keys(data["keys"]["commands"][control][0]) for control in ("SpeedButton2", "SpeedButton4")}

    def switch(lang):
        plan.key(key_of["SpeedButton4"], "the language switch", says=[rows[lang][0]],
                 once=[data["announcements"][lang]["switch"]])
        return lang

    shown = "nl"
    plan.key("Tab", "to the page tab")
    plan.key("Tab", "into the steps", says=[rows[shown][0]])
    for lang in langs:
        if lang != shown:
            shown = switch(lang)
        refusal = data["refusal"][lang]
        # A jump: the third row is a topic further down.
        plan.key("Down", "to the second topic", says=[rows[lang][2]])
        plan.key("Return", "a jump, refused", once=[refusal])
        plan.key("Return", "the refusal closed", says=[rows[lang][2]], never=[refusal])
        plan.key("Home", "back to the first row", says=[rows[lang][0]])
        for k, program in enumerate(data["steps"][lang]):
            explanation = [data["explanations"][lang][action[1]] for action in program if action[0] == "add"]
            top = any(action[0] == "top" for action in program)
            plan.key("Return", f"step {k}" + (" (into the explanation)" if top else ""), once=explanation)
            if top and k == 0:
                # Read again with the reader's own key: its next line.
                plan.key("Down", "the explanation's next line", within=" ".join(explanation))
            if k + 1 < len(data["steps"][lang]):
                # Nor heard late, a second time.
                plan.key("Escape" if top else "Down", f"to row {k + 1}", says=[rows[lang][k + 1]], never=explanation)
        plan.key(key_of["SpeedButton2"], "restart", says=[rows[lang][0]],
                 once=[data["announcements"][lang]["restart"]])
        plan.key("Down", "on after restart", says=[rows[lang][2]])
    shown = switch("en" if shown == "nl" else "nl")
    plan.key("Down", "on after the switch", says=[rows[shown][2]])
    return plan


def check(plan, transcript):
    """The failures: each step's words heard (in order), once where they must be, never where they must not."""
    problems = []
    if len(transcript) != len(plan.steps):
        problems.append(f"the walk stopped after {len(transcript)} of {len(plan.steps)} keys")
    for step, result in zip(plan.steps, transcript):
        said = flat(" ".join(result["heard"]))
        where = f"{step['what']} ({step['keys'][0]})"
        if not said:
            problems.append(f"{where}: silent")
            continue
        for words in step["says"]:
            if flat(words) not in said:
                problems.append(f"{where}: {words!r} not heard in {said!r}")
        for words in step["once"]:
            times = said.count(flat(words))
            if times != 1:
                problems.append(f"{where}: {words!r} heard {times} times in {said!r}")
        for words in step["never"]:
            if flat(words) in said:
                problems.append(f"{where}: {words!r} heard again")
        if step["within"] is not None and any(flat(u) not in flat(step["within"]) for u in result["heard"]):
            problems.append(f"{where}: {said!r} is not of {step['within']!r}")
    return problems


def isolation():
    """A PID namespace for the session, as root or through a user namespace."""
    for prefix in (["unshare", "--pid", "--fork", "--kill-child", "--mount-proc"],
                   ["unshare", "--user", "--map-root-user", "--pid", "--fork", "--kill-child", "--mount-proc"]):
        if subprocess.run(prefix + ["true"], capture_output=True).returncode == 0:
            return prefix
    return None


def main():
    # Ended from outside (a test's time out), the session still ends with this script.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    missing = [tool for tool in TOOLS if not shutil.which(tool, path=PATH)]
    if not os.path.exists(BUS_LAUNCHER):
        missing.append(BUS_LAUNCHER)
    if missing:
        print(f"SKIP: {', '.join(missing)} missing (scripts/install-deps test installs them)")
        return 77
    isolate = isolation()
    if not isolate:
        print("SKIP: no PID namespace for the session (unshare refused), so Orca would meet a user's own Orca")
        return 77
    langs = os.environ.get("MOHRWALK_SCREENREADER_LANGS", "nl en").split()
    scratch = tempfile.mkdtemp(prefix="mohrwalk-reader-")
    keep = False
    try:
        folder = os.path.join(scratch, "course")
        export = subprocess.run([sys.argv[1], folder], capture_output=True, text=True)
        if export.returncode != 0:
            print(f"FAIL: mohrwalk-figures failed: {export.stderr}")
            return 1
        web = os.path.join(folder, "web")
        plan = walk_plan(read_data(web), langs)
        run = os.path.join(scratch, "run")
        os.makedirs(run)
        with open(os.path.join(run, "plan.json"), "w", encoding="utf-8") as f:
            json.dump(plan.steps, f, ensure_ascii=False)
        url = "file://" + urllib.parse.quote(os.path.join(web, "index.html"))
        env = dict(os.environ, PATH=PATH)
        began = time.monotonic()
        # Killed, unshare takes the whole namespace with it (--kill-child).
        session = subprocess.Popen(isolate + ["dbus-run-session", "--", "/usr/bin/python3",
                                              os.path.join(HERE, "session.py"), run, url, os.path.join(run, "plan.json")],
                                   env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        try:
            _, errors = session.communicate(timeout=600)
            trouble = errors.strip() if session.returncode else ""
        except subprocess.TimeoutExpired:
            trouble = "the session took more than 600 s"
        finally:
            if session.poll() is None:
                session.kill()
                session.wait()
        print(f"the session took {time.monotonic() - began:.0f} s")
        transcript = []
        if os.path.exists(os.path.join(run, "transcript.json")):
            with open(os.path.join(run, "transcript.json"), encoding="utf-8") as f:
                transcript = json.load(f)
        for step, result in zip(plan.steps, transcript):
            print(f"== {step['what']}: {step['keys'][0]} ({result['seconds']} s)")
            for words in result["heard"]:
                print("   | " + words.replace("\n", " / "))
        problems = ([trouble] if trouble else []) + check(plan, transcript)
        for problem in problems:
            print("FAIL:", problem)
        keep = bool(os.environ.get("MOHRWALK_KEEP_RUN"))
        if keep:
            print(f"the session's files are kept in {run}")
        print(f"{0 if problems else 1} passed, {1 if problems else 0} failed")
        return 1 if problems else 0
    finally:
        if not keep:
            shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
