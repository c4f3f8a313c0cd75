#!/usr/bin/env bash
# Runs the two-monitor tests on a Xephyr display with two Xinerama screens, in
# a Wine prefix and server of their own, once per layout: a 1024 x 768 primary
# with an 800 x 600 monitor to its right, then an 800 x 600 primary with a
# larger one to its right. (Xephyr puts its heads left to right in order, so
# monitors at negative coordinates are covered by the unit tests.)
# Usage: monitors.sh <monitors_e2e.exe> <prefix folder>
set -euo pipefail
tests_exe="$1"
export WINEPREFIX="$2"
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/lib.sh"
trap stop_wine_and_display EXIT
status=0
for layout in "1024x768+0+0 800x600+1024+0" "800x600+0+0 1024x768+800+0"; do
    echo "== monitors $layout"
    # shellcheck disable=SC2086
    start_monitors_display $layout
    start_wine
    wine "$(dirname "$tests_exe")/desktop_keeper.exe" >/dev/null 2>&1 </dev/null &
    wine "$tests_exe" </dev/null || status=1
    stop_wine_and_display
done
exit $status
