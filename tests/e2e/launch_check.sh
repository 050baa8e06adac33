#!/usr/bin/env bash
# The program's word where it cannot start, and its command line, end to end. With no display at all,
# with a display that does not exist and with a platform Qt cannot load, it prints one sentence and ends
# with status 1, never an abort, naming the display variable that the platforms Qt tried lacked;
# --help and --version answer with no display at all; Qt's own options are
# taken and any other argument is refused with status 2.
#
# Usage: launch_check.sh PATH/TO/mohrwalk VERSION
# Exits 77 (skipped) when timeout is missing.
set -u

program=${1:?usage: launch_check.sh PATH/TO/mohrwalk VERSION}
version=${2:?usage: launch_check.sh PATH/TO/mohrwalk VERSION}
command -v timeout >/dev/null 2>&1 || {
    echo "SKIP: timeout is not installed"
    exit 77
}

. "$(dirname "$0")/x11-common.sh"
# An empty runtime folder: no Wayland compositor's socket can be found in it.
use_private_runtime_dir

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# Runs the program with no display of any kind and the given environment and arguments; sets `status`,
# `out` and `err`.
run() {
    timeout 20 env -u DISPLAY -u WAYLAND_DISPLAY -u WAYLAND_SOCKET -u QT_QPA_PLATFORM -u XDG_SESSION_TYPE \
        "$@" >"$work/out" 2>"$work/err"
    status=$?
    out=$(cat "$work/out")
    err=$(cat "$work/err")
}

# The one sentence: status 1 (an abort would be 134), one line on stderr saying what is missing and
# that mohrwalk is a desktop program, nothing on stdout.
expect_sentence() {
    local what=$1 missing=$2
    echo "== $what: $err"
    [[ $status == 1 ]] || fail "$what: status $status instead of 1"
    [[ $(wc -l <"$work/err") == 1 ]] || fail "$what: not one line on stderr"
    [[ $err == "mohrwalk is a desktop program and needs a display"*"$missing"*. ]] ||
        fail "$what: the sentence does not say '$missing'"
    [[ -z $out ]] || fail "$what: output on stdout"
}

run "$program"
expect_sentence "no display" "neither DISPLAY nor WAYLAND_DISPLAY is set"

# A display number no X server on this machine answers to.
number=900
while [[ -e /tmp/.X11-unix/X$number || -e /tmp/.X$number-lock ]]; do
    number=$((number + 1))
done
run DISPLAY=":$number" "$program"
expect_sentence "a display that does not exist" "the X display \":$number\" cannot be opened"

# Qt's own failure, seen by the program only through Qt's fatal message.
run QT_QPA_PLATFORM=no-such-platform "$program"
expect_sentence "a platform Qt cannot load" '"no-such-platform"'

# Which platforms Qt will try: -platform before QT_QPA_PLATFORM; a list is tried in turn, options cut
# off; a Wayland display is left to Qt (which here has no Wayland plugin), not refused beforehand.
run QT_QPA_PLATFORM=offscreen "$program" -platform xcb
expect_sentence "-platform xcb before QT_QPA_PLATFORM" "DISPLAY is not set"
run QT_QPA_PLATFORM="wayland;xcb:nograb" DISPLAY=":$number" "$program"
expect_sentence "a platform list" "the X display \":$number\" cannot be opened"
run WAYLAND_DISPLAY=wayland-$number "$program"
expect_sentence "a Wayland display" "Qt could not start its platform plugin for it"

# Qt started, but with no screen of a usable size: a framebuffer platform with no framebuffer device, a
# scale factor of zero. Both would abort or wait forever behind an invisible window.
run QT_QPA_PLATFORM=linuxfb QT_QPA_FB_DEV=/nonexistent/fb0 "$program"
expect_sentence "a framebuffer platform without a framebuffer" '"linuxfb" found no screen'
run QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=0 "$program"
expect_sentence "a scale factor of zero" 'QT_SCALE_FACTOR is "0"'

# An argument that is neither the program's nor Qt's is refused before the display is looked for.
run "$program" --bogus
[[ $status == 2 && $err == *'"--bogus"'* && $(wc -l <"$work/err") == 1 ]] ||
    fail "an unknown argument without a display: status $status, stderr '$err'"

run "$program" -style fusion --help
[[ $status == 0 && $out == "Usage: mohrwalk "* && -z $err ]] ||
    fail "--help: status $status, stdout '${out%%$'\n'*}', stderr '$err'"
run "$program" --version
[[ $status == 0 && ${out%%$'\n'*} == "mohrwalk $version" && -z $err ]] ||
    fail "--version: status $status, stdout '${out%%$'\n'*}', stderr '$err'"

# Qt takes its own options out of the command line; what is left is refused.
run "$program" -platform offscreen -style fusion --no-such-option
[[ $status == 2 && $err == *'"--no-such-option"'* ]] || fail "an unknown option: status $status, stderr '$err'"
# Only Qt's options: the program starts and keeps running until stopped.
run timeout 3 "$program" -platform offscreen -style fusion -reverse
[[ $status == 124 ]] || fail "Qt's own options: the program ended by itself with status $status: $err"

if ((failures)); then
    echo "$failures failure(s)"
    exit 1
fi
echo "all launch checks passed"
