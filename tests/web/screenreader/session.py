"""One screen-reader session, run inside a PID namespace of its own under dbus-run-session (screenreader.py
starts it so): an X server, the accessibility bus, a speech-dispatcher that writes every utterance to a
file, Orca and Firefox on the page; then the keys of the plan, pressed with xdotool, and what was said
after each, written to RUN/transcript.json.

Usage: session.py RUN URL PLAN.json; with MOHRWALK_ORCA_DEBUG set, Orca writes its debug log to
RUN/orca-debug.out. The namespace keeps Orca's one-instance-per-user check from seeing (or killing) any
other Orca, and ends every process here when this script ends.
"""

import json
import os
import select
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
RECORD_END = "\x1e\n"


class Session:
    def __init__(self, run):
        self.run = run
        self.spoken = os.path.join(run, "spoken.txt")
        self.processes = []
        self.pipes = []
        self.logs = os.path.join(run, "log")
        os.makedirs(self.logs, exist_ok=True)

    def start(self, name, argv, **kwargs):
        log = open(os.path.join(self.logs, name + ".log"), "w")
        process = subprocess.Popen(argv, stdout=log, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL, **kwargs)
        self.processes.append(process)
        return process

    def stop(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
        for process in reversed(self.processes):
            try:
                process.wait(timeout=3)
            except subprocess.TimeoutExpired:
                process.kill()

    def utterances(self):
        with open(self.spoken, encoding="utf-8", errors="replace") as f:
            return f.read().split(RECORD_END)[:-1]

    def listen(self, before, wanted=(), first=6.0, quiet=0.7, longest=12.0):
        """What was said after the first `before` utterances, and whether it held every text of `wanted`
        (spaces aside): waits for speech and those texts, then for `quiet` seconds of silence."""
        start = last = time.monotonic()
        heard = []
        while True:
            time.sleep(0.02)
            now = time.monotonic()
            got = self.utterances()[before:]
            if len(got) != len(heard):
                heard, last = got, now
            said = " ".join(" ".join(heard).split())
            complete = all(" ".join(w.split()) in said for w in wanted)
            if now - start > longest or (complete and heard and now - last > quiet):
                break
            if complete and not heard and now - start > first:
                break
        return heard, complete, round(now - start, 2)


def wait_for(condition, timeout, step=0.1):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        if condition():
            return True
        time.sleep(step)
    return False


def xdotool(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True)


def bring_up(session, url):
    """Every part of the desktop a student would have, each waited for rather than slept on."""
    run = session.run
    home = os.path.join(run, "home")
    env = os.environ
    env.update({"HOME": home, "XDG_CONFIG_HOME": os.path.join(home, ".config"),
                "XDG_DATA_HOME": os.path.join(home, ".local", "share"), "XDG_CACHE_HOME": os.path.join(home, ".cache"),
                "XDG_RUNTIME_DIR": os.path.join(run, "runtime"), "GSETTINGS_BACKEND": "memory",
                "GTK_USE_PORTAL": "0", "NO_AT_BRIDGE": "0", "LANG": "C.UTF-8", "LC_ALL": "C.UTF-8"})
    for folder in ("XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"):
        os.makedirs(env[folder], mode=0o700, exist_ok=True)
    with open(os.path.join(home, ".libao"), "w") as f:
        f.write("default_driver=null\n")

    # The X server picks a free display and names it once it takes connections.
    read, write = os.pipe()
    session.start("xvfb", ["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                  pass_fds=[write])
    os.close(write)
    # It writes the number and the line's end apart: the pipe stays open, or the second write kills it.
    said = b""
    while not said.endswith(b"\n"):
        if not select.select([read], [], [], 30)[0]:
            raise RuntimeError("Xvfb did not start")
        said += os.read(read, 64)
    session.pipes.append(read)
    env["DISPLAY"] = ":" + said.decode().strip()

    session.start("atspi", ["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
    bus = ["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus.GetAddress"]
    if not wait_for(lambda: subprocess.run(bus, capture_output=True).returncode == 0, 30):
        raise RuntimeError("the accessibility bus did not start")

    speech = os.path.join(run, "speech")
    os.makedirs(os.path.join(speech, "modules"), exist_ok=True)
    for source, target in (("speechd.conf.in", "speechd.conf"), ("textfile.conf.in", os.path.join("modules", "textfile.conf"))):
        with open(os.path.join(HERE, source), encoding="utf-8") as f:
            text = f.read().replace("@RUN@", run)
        with open(os.path.join(speech, target), "w", encoding="utf-8") as f:
            f.write(text)
    open(session.spoken, "w").close()
    socket = os.path.join(speech, "socket")
    env["SPEECHD_ADDRESS"] = "unix_socket:" + socket
    session.start("speechd", ["speech-dispatcher", "-s", "-t", "0", "-C", speech, "-c", "unix_socket", "-S", socket,
                              "-P", os.path.join(speech, "pid"), "-L", session.logs])
    if not wait_for(lambda: os.path.exists(socket), 30):
        raise RuntimeError("speech-dispatcher did not start")

    prefs = os.path.join(run, "orca")
    os.makedirs(prefs, exist_ok=True)
    shutil.copy(os.path.join(HERE, "orca-customizations.py"), prefs)
    # Never --replace: it kills every Orca of this user, which the namespace would not stop.
    debug = ["--debug-file", os.path.join(run, "orca-debug.out")] if os.environ.get("MOHRWALK_ORCA_DEBUG") else []
    session.start("orca", ["orca", "-u", prefs] + debug)
    if not wait_for(lambda: session.utterances(), 60):
        raise RuntimeError("Orca said nothing on starting")

    profile = os.path.join(run, "firefox")
    os.makedirs(profile, exist_ok=True)
    shutil.copy(os.path.join(HERE, "firefox-user.js"), os.path.join(profile, "user.js"))
    before = len(session.utterances())
    session.start("firefox", ["firefox-esr", "--no-remote", "--new-instance", "--profile", profile,
                              "--width", "1280", "--height", "1000", url])
    window = []

    def found():
        ids = xdotool("search", "--onlyvisible", "--name", "Mozilla Firefox").stdout.split()
        window[:] = ids[-1:]
        return bool(ids)

    if not wait_for(found, 90, 0.2):
        raise RuntimeError("no Firefox window")
    xdotool("windowfocus", "--sync", window[0])
    # Off the page, so that nothing is read for the pointer.
    xdotool("mousemove", "--window", window[0], "5", "5")
    heard, loaded, _ = session.listen(before, ["Finished loading"], longest=90)
    if not loaded:
        raise RuntimeError("Orca never said the page had loaded: %r" % heard)


def main():
    run, url, plan = sys.argv[1:4]
    with open(plan, encoding="utf-8") as f:
        steps = json.load(f)
    session = Session(run)
    transcript = []
    status = 0
    try:
        bring_up(session, url)
        missed = 0
        for step in steps:
            before = len(session.utterances())
            xdotool("key", "--delay", "60", *step["keys"])
            heard, complete, took = session.listen(before, step.get("wait", ()))
            transcript.append({"keys": step["keys"], "heard": heard, "seconds": took})
            # Lost on the way: what follows would only wait out its time.
            missed = 0 if complete else missed + 1
            if missed == 3:
                break
    except RuntimeError as e:
        print("session:", e, file=sys.stderr)
        status = 2
    finally:
        with open(os.path.join(run, "transcript.json"), "w", encoding="utf-8") as f:
            json.dump(transcript, f, ensure_ascii=False, indent=1)
        session.stop()
    return status


if __name__ == "__main__":
    sys.exit(main())
