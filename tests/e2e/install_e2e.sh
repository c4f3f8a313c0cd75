#!/usr/bin/env bash
# The release as a user gets it: builds the setup program and the zip, checks
# the zip, then in a fresh Wine prefix of its own installs silently, starts the
# saver as Windows would from SCRNSAVE.EXE, installs again over it and
# uninstalls, checking files, registry and Start menu after each step.
# Runs under tools/test, which provides DISPLAY.
# Usage: install_e2e.sh <mingw build tree> <dist folder> <version> <prefix folder>
set -euo pipefail
build="$1" dist=$(realpath -m "$2") version="$3"
export WINEPREFIX="$(realpath -m "$4")" WINEARCH=win32 WINEDEBUG=-all
# No .desktop files in the Linux home for the installer's shortcut.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
work=$(mktemp -d)
saver_pid=""
trap 'kill $saver_pid 2>/dev/null || true; wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
quiet() { "$@" >/dev/null 2>&1 </dev/null; }
# Polls a condition every 0.1 s for up to $1 seconds.
wait_for() {
    local deadline=$((SECONDS + $1)); shift
    until "$@"; do [ $SECONDS -lt $deadline ] || return 1; sleep 0.1; done
}
# The data of one registry value; `reg query` separates its fields by four spaces.
reg_value() {
    wine reg query "$1" /v "$2" 2>/dev/null </dev/null | tr -d '\r' |
        awk -v name="$2" 'BEGIN { FS = "    " } $2 == name { print $4 }'
}

cmake --build "$build" --target dist >/dev/null
setup="$dist/Quillomir-$version-setup.exe"
[ -f "$setup" ] || fail "no $setup"

echo "== the zip: the saver, its library, a read-me and the licence, with the version inside"
mkdir "$work/zip"
(cd "$work/zip" && cmake -E tar xf "$dist/Quillomir-$version.zip")
[ "$(LC_ALL=C ls "$work/zip" | tr '\n' ' ')" = "LICENSE.txt Quillomir.scr README.txt gfxlib.dll " ] ||
    fail "the zip holds: $(LC_ALL=C ls "$work/zip" | tr '\n' ' ')"
grep -q "MIT License" "$work/zip/LICENSE.txt" || fail "no licence text"
grep -q "Quillomir $version" "$work/zip/README.txt" || fail "the read-me names no version"
for f in Quillomir.scr gfxlib.dll; do
    strings -el "$work/zip/$f" | grep -A1 -x FileVersion | grep -qx "$version" || fail "$f has no FileVersion $version"
done

echo "== a fresh prefix with a previous saver and a picture listed"
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
quiet wineboot -i
quiet wineserver -w || true
wineserver -p >/dev/null 2>&1 </dev/null &
quiet wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
desktop='HKCU\Control Panel\Desktop'
settings='HKCU\Control Panel\Screen Saver.Quillomir'
uninstall='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillomir'
previous='C:\windows\system32\previous.scr'
quiet wine reg add "$desktop" /v SCRNSAVE.EXE /d "$previous" /f
convert -size 320x240 xc:'#00ff00' "$work/green.bmp"
quiet wine reg add "$settings" /v ImageCount /t REG_DWORD /d 1 /f
quiet wine reg add "$settings" /v Image00000 /d "$(winepath -w "$work/green.bmp")" /f
quiet wine reg add "$settings" /v DisplayDuration /t REG_DWORD /d 30 /f
drive_c="$WINEPREFIX/drive_c"
home="$drive_c/users/$(wine cmd /c 'echo %USERNAME%' 2>/dev/null </dev/null | tr -d '\r')"
instdir="$home/AppData/Local/Programs/Quillomir"
shortcut="$home/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Quillomir Settings.lnk"
find "$drive_c/windows" -type f | sort > "$work/windows-before.txt"

echo "== silent install for the current user"
quiet wine "$setup" /S || fail "setup exited with $?"
for f in Quillomir.scr gfxlib.dll Uninstall.exe; do [ -f "$instdir/$f" ] || fail "no $f in $instdir"; done
cmp -s "$instdir/Quillomir.scr" "$work/zip/Quillomir.scr" || fail "the installed saver is not the packaged one"
find "$drive_c/windows" -type f | sort | cmp -s - "$work/windows-before.txt" || fail "files written under C:\\windows"
[ -f "$shortcut" ] || fail "no Start-menu entry"
scrnsave=$(reg_value "$desktop" SCRNSAVE.EXE)
case "$scrnsave" in *" "*|"") fail "SCRNSAVE.EXE is '$scrnsave'";; esac
cmp -s "$(winepath -u "$scrnsave")" "$instdir/Quillomir.scr" || fail "SCRNSAVE.EXE is not the installed saver"
[ "$(reg_value "$uninstall" DisplayName)" = Quillomir ] || fail "uninstall entry: no name"
[ "$(reg_value "$uninstall" DisplayVersion)" = "$version" ] || fail "uninstall entry: no version $version"
[ -n "$(reg_value "$uninstall" Publisher)" ] || fail "uninstall entry: no publisher"
size=$(reg_value "$uninstall" EstimatedSize)
[ $((size)) -gt 100 ] || fail "uninstall entry: size $size"
icon=$(reg_value "$uninstall" DisplayIcon)
[ -f "$(winepath -u "${icon%,0}")" ] || fail "uninstall entry: icon $icon"

