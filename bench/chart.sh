#!/usr/bin/env bash
# Draws the compositor benchmark as a small PNG: per case, the literal path, a
# whole frame of ours and one fade step of ours, each in floors (one copy of
# the screen) on a logarithmic scale, with the floor and the 2.5 x target marked.
# Usage: chart.sh <compose_bench output> <png>
set -euo pipefail
input="$1" output="$2"
mvg=$(mktemp)
trap 'rm -f "$mvg"' EXIT
awk '
function x(v) { if (v < 0.01) v = 0.01; if (v > 1000) v = 1000; return left + (log(v) / log(10) + 2) * decade }
BEGIN {
    split("Instant Display,Dissolve,Horizontal Mesh,Vertical Mesh,Ellipse Inwards,Ellipse Outwards,Four Corners", names, ",")
    left = 250; decade = 120; top = 46; row = 10; n = 0
}
/^case=/ {
    for (i = 1; i <= NF; ++i) { split($i, kv, "="); v[kv[1]] = kv[2] }
    split(v["case"], part, "/")
    style = part[3]; sub(/^style/, "", style); sub(/-.*/, "", style)
    group = part[1]
    label[n] = (group != last ? part[1] " " : "") part[2] "%  " names[style + 1]
    gap[n] = group != last && n > 0
    last = group
    literal[n] = v["literal_vs_floor"]; whole[n] = v["ours_vs_floor"]; step[n] = v["step_vs_floor"]
    ++n
}
END {
    if (n == 0) exit 1
    height = top + n * row + 8 * 3 + 30
    width = left + 5 * decade + 20
    printf "viewbox 0 0 %d %d\nfill white\nrectangle 0,0 %d,%d\nfont \"DejaVu-Sans\"\nfont-size 9\n", width, height, width, height
    # Legend.
    printf "fill \"#b0b0b0\"\nrectangle 10,8 30,14\nfill black\ntext 34,15 \"literal GDI path\"\n"
    printf "fill \"#2f5fbf\"\nrectangle 130,8 150,14\nfill black\ntext 154,15 \"ours, whole frame\"\n"
    printf "fill \"#3a9a3a\"\nrectangle 260,8 280,14\nfill black\ntext 284,15 \"ours, one fade step\"\n"
    printf "text 400,15 \"times the floor (one copy of the screen), log scale; red: the 2.5 x target\"\n"
    y = top
    for (i = 0; i < n; ++i) {
        if (gap[i]) y += 8
        ys[i] = y
        printf "fill black\ntext 8,%d \"%s\"\n", y + 8, label[i]
        printf "fill \"#b0b0b0\"\nrectangle %d,%d %.1f,%d\n", left, y + 1, x(literal[i]), y + 3
        printf "fill \"#2f5fbf\"\nrectangle %d,%d %.1f,%d\n", left, y + 4, x(whole[i]), y + 6
        printf "fill \"#3a9a3a\"\nrectangle %d,%d %.1f,%d\n", left, y + 7, x(step[i]), y + 9
        y += row
    }
    bottom = y + 2
    for (d = 0; d <= 5; ++d) {
        printf "stroke \"#d0d0d0\"\nline %d,%d %d,%d\nstroke none\n", left + d * decade, top - 4, left + d * decade, bottom
        printf "fill black\ntext %d,%d \"%gx\"\n", left + d * decade - 8, bottom + 12, 10 ^ (d - 2)
    }
    printf "stroke black\nline %.1f,%d %.1f,%d\n", x(1), top - 4, x(1), bottom
    printf "stroke \"#d02020\"\nline %.1f,%d %.1f,%d\nstroke none\n", x(2.5), top - 4, x(2.5), bottom
}' "$input" > "$mvg"
size=$(head -1 "$mvg" | awk '{print $4 "x" $5}')
convert -size "$size" "mvg:$mvg" -depth 8 "PNG8:$output"
