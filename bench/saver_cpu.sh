#!/usr/bin/env bash
# CPU use of the real saver, measured from outside through /proc: during the
# hold phase with the clock label on, and during a 25 fps fade. Expects the
# display, prefix and Wine server that tools/bench sets up; prints one line
# per phase and restores the user's settings key as it was.
set -euo pipefail
bin="$1"
work=$(mktemp -d)
key='HKCU\Control Panel\Screen Saver.Quillomir'
saver_pid=""
cleanup() {
    [ -n "$saver_pid" ] && kill "$saver_pid" 2>/dev/null || true
    wine reg delete "$key" /f >/dev/null 2>&1 || true
    [ -f "$work/saved.reg" ] && wine regedit /s "$work/saved.reg" >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT
wine regedit /e "$work/saved.reg" "HKEY_CURRENT_USER\\Control Panel\\Screen Saver.Quillomir" >/dev/null 2>&1 || rm -f "$work/saved.reg"

convert -size 1600x1200 plasma:red-blue -seed 3 "$work/picture.bmp" 2>/dev/null || convert -size 1600x1200 xc:teal "$work/picture.bmp"
picture=$(winepath -w "$work/picture.bmp" | sed 's/\\/\\\\/g')

# Settings for one phase: extra lines of "name"=dword:value.
settings() {
    wine reg delete "$key" /f >/dev/null 2>&1 || true
    printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Control Panel\\Screen Saver.Quillomir]\r\n"ImageCount"=dword:00000001\r\n"Image00000"="%s"\r\n"CenterPicture"=dword:00000001\r\n"DisplayTime"=dword:00000001\r\n%s' \
        "$picture" "$1" > "$work/phase.reg"
    wine regedit /s "$work/phase.reg"
}

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

# Percent of one core the saver uses over the seconds given, after a warm-up.
measure() {
    local name="$1" warmup="$2" seconds="$3" hz start end
    hz=$(getconf CLK_TCK)
    wine "$bin/Quillomir.scr" /s &
    saver_pid=$!
    sleep "$warmup"
    start=$(ticks "$saver_pid")
    sleep "$seconds"
    end=$(ticks "$saver_pid")
    xdotool key space
    wait "$saver_pid" || true
    saver_pid=""
    awk -v n="$name" -v t=$((end - start)) -v hz="$hz" -v s="$seconds" \
        'BEGIN { printf "case=%s cpu_percent_of_one_core=%.2f seconds=%d\n", n, 100 * t / hz / s, s }'
}

# Hold: the picture shown at once and held for a minute, the clock redrawn twice a second.
settings $'"FadeInStyle"=dword:00000001\r\n"DisplayDuration"=dword:0000003c\r\n'
hold=$(measure hold_with_clock 3 10)
echo "$hold"
# Fade: 25 fps with a step of 1, so one fade-in lasts 100 frames (4 s); Dissolve.
settings $'"FadeInStyle"=dword:00000002\r\n"RefreshSpeed"=dword:00000019\r\n"StepSize"=dword:00000001\r\n"DisplayDuration"=dword:0000003c\r\n'
measure fade_25fps 0.5 3

# Target: the hold costs under 2 % of one core.
percent=$(echo "$hold" | sed 's/.*cpu_percent_of_one_core=\([0-9.]*\).*/\1/')
if awk -v p="$percent" 'BEGIN { exit !(p < 2) }'; then
    echo "target met: hold under 2 % of one core"
else
    echo "target missed: hold at $percent % of one core"
    exit 1
fi
