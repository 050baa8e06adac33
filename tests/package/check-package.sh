#!/usr/bin/env bash
# The Debian package, end to end without touching this machine: cpack builds it from the build folder,
# lintian checks it against Debian policy, its control fields and file list are checked, it is unpacked
# into a scratch root where its desktop entry and metainfo are validated and the menu entry's command
# is started, and it is installed into and removed from a second scratch root with a dpkg database of
# its own.
# Usage: check-package.sh BUILD_DIR [hardened|plain]: with "hardened" (an optimised build), the programs'
# hardening is checked too. Exit 77 (skipped) when a needed tool is missing.
set -euo pipefail

build=${1:?usage: check-package.sh BUILD_DIR [hardened|plain]}
kind=${2:-plain}
app_id=org.mohrwalk.MohrWalk

skip() {
    echo "SKIPPED: $*"
    exit 77
}
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

for tool in cpack dpkg dpkg-deb dpkg-shlibdeps fakeroot desktop-file-validate appstreamcli lintian timeout hardening-check objdump; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/install-deps installs it)"
done
[[ -f $build/CPackConfig.cmake ]] || fail "no CPackConfig.cmake in $build"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# --- build the package -----------------------------------------------------------------------------
if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1; then
    cat "$scratch/cpack.log" >&2
    fail "cpack did not make the package"
