#!/usr/bin/env bash
# The whole walkthrough on a real X server: Xvfb with a small window manager, a private session bus
# with the accessibility bus, and the real program driven only by real X input: with the mouse
# (walkthrough.py) or, given `keyboard`, with keys alone (keyboard.py).
#
# Usage: walkthrough.sh PATH/TO/mohrwalk [keyboard]
# Exits 77 (skipped) when a tool it needs is missing.
set -u

program=${1:?usage: walkthrough.sh PATH/TO/mohrwalk [keyboard]}
here=$(cd "$(dirname "$0")" && pwd)
driver=walkthrough.py
[[ ${2:-} == keyboard ]] && driver=keyboard.py
python=/usr/bin/python3

skip() {
    echo "SKIP: $*; the end-to-end walkthrough needs a real X server and the accessibility bus"
    exit 77
}

for tool in Xvfb xdotool xprop xdpyinfo openbox import dbus-run-session; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
done
[[ -x /usr/libexec/at-spi-bus-launcher ]] || skip "at-spi2-core is not installed"
[[ -x $python ]] || skip "$python is not installed"
"$python" -c "import gi; gi.require_version('Atspi', '2.0'); from gi.repository import Atspi" 2>/dev/null ||
    skip "the Atspi introspection data for python3 (gir1.2-atspi-2.0, python3-gi) is not installed"

. "$here/../e2e/x11-common.sh"

# Starts Xvfb and the window manager; sets DISPLAY. Returns non-zero when either does not come up.
start_server() {
    rm -f "$work/display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    server_pid=$!
    pids+=("$server_pid")
    wait_for 15 display_ready || return 1
    export DISPLAY=":$(cat "$work/display")"
    openbox --sm-disable >"$work/openbox.log" 2>&1 &
    wm_pid=$!
    pids+=("$wm_pid")
    wait_for 15 wm_ready
}

# A busy machine now and then loses a freshly started server; try again on a new one.
started=0
server_pid=
wm_pid=
for attempt in 1 2 3; do
    if start_server; then
        started=1
        break
    fi
    echo "note: attempt $attempt to start the X server and the window manager failed"
    for pid in $wm_pid $server_pid; do
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    wm_pid=
done
if ((!started)); then
    echo "FAIL: no X server with a window manager could be started"
    cat "$work/xvfb.log" "$work/openbox.log" 2>/dev/null
    exit 1
fi

# A private session bus in a private runtime folder; the accessibility bus is started on demand
# through it. Its daemons' chatter goes to a log that is shown only when the run fails.
use_private_runtime_dir
dbus-run-session -- "$python" -u "$here/$driver" "$program" 2>"$work/bus.log"
status=$?
if ((status != 0 && status != 77)); then
    echo "--- session log"
    grep -v 'Failed to set fd limit' "$work/bus.log" | tail -n 40
fi
exit "$status"
