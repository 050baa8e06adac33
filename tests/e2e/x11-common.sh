# Shared by the end-to-end scripts that run the program on a private Xvfb server: a scratch folder,
# background processes ended on exit, polling waits, and readiness checks for the server and the
# window manager. Source it; it sets `work` and `pids`.

work=$(mktemp -d)
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null
    done
    for pid in "${pids[@]}"; do
        wait "$pid" 2>/dev/null
    done
    rm -rf "$work"
}
trap cleanup EXIT

# Polls a command every 0.1 s until it succeeds or the number of seconds runs out.
wait_for() {
    local seconds=$1
    shift
    local tries=$((seconds * 10))
    while ((tries-- > 0)); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# Xvfb writes its display number to $work/display (-displayfd 3 >$work/display).
display_ready() { [[ -s $work/display ]] && xdpyinfo -display ":$(cat "$work/display")" >/dev/null 2>&1; }
wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# A runtime folder of this run's own: the session bus and the accessibility bus put their sockets
# there, so two runs side by side (ctest -j2, two checkouts) can never talk to each other's bus.
use_private_runtime_dir() {
    export XDG_RUNTIME_DIR=$work/runtime
    mkdir -p -m 700 "$XDG_RUNTIME_DIR"
}
