#!/usr/bin/env bash
# End-to-end start-up check on a real X server: the program started on an 800-pixel-wide screen keeps
# running, its window's class being the one its desktop entry names; on a 799-pixel-wide screen it
# shows the "CheckForm" warning and ends once the warning is closed, by its button or by its close box.
#
# Usage: startup_check.sh PATH/TO/mohrwalk PATH/TO/DESKTOP-ENTRY
# Exits 77 (skipped) when Xvfb or xdotool is missing.
set -u

program=${1:?usage: startup_check.sh PATH/TO/mohrwalk PATH/TO/DESKTOP-ENTRY}
desktop_entry=${2:?usage: startup_check.sh PATH/TO/mohrwalk PATH/TO/DESKTOP-ENTRY}
main_title='^KS1150 : Tensorkring$'

for tool in Xvfb xdotool xdpyinfo xprop xwininfo dbus-run-session; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed; the end-to-end start-up check needs a real X server"
        exit 77
    fi
done
have_openbox=0
command -v openbox >/dev/null 2>&1 && have_openbox=1

. "$(dirname "$0")/x11-common.sh"

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

find_window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
window_shown() { [[ -n $(find_window "$1") ]]; }
process_gone() { ! kill -0 "$1" 2>/dev/null; }

# Starts Xvfb with one screen of the given width and, when there is one, the window manager; sets
# DISPLAY. Returns non-zero when either does not come up.
start_server_once() {
    local width=$1
    rm -f "$work/display"
    Xvfb -displayfd 3 -screen 0 "${width}x600x24" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    pids+=($!)
    wait_for 15 display_ready || return 1
    export DISPLAY=":$(cat "$work/display")"
    if ((have_openbox)); then
        openbox --sm-disable >"$work/openbox.log" 2>&1 &
        pids+=($!)
        wait_for 15 wm_ready || return 1
    fi
}

# A busy machine now and then loses a freshly started server or window manager; try again on a new one.
start_server() {
    local attempt
    for attempt in 1 2 3; do
        start_server_once "$1" && return 0
        echo "note: attempt $attempt to start the X server and the window manager failed"
        cat "$work/xvfb.log" "$work/openbox.log" 2>/dev/null
        stop_server
    done
    echo "SKIP: the X server and its window manager did not start"
    exit 77
}

stop_server() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    pids=()
}

# In a session bus of its own, as on a desktop. Without one, the accessibility bridge's D-Bus library
# forks to start a bus itself while the program's other threads run, and a forked child of a sanitizer
# build can wait forever on a lock one of those threads held.
start_program() {
    QT_QPA_PLATFORM=xcb dbus-run-session -- "$program" >"$work/program.log" 2>&1 &
    program_pid=$!
    pids+=("$program_pid")
    started=$SECONDS
}

# Waits for the program to end and sets `status` to its exit status ("timeout" if it goes on).
program_status() {
    if ! wait_for 15 process_gone "$program_pid"; then
        status=timeout
        return
    fi
    wait "$program_pid"
    status=$?
}

outer_size_is_800_by_600() {
    local id=$1 extents width height
    extents=$(xprop -id "$id" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= *//p')
    [[ -n $extents ]] || extents="0, 0, 0, 0"
    IFS=', ' read -r left right top bottom <<<"$extents"
    width=$(xwininfo -id "$id" | sed -n 's/.*Width: *//p')
    height=$(xwininfo -id "$id" | sed -n 's/.*Height: *//p')
    ((left + right + width == 800 && top + bottom + height == 600))
}

echo "== 800 pixels wide: the program keeps running"
start_server 800
start_program
if ! wait_for 20 window_shown "$main_title"; then
    fail "the main window did not appear"
else
    main=$(find_window "$main_title")
    wait_for 10 outer_size_is_800_by_600 "$main" || fail "the main window's outer size is not 800 x 600"
    # A dock finds the menu entry of the running window by its class (the second word of WM_CLASS).
    window_class=$(xprop -id "$main" WM_CLASS | sed -n 's/^WM_CLASS(STRING) = "[^"]*", "\([^"]*\)"$/\1/p')
    entry_class=$(sed -n 's/^StartupWMClass=//p' "$desktop_entry")
    [[ -n $window_class && $window_class == "$entry_class" ]] ||
        fail "the window's class '$window_class' is not the desktop entry's StartupWMClass '$entry_class'"
    [[ $window_class == "$(basename "$desktop_entry" .desktop)" ]] ||
        fail "the window's class '$window_class' is not the desktop entry's id"
    # The check fires a second after start; stay watching well past it.
    while ((SECONDS - started < 3)); do
        process_gone "$program_pid" && break
        window_shown '^CheckForm$' && break
        sleep 0.1
    done
    process_gone "$program_pid" && fail "the program ended on an 800-pixel screen"
    window_shown '^CheckForm$' && fail "the warning was shown on an 800-pixel screen"
    # Exit through the exit button.
    xdotool mousemove --sync --window "$main" 769 101 click 1
    program_status
    [[ $status == 0 ]] || { fail "the exit button did not end the program cleanly (status $status)"; cat "$work/program.log"; }
fi
stop_server

check_narrow_screen() {
    local how=$1
    echo "== 799 pixels wide: the warning, closed by its $how, ends the program"
    start_server 799
    start_program
    if ! wait_for 20 window_shown '^CheckForm$'; then
        fail "the warning did not appear"
        cat "$work/program.log"
    else
        local check
        check=$(find_window '^CheckForm$')
        window_shown "$main_title" || fail "the main window was not on screen with the warning"
        ((SECONDS - started >= 1)) || fail "the warning came before the one-second delay"
        process_gone "$program_pid" && fail "the program ended before the warning was closed"
        if [[ $how == button ]]; then
            # The button's centre in the warning as laid out for this 96-pixels-per-inch screen.
            xdotool mousemove --sync --window "$check" 286 132 click 1
        else
            xdotool windowactivate --sync "$check" 2>/dev/null
            xdotool key --clearmodifiers alt+F4
        fi
        program_status
        [[ $status == 0 ]] || { fail "the program did not end cleanly after the warning (status $status)"; cat "$work/program.log"; }
    fi
    stop_server
}

check_narrow_screen button
if ((have_openbox)); then
    check_narrow_screen "close box"
else
    echo "note: no window manager; closing the warning by its close box is not tried"
fi

if ((failures)); then
    echo "$failures failure(s)"
    exit 1
fi
echo "all end-to-end start-up checks passed"
