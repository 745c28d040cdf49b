#!/usr/bin/env bash
# The commands without a window on the emulated card: a snapshot PNG with
# live video and the status text, a three-second FFV1 recording at 20 frames
# per second, and clear one-line failures with a non-zero status.
set -euo pipefail

source "$(dirname "$0")/../../scripts/lib/isolated-program.bash"
isolate_program "$1"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
cd "$work"
shots=${QUORV_SCREENSHOT_DIR:-$work}

fail() { echo "FAILED: $*"; exit 1; }

# Runs the program; checks the exit status and, for failures, that exactly
# one line went to standard error.
expect_status() {
    local wanted=$1; shift
    local status=0
    ./quorvtv "$@" > out.log 2> err.log || status=$?
    [ "$status" = "$wanted" ] || { cat out.log err.log; fail "$* exited $status, not $wanted"; }
    if [ "$wanted" != 0 ]; then
        [ "$(wc -l < err.log)" = 1 ] || { cat err.log; fail "$* did not give one line"; }
        echo "$* -> $status: $(cat err.log)"
    fi
}

expect_status 0 --emulate --snapshot "$shots/snapshot.png"
[ "$(identify -format '%w %h' "$shots/snapshot.png")" = "360 288" ] || fail "snapshot size"
spread=$(convert "$shots/snapshot.png" -colorspace gray -format '%[fx:standard_deviation]' info:)
green=$(convert "$shots/snapshot.png" -fx '(g>0.8 && r<0.3 && b<0.3) ? 1 : 0' -format '%[fx:mean]' info:)
echo "snapshot spread $spread, green share $green"
awk -v s="$spread" 'BEGIN { exit !(s > 0.05) }' || fail "snapshot video is uniform"
awk -v g="$green" 'BEGIN { exit !(g > 0.002) }' || fail "snapshot has no status text"

expect_status 0 --emulate --record x.avi --seconds 3 --codec ffv1
grep -q "wrote" out.log || fail "no summary line"
probe() { ffprobe -v error -select_streams v:0 -show_entries "stream=$1" -of csv=p=0 "$2"; }
frames=$(ffprobe -v error -count_frames -select_streams v:0 \
    -show_entries stream=nb_read_frames -of csv=p=0 x.avi)
rate=$(probe r_frame_rate x.avi)
echo "recorded $frames frames at $rate"
[ "$rate" = "20/1" ] || fail "frame rate $rate"
[ "$frames" -ge 58 ] && [ "$frames" -le 62 ] || fail "$frames frames, not 60 +- 2"

# A name that isn't valid UTF-8 is written exactly as given.
odd=$'shot-\xff\xfe.png'
expect_status 0 --emulate --snapshot "$odd"
[ -s "$odd" ] || fail "the snapshot was not written under the name given"
grep -qF "saved the picture to $odd" out.log || fail "the snapshot reported another name"
expect_status 2 --emulate --snapshot x.txt
grep -q "not a supported picture format" err.log || fail "x.txt: no word on the format"
expect_status 2 --emulate --snapshot ""
expect_status 2 --emulate --record "" --seconds 1
expect_status 2 --emulate --record y.avi --seconds 107374183
expect_status 0 --emulate --snapshot tuned.png --frequency 471.25
grep -q "tuned 471.25 MHz" out.log || fail "the snapshot did not say what it tuned"
expect_status 2 --emulate --snapshot y.png --channel 9
expect_status 2 --emulate --record y.avi --seconds 1 --frequency 12
expect_status 2 --emulate --record y.avi --seconds 1 --codec nosuch
expect_status 1 --emulate --record "$work/missing/y.avi" --seconds 1 --codec raw
expect_status 1 --emulate --snapshot "$work/missing/shot.png"
expect_status 1 --emulate=none --snapshot none.png
expect_status 1 --emulate=none --record none.avi --seconds 1
[ ! -e y.avi ] && [ ! -e y.png ] && [ ! -e x.txt ] && [ ! -e none.png ] && [ ! -e none.avi ] ||
    fail "a failed command left a file"

# Video files that can't serve as the signal: one line and status 1, with a
# window or without.
mkdir videos
: > videos/empty.avi
echo "not a video" > videos/unreadable.avi
chmod 000 videos/unreadable.avi
ffmpeg -v error -nostdin -f lavfi -i sine=duration=0.2 videos/audio.wav
for video in videos/missing.avi videos/unreadable.avi videos/empty.avi videos/audio.wav videos \
    /dev/zero; do
    expect_status 1 --emulate=video:"$video" --snapshot video.png
    QT_QPA_PLATFORM=offscreen expect_status 1 --emulate=video:"$video"
done

expect_status 0 --version
grep -q "^QuorvTV " out.log || fail "no version line"
expect_status 0 --help
grep -q -- "--snapshot" out.log || fail "help does not mention --snapshot"
expect_status 2 --no-such-option
echo "headless commands test passed"
