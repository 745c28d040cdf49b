#!/usr/bin/env bash
# The raw capture through the real program: --dump-raw on the emulated card
# writes the samples file and its sidecar, --emulate=raw:DIR replays them as
# the signal, and unusable emulator inputs (missing or damaged capture,
# sample or video files, bad mappings) end in one line with a non-zero
# status, never a crash.
set -euo pipefail

source "$(dirname "$0")/../../scripts/lib/isolated-program.bash"
isolate_program "$1"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
cd "$work"

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

expect_status 0 --emulate=camera --dump-raw capture --seconds 1
tail -n 1 out.log
frames=$(grep -c '^[0-9]' capture/capture.txt)
size=$(stat -c %s capture/capture.u8)
echo "dumped $frames frames, $size bytes"
[ "$frames" -ge 20 ] || fail "only $frames frames in a second"
[ "$size" = $((frames * 691200)) ] || fail "$size bytes for $frames frames"
grep -q "^end frames $frames missed [0-9]* dropped [0-9]*$" capture/capture.txt || fail "no end line"
grep -q "^sample-rate-hz 354384[0-9][0-9]$" capture/capture.txt || fail "no sample rate"
expect_status 1 --emulate --dump-raw capture --seconds 1  # the folder holds a capture
# A channel that isn't stored leaves no capture behind to refuse a second try.
expect_status 2 --emulate --dump-raw untuned --seconds 1 --channel 7
[ ! -e untuned/capture.txt ] || fail "a refused channel left a capture"

# The replay's picture is compared with the recording's in the engine's own
# test; here it must be a picture, not the flat grey of an empty buffer.
expect_status 0 --emulate=raw:capture --snapshot replay.png
spread=$(convert replay.png -colorspace gray -format '%[fx:standard_deviation]' info:)
echo "replayed snapshot spread $spread"
awk -v s="$spread" 'BEGIN { exit !(s > 0.05) }' || fail "the replay shows no picture"

cp -r capture damaged
echo "QuorvTV raw capture 1" > damaged/capture.txt
echo "frame-bytes many" >> damaged/capture.txt
expect_status 1 --emulate=raw:damaged --snapshot x.png
cp capture/capture.txt damaged/capture.txt
truncate -s 1000 damaged/capture.u8
expect_status 1 --emulate=raw:damaged --snapshot x.png
expect_status 1 --emulate=raw:missing --snapshot x.png
head -c 1000 /dev/zero > short.u8
expect_status 1 --emulate=signal:short.u8 --snapshot x.png
expect_status 1 --emulate=signal:missing.u8 --snapshot x.png
expect_status 1 --emulate=video:missing.mkv --snapshot x.png
expect_status 2 --emulate=signal:short.u8,gain=much --snapshot x.png
[ ! -e x.png ] || fail "a failed command left a picture"
echo "raw capture test passed"
