#!/usr/bin/env bash
# Runs two builds of rastel-render on the same inputs and option sets and says whether every
# picture, listing, message and exit status is byte for byte the same: the check for a change
# meant to alter nothing the program writes.
#   scripts/compare-render.sh OLD_RENDER NEW_RENDER   (KEEP=1 keeps the outputs to look at)
set -euo pipefail
old=$1 new=$2
work=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
pictures=$(cd "$(dirname "$0")/../tests/image/search/pictures" && pwd)
python3 -c 'import random, sys; random.seed(1); sys.stdout.buffer.write(bytes(random.randrange(256) for _ in range(1001)))' >"$work/odd.bin"
inputs=(/usr/bin/ls "$(readlink -f /usr/lib/x86_64-linux-gnu/libz.so.1)" "$work/odd.bin"
        "$pictures"/rgb24-coffee-450-in-gzip.bin "$pictures"/gray16le-moon-320-in-gzip.bin
        "$pictures"/two-bgra-icon-256-grey-coins-200.bin "$pictures"/rgb565le-chelsea-256-in-code.bin)
formats="rgb24 bgr24 rgb0 bgr0 rgba bgra argb abgr rgb565le rgb565be bgr565le rgb555le gray16le
         gray16be yuyv422 uyvy422"
n=0
run() {  # options...: the same run with each build, outputs side by side
    n=$((n + 1))
    for side in old new; do
        local exe=$old
        [ $side = new ] && exe=$new
        mkdir -p "$work/$side"
        local args=("$@")
        args=("${args[@]//@OUT@/$work/$side/$n}")
        "$exe" "${args[@]}" >"$work/$side/$n.out" 2>"$work/$side/$n.err" && echo 0 >"$work/$side/$n.rc" ||
            echo $? >"$work/$side/$n.rc"
    done
}
for f in "${inputs[@]}"; do
    for d in 256 16 2; do for o in 0 1 2; do for w in 1 7 128 333; do for off in 0 -5 13; do
        for ext in bmp png; do
            run --depth $d --order $o --width $w --offset $off --palette thermo -o @OUT@.$ext "$f"
        done
    done; done; done; done
    for fm in $formats; do
        for w in 3 100; do for st in 0 1024; do for off in 0 7; do for ext in bmp png; do
            run --format "$fm" --width $w --stride $st --offset $off -o @OUT@.$ext "$f"
        done; done; done; done
        run --format "$fm" --suggest-width "$f"
    done
    for d in 256 16 2; do run --depth $d --suggest-width "$f"; done
    run --find-pictures "$f"
    run --overview "$f"
    run --overview --blocks 7 "$f"
done
files=$(ls "$work/old" | wc -l)
if diff -rq "$work/old" "$work/new"; then
    echo "$n runs, $files outputs each: all the same"
else
    echo "$n runs: outputs differ (above)"
    exit 1
fi