# Whether a process of this prefix runs a command line that matches $1.
running() {
    local p
    for p in /proc/[0-9]*; do
        { tr '\0' '\n' < "$p/cmdline" | grep -qi "$1" &&
            tr '\0' '\n' < "$p/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX"; } 2>/dev/null && return 0
    done
    return 1
}

echo "== the Start-menu entry opens the configuration dialog"
wine start /wait "$(winepath -w "$shortcut")" >/dev/null 2>&1 </dev/null &
start_pid=$!
wait_for 20 quiet xdotool search --name '^Quillomir$' || fail "no configuration dialog"
dialog=$(xdotool search --name '^Quillomir$' | head -1)
running 'Quillomir\.scr' || fail "the dialog's process is not found"
# Found before it is mapped, the dialog cannot take the focus yet: try again until Escape lands.
# `start` may return before the dialog ends, so the dialog's own process tells; while it runs
# it holds the installed files open and the uninstall below could not remove them.
escape() { quiet xdotool windowfocus --sync "$dialog" key Escape; sleep 0.5; ! running 'Quillomir\.scr'; }
wait_for 10 escape || fail "the dialog did not close on Escape"
wait "$start_pid" || true

echo "== the saver started from SCRNSAVE.EXE shows the picture, and a key ends it"
green_pixels() {
    import -window root "$work/shot.png"
    convert "$work/shot.png" -fill black -fuzz 10% +opaque '#00ff00' -fill white -opaque '#00ff00' \
        -format '%[fx:round(mean*w*h)]' info:
}
# Fully shown, the 320 x 240 picture covers 76800 pixels, less the clock drawn on it.
picture_shown() { [ "$(green_pixels)" -ge 69000 ]; }
wine "$scrnsave" /s >/dev/null 2>&1 </dev/null &
saver_pid=$!
wait_for 20 picture_shown || fail "the picture is not on screen ($(green_pixels) green pixels)"
xdotool key space
wait_for 10 eval '! kill -0 $saver_pid 2>/dev/null' || fail "the saver did not end on a key"
wait "$saver_pid" || fail "the saver exited with $?"
saver_pid=""

echo "== installing again keeps the settings"
quiet wine "$setup" /S || fail "setup exited with $? over an install"
[ "$(reg_value "$settings" ImageCount)" = 0x1 ] || fail "the picture list is lost"
[ "$(reg_value "$settings" DisplayDuration)" = 0x1e ] || fail "the settings are lost"
[ "$(reg_value "$desktop" SCRNSAVE.EXE)" = "$scrnsave" ] || fail "SCRNSAVE.EXE changed on reinstall"

echo "== silent uninstall"
quiet wine "$instdir/Uninstall.exe" /S || fail "the uninstaller exited with $?"
# It goes on from a copy of itself (%TEMP%\~nsuN.tmp\Un.exe) and returns at once.
uninstalling() { running '~nsu.*\.tmp.Un\.exe'; }
# The copy may not have started when the first returns: wait for its work to show, then for it to end.
wait_for 30 eval '[ ! -e "$instdir" ] && ! uninstalling' || true
[ ! -e "$instdir" ] || fail "left behind: $(ls "$instdir")"
[ ! -e "$shortcut" ] || fail "the Start-menu entry is left"
quiet wine reg query "$uninstall" && fail "the uninstall entry is left"
[ "$(reg_value "$desktop" SCRNSAVE.EXE)" = "$previous" ] || fail "the previous saver is not restored"
[ "$(reg_value "$settings" Image00000)" = "$(winepath -w "$work/green.bmp")" ] || fail "the settings are gone"
quiet wine reg query 'HKCU\Software\Quillomir' && fail "the setup's own key is left"

echo "== for all users"
quiet wine "$setup" /S /AllUsers || fail "setup /AllUsers exited with $?"
[ -f "$drive_c/Program Files/Quillomir/gfxlib.dll" ] || fail "no gfxlib.dll in Program Files"
scrnsave=$(reg_value "$desktop" SCRNSAVE.EXE)
case "$scrnsave" in *" "*|"") fail "SCRNSAVE.EXE is '$scrnsave'";; esac
cmp -s "$(winepath -u "$scrnsave")" "$drive_c/Program Files/Quillomir/Quillomir.scr" || fail "SCRNSAVE.EXE is not the saver"
[ -f "$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quillomir Settings.lnk" ] || fail "no all-users Start-menu entry"
machine='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillomir'
[ "$(reg_value "$machine" DisplayVersion)" = "$version" ] || fail "no machine uninstall entry"
quiet wine "$drive_c/Program Files/Quillomir/Uninstall.exe" /S || fail "the uninstaller exited with $?"
wait_for 30 eval '[ ! -e "$drive_c/Program Files/Quillomir" ] && ! uninstalling' || true
[ ! -e "$drive_c/Program Files/Quillomir" ] || fail "files left in Program Files"
quiet wine reg query "$machine" && fail "the machine uninstall entry is left"
[ "$(reg_value "$desktop" SCRNSAVE.EXE)" = "$previous" ] || fail "the previous saver is not restored"
echo "install test passed"
