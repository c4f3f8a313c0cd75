#!/usr/bin/env bash
# CPU use of the real saver, measured from outside through /proc: the hold with
# the clock label on, and a 25 fps fade-in at step 1 for each transition style,
# over a picture that covers the whole monitor. Expects the display, prefix and
# Wine server that tools/bench sets up; restores the user's settings key as it
# was. Prints one case= line per measurement and exits non-zero when a figure
# is over its limit.
# Usage: saver_cpu.sh <bin folder> <name> <monitor width> <monitor height> <fade limit %> <hold limit %>
set -euo pipefail
bin="$1" name="$2" width="$3" height="$4" fade_limit="$5" hold_limit="$6"
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

# A quarter larger than the monitor each way, so every pixel of it changes.
convert -size "$((width * 5 / 4))x$((height * 5 / 4))" gradient:'#2050a0-#e0a040' -quality 90 "$work/picture.jpg"
picture=$(winepath -w "$work/picture.jpg" | sed 's/\\/\\\\/g')

# Settings for one measurement: extra lines of "name"=dword:value.
settings() {
    wine reg delete "$key" /f >/dev/null 2>&1 || true
    printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Control Panel\\Screen Saver.Quillomir]\r\n"ImageCount"=dword:00000001\r\n"Image00000"="%s"\r\n"CenterPicture"=dword:00000001\r\n"DisplayTime"=dword:00000001\r\n"DisplayDuration"=dword:0000003c\r\n%s' \
        "$picture" "$1" > "$work/phase.reg"
    wine regedit /s "$work/phase.reg"
}

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

status=0
# Percent of one core the saver uses over the seconds given, counted from
# warm-up seconds after its window appears; checked against the limit.
measure() {
    local case="$1" warmup="$2" seconds="$3" limit="$4" hz start end percent
    hz=$(getconf CLK_TCK)
    wine "$bin/Quillomir.scr" /s &
    saver_pid=$!
    xdotool search --sync --name '^Screen Saver$' >/dev/null
    sleep "$warmup"
    start=$(ticks "$saver_pid")
    sleep "$seconds"
    end=$(ticks "$saver_pid")
    xdotool key space
    wait "$saver_pid" || true
    saver_pid=""
    percent=$(awk -v t=$((end - start)) -v hz="$hz" -v s="$seconds" 'BEGIN { printf "%.2f", 100 * t / hz / s }')
    echo "case=$name/$case cpu_percent_of_one_core=$percent seconds=$seconds limit=$limit"
    awk -v p="$percent" -v l="$limit" 'BEGIN { exit !(p <= l) }' || { echo "missed: $name/$case"; status=1; }
}

# Hold: shown at once and held for a minute, the clock redrawn twice a second.
if [ "$hold_limit" != "-" ]; then
    settings $'"FadeInStyle"=dword:00000001\r\n'
    measure hold_with_clock 3 10 "$hold_limit"
fi
# Fades: 25 fps at step 1, so a fade-in lasts 100 frames (4 s) after the
# picture is loaded; 3 s of it measured. FadeInStyle 2..7 are the six styles.
styles=(Dissolve HorizontalMesh VerticalMesh EllipseInwards EllipseOutwards FourCorners)
for i in "${!styles[@]}"; do
    settings "$(printf '"FadeInStyle"=dword:%08x\r\n"RefreshSpeed"=dword:00000019\r\n"StepSize"=dword:00000001\r\n' $((i + 2)))"
    measure "fade_25fps_${styles[$i]}" 0.8 3 "$fade_limit"
done
exit $status
