#!/usr/bin/env bash
# Runs the dialogs' layout test at 144 DPI. Wine keeps the DPI per prefix, so
# this uses a prefix of its own with its own Wine server, on the display that
# the caller (CTest under tools/test) gives it; the server is stopped at the end.
# Usage: config_high_dpi.sh <win_tests.exe> <prefix folder>
set -euo pipefail
tests_exe="$1"
export WINEPREFIX="$2" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1
    wineserver -w
fi
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
wineserver -p >/dev/null 2>&1 </dev/null &
sleep 0.2
quiet() { "$@" >/dev/null 2>&1 </dev/null; }
quiet wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f
quiet wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' /v LogPixels /t REG_DWORD /d 144 /f
quiet wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
# The new DPI applies to processes that a fresh server starts.
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
wineserver -p >/dev/null 2>&1 </dev/null &
sleep 0.2
QUILLOMIR_EXPECT_DPI=144 wine "$tests_exe" --gtest_filter='DialogLayout.*' </dev/null
