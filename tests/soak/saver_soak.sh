#!/usr/bin/env bash
# Soak: the real saver through 500 picture cycles with fast settings and a
# list of mixed, partly broken pictures, watched from outside: its memory must
# not grow beyond noise, and at the end it must still draw.
# Runs under tools/test, which provides DISPLAY, WINEPREFIX and the Wine server.
set -euo pipefail
bin="$1"
cycles=500
work=$(mktemp -d)
trap 'kill $watch_pid $saver_pid 2>/dev/null || true; rm -rf "$work"' EXIT
watch_pid="" saver_pid=""

# Twenty pictures: sixteen good ones of several formats and sizes, four broken.
pics="$work/pics"
mkdir -p "$pics"
corpus="$bin/testdata/gfxlib"
i=0
add() { cp "$1" "$pics/$(printf '%02d' $i)_$(basename "$1")"; i=$((i + 1)); }
for f in jpeg_baseline.jpg jpeg_progressive.jpg jpeg_exif6.jpg jpeg_grey.jpg jpeg_cmyk.jpg gif_plain.gif \
         gif_interlaced.gif gif_transparent.gif bmp1.bmp bmp4_rle.bmp bmp8.bmp bmp16.bmp bmp24.bmp bmp32.bmp \
         png_rgb.png png_alpha.png jpeg_huge_header.jpg png_huge_header.png tiff_plain.tif; do add "$corpus/$f"; done
echo "not a picture" > "$pics/19_notes.jpg"
convert -size 1600x1200 xc:magenta "$pics/20_large.bmp"

reg="$work/settings.reg"
{
    printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Control Panel\\Screen Saver.Quillomir]\r\n'
    n=0
    for f in "$pics"/*; do
        printf '"Image%05d"="%s"\r\n' "$n" "$(winepath -w "$f" | sed 's/\\/\\\\/g')"
        n=$((n + 1))
    done
    printf '"ImageCount"=dword:%08x\r\n' "$n"
    printf '"RefreshSpeed"=dword:00000032\r\n"StepSize"=dword:00000032\r\n"DisplayDuration"=dword:00000000\r\n'
    printf '"FadeInStyle"=dword:00000000\r\n"FadeOutStyle"=dword:00000001\r\n"DisplayTime"=dword:00000001\r\n'
} > "$reg"
wine reg delete 'HKCU\Control Panel\Screen Saver.Quillomir' /f >/dev/null 2>&1 || true
wine regedit /s "$reg"
passes_needed=$(( (cycles + n - 1) / n ))

# Each pass over the list opens the first picture once.
inotifywait -m -q -e open --format '%f' "$pics" > "$work/opens" 2>/dev/null &
watch_pid=$!
sleep 0.3
wine "$bin/Quillomir.scr" /s &
saver_pid=$!

# Wine runs the program in the process it started, under our own path.
unix_pid=""
for _ in $(seq 100); do
    tr '\0' ' ' < "/proc/$saver_pid/cmdline" 2>/dev/null | grep -qF "$bin/Quillomir.scr" && { unix_pid=$saver_pid; break; }
    sleep 0.1
done
[ -n "$unix_pid" ] || { echo "FAIL: the saver did not start"; exit 1; }

passes() { grep -c '^00_' "$work/opens" || true; }
rss() { awk '/^VmRSS/ {print $2}' "/proc/$unix_pid/status"; }
wait_passes() {
    local deadline=$((SECONDS + $2))
    while [ "$(passes)" -lt "$1" ]; do
        kill -0 "$unix_pid" 2>/dev/null || { echo "FAIL: the saver ended during the soak"; exit 1; }
        [ $SECONDS -lt $deadline ] || { echo "FAIL: only $(passes) passes in time"; exit 1; }
        sleep 0.5
    done
}

wait_passes 3 120
start_rss=$(rss)
wait_passes "$passes_needed" 300
end_rss=$(rss)
echo "cycles: $(( $(passes) * n )), VmRSS at the start: ${start_rss} kB, at the end: ${end_rss} kB"

growth=$(( end_rss - start_rss ))
if [ "$growth" -gt 16384 ]; then
    echo "FAIL: memory grew by ${growth} kB"
    exit 1
fi

# Still drawing: some screenshot within two seconds shows a picture.
drawn=0
for _ in $(seq 20); do
    import -window root "$work/shot.png"
    mean=$(convert "$work/shot.png" -format '%[fx:mean]' info:)
    if awk -v m="$mean" 'BEGIN { exit !(m > 0.001) }'; then drawn=1; break; fi
    sleep 0.1
done
[ "$drawn" -eq 1 ] || { echo "FAIL: nothing drawn after the soak"; exit 1; }

xdotool key space
wait "$saver_pid" || { echo "FAIL: the saver did not end cleanly"; exit 1; }
saver_pid=""
wine reg delete 'HKCU\Control Panel\Screen Saver.Quillomir' /f >/dev/null 2>&1 || true
echo "soak passed"
