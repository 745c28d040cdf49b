#!/usr/bin/env bash
# The emulated tuner powers up untuned: without a stored channel the program
# shows snow; with the channel list scripts/demo-channels writes (what
# `make run` gives the demo) it tunes the first station at start and shows
# its picture.
set -euo pipefail

scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
source "$scripts/lib/isolated-program.bash"
isolate_program "$1"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
cd "$work"

fail() { echo "FAILED: $*"; exit 1; }

# Mean difference of neighbouring pixels: large for snow, small for the test
# pictures' bars and fields.
roughness() {
    convert "$1" -colorspace gray gray.png
    convert gray.png -roll +1+0 rolled.png
    { compare -metric MAE gray.png rolled.png null: 2>&1 || true; } | sed 's/.*(\(.*\))/\1/'
}

./quorvtv --emulate --snapshot untuned.png > out.log 2>&1 || { cat out.log; fail "untuned snapshot"; }
# That run saved its empty list; the demo's list replaces it.
bash "$scripts/demo-channels" "$work/quorvtv.cnl"
./quorvtv --emulate --snapshot tuned.png > out.log 2>&1 || { cat out.log; fail "tuned snapshot"; }
untuned=$(roughness untuned.png)
tuned=$(roughness tuned.png)
echo "roughness untuned $untuned, tuned $tuned"
awk -v u="$untuned" 'BEGIN { exit !(u > 0.06) }' || fail "untuned: no snow"
awk -v t="$tuned" 'BEGIN { exit !(t < 0.04) }' || fail "tuned: no picture"