fi
shopt -s nullglob
debs=("$scratch"/out/*.deb)
[[ ${#debs[@]} -eq 1 ]] || fail "expected one .deb, found ${#debs[@]}"
deb=${debs[0]}
echo "package: $(basename "$deb")"

# --- Debian policy: no error and no warning from lintian (informational tags are shown, not fatal) --
set +e
lintian --display-info --pedantic --fail-on error,warning "$deb" >"$scratch/lintian.log" 2>&1
lintian_status=$?
set -e
grep -v '^running with root privileges' "$scratch/lintian.log" || true
[[ $lintian_status -eq 0 ]] || fail "lintian reports errors or warnings (status $lintian_status)"

# --- control fields --------------------------------------------------------------------------------
field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == mohrwalk ]] || fail "package name is '$(field Package)'"
[[ $(field Section) == education ]] || fail "section is '$(field Section)'"
[[ $(field Architecture) == "$(dpkg --print-architecture)" ]] || fail "architecture is '$(field Architecture)'"
depends=$(field Depends)
echo "depends: $depends"
# The libraries the two programs load, found by dpkg-shlibdeps, and the fonts the panels draw with.
for dependency in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 libjpeg62-turbo libzip4 fonts-liberation2; do
    tr ',|' '\n\n' <<<"$depends" | awk '{print $1}' | grep -qxF "$dependency" || fail "Depends lacks $dependency"
done

# --- the files it holds ------------------------------------------------------------------------------
expected=(
    ./usr/bin/mohrwalk
    ./usr/bin/mohrwalk-figures
    ./usr/share/applications/$app_id.desktop
    ./usr/share/metainfo/$app_id.metainfo.xml
    ./usr/share/icons/hicolor/32x32/apps/$app_id.png
    ./usr/share/icons/hicolor/64x64/apps/$app_id.png
    ./usr/share/icons/hicolor/scalable/apps/$app_id.svg
    ./usr/share/doc/mohrwalk/copyright
    ./usr/share/doc/mohrwalk/changelog.Debian.gz
    ./usr/share/man/man1/mohrwalk.1.gz
    ./usr/share/man/man1/mohrwalk-figures.1.gz
    ./usr/share/lintian/overrides/mohrwalk
)
# The web edition: every file the figures program wrote into web/ while packaging, and nothing else; and
# its course package.
web=$build/web-edition/figures/web
if [[ -d $web ]]; then
    while IFS= read -r file; do
        expected+=("./usr/share/mohrwalk/web/${file#./}")
    done < <(cd "$web" && find . -type f)
fi
if [[ -f $build/web-edition/figures/mohrwalk-scorm12.zip ]]; then
    expected+=(./usr/share/mohrwalk/mohrwalk-scorm12.zip)
fi
dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sort >"$scratch/files"
printf '%s\n' "${expected[@]}" | sort >"$scratch/expected"
if ! diff -u "$scratch/expected" "$scratch/files"; then
    fail "the package holds other files than expected"
fi

# --- unpacked: metadata, icons, menu entry -----------------------------------------------------------
root=$scratch/root
dpkg-deb -x "$deb" "$root"
desktop=$root/usr/share/applications/$app_id.desktop
metainfo=$root/usr/share/metainfo/$app_id.metainfo.xml
[[ -x $root/usr/bin/mohrwalk && -x $root/usr/bin/mohrwalk-figures ]] || fail "the programs are not executable"
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the desktop file"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects the metainfo"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
    fail "the metainfo does not launch $app_id.desktop"
grep -qx 'Categories=.*Education;.*' "$desktop" || fail "the desktop entry is not in Education"
grep -q '^Name\[nl\]=' "$desktop" && grep -q '^Comment\[nl\]=' "$desktop" || fail "no Dutch name or comment"
# A dock matches the running window to this entry by its class, which the program sets to the app id.
wm_class=$(sed -n 's/^StartupWMClass=//p' "$desktop")
[[ $wm_class == "$app_id" ]] || fail "StartupWMClass is '$wm_class', not the app id $app_id"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[[ $icon == "$app_id" ]] || fail "Icon is '$icon'"
# PNG header: the width and height are the big-endian words at bytes 16 and 20.
for side in 32 64; do
    size=$(od -An -tx1 -j16 -N8 "$root/usr/share/icons/hicolor/${side}x$side/apps/$icon.png" | tr -d ' \n')
    [[ $size == $(printf '%08x%08x' $side $side) ]] || fail "the ${side}x$side icon is not $side x $side pixels ($size)"
done
grep -q '<svg' "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" || fail "the scalable icon is no SVG"

# --- hardened programs ----------------------------------------------------------------------------
# Every check of hardening-check but control-flow protection, which it reads from a property note that
# the linker drops unless every object carries it: the C library's start files of this Debian release
# do not, so no program built here has it (nor /usr/bin/ls). That the code itself is built for it is
# checked instead: the indirect-branch landing pads are there.
for program in mohrwalk mohrwalk-figures; do
    if [[ $kind != hardened ]]; then
        echo "hardening of $program not checked: not an optimised build"
        continue
    fi
    hardening-check --nocfprotection "$root/usr/bin/$program" || fail "$program is not hardened"
    [[ $(objdump -d "$root/usr/bin/$program" | grep -c endbr64) -gt 100 ]] ||
        fail "$program is not built with control-flow protection"
done

# The menu entry's command, found on the PATH of the unpacked package, starts the program and keeps
# it running (the entry gives it no argument that would end it early).
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
[[ $exec_line == mohrwalk ]] || fail "Exec is '$exec_line'"
set +e
PATH="$root/usr/bin:$PATH" QT_QPA_PLATFORM=offscreen timeout 4 sh -c "exec $exec_line" >"$scratch/run.log" 2>&1
status=$?
set -e
if [[ $status -ne 124 ]]; then
    cat "$scratch/run.log" >&2
    fail "the program from the menu entry ended by itself with status $status instead of running"
fi

# --- installed and removed with dpkg, in a root of its own ---------------------------------------------
target=$scratch/target
admin=$target/var/lib/dpkg
mkdir -p "$admin/info" "$admin/updates" "$admin/triggers"
touch "$admin/status" "$admin/available"
dpkg_root=(dpkg --root="$target" --log=/dev/null --force-not-root --force-depends --force-script-chrootless)
"${dpkg_root[@]}" -i "$deb" >"$scratch/install.log" 2>&1 || {
    cat "$scratch/install.log" >&2
    fail "dpkg could not install the package"
}
[[ $("${dpkg_root[@]}" -s mohrwalk | sed -n 's/^Status: //p') == "install ok installed" ]] ||
    fail "dpkg does not list the package as installed"
for file in "${expected[@]}"; do
    [[ -f $target/${file#./} ]] || fail "installed package lacks ${file#./}"
done
"${dpkg_root[@]}" --purge mohrwalk >"$scratch/remove.log" 2>&1 || {
    cat "$scratch/remove.log" >&2
    fail "dpkg could not remove the package"
}
left=$(find "$target" -mindepth 1 -not -path "$admin" -not -path "$admin/*" -not -type d)
[[ -z $left ]] || fail "files left after removal: $left"
left=$(find "$target" -mindepth 1 -type d -not -path "$target/var" -not -path "$target/var/lib" \
    -not -path "$admin" -not -path "$admin/*")
[[ -z $left ]] || fail "folders left after removal: $left"

echo "package ok"
