#!/usr/bin/env bash
# The live picture as a PipeWire camera, in a PipeWire session of the test's
# own (private D-Bus, runtime folder and configuration): the program without
# a window on the emulated card offers the node; consumers asking for each
# offered format, one after the other, get at least 45 pictures in 2 s that
# show the tuned station's test picture, each format negotiated once; a
# GStreamer pipeline takes it as well; after the daemon is restarted the
# camera comes back; and a recording runs at full rate beside a consumer that
# keeps up and one that falls behind.
set -euo pipefail

if [ -z "${QUORV_PRIVATE_SESSION:-}" ]; then
    export QUORV_PRIVATE_SESSION=1
    exec dbus-run-session -- bash "$0" "$@"
fi
source "$(dirname "$0")/../../scripts/lib/isolated-program.bash"
source "$(dirname "$0")/../../scripts/lib/private-pipewire.bash"
isolate_program "$1"
probe=$2
cd "$work"

fail() {
    echo "FAILED: $*"
    cat out.log err.log 2> /dev/null || true
    exit 1
}

# Skipped where PipeWire isn't installed; installed, it must start.
started=0
start_private_pipewire || started=$?
if [ "$started" = 2 ]; then
    echo "SKIPPED: $pipewire_failure"
    exit 77
fi
[ "$started" = 0 ] || fail "$pipewire_failure"

# Waits for the camera's node; prints its serial.
camera_serial() {
    local serial attempt
    for attempt in $(seq 200); do
        serial=$(node_serial quorvtv)
        [ -n "$serial" ] && { echo "$serial"; return 0; }
        sleep 0.05
    done
    return 1
}

# The camera's node properties as pw-dump lists them, one "key=value" a line.
node_properties() {
    pw-dump 2> /dev/null | python3 -c '
import json, sys
for item in json.load(sys.stdin):
    props = (item.get("info") or {}).get("props") or {}
    if props.get("node.name") == "quorvtv":
        for key in ("media.class", "media.role", "node.name", "node.description"):
            print(f"{key}={props.get(key)}")
'
}

# Pulls pictures for the given seconds in the given format and checks them.
pull() {
    local format=$1 seconds=$2 frames=$3 result
    result=$("$probe" --target "$serial" --format "$format" --seconds "$seconds" \
        --reference 0 --min-frames "$frames" --min-psnr 30) \
        || fail "$format: $(echo $result)"
    echo "$format: $(echo "$result" | grep -E '^(negotiated|frames|psnr_min_db) ' | tr '\n' ' ')"
    echo "$result" | grep -qx "negotiations 1" || fail "$format negotiated more than once"
}

# The first station, ALPHA ONE, on 55.25 MHz.
tune=(--frequency 55.25)
./quorvtv --emulate=still --pipewire --seconds 60 "${tune[@]}" > out.log 2> err.log &
program=$!
serial=$(camera_serial) || fail "no node named quorvtv"
[ "$(node_properties)" = "$(printf '%s\n' media.class=Video/Source media.role=Camera \
    node.name=quorvtv node.description=QuorvTV)" ] || fail "node properties: $(node_properties)"

for format in GRAY8 I420 YUY2; do
    pull "$format" 2 45
done
timeout 20 gst-launch-1.0 -q pipewiresrc target-object="$serial" num-buffers=10 \
    ! video/x-raw,format=I420,width=360,height=288 ! fakesink > gst.log 2>&1 \
    || { cat gst.log; fail "gst-launch could not take 10 pictures"; }

# The daemon goes away and comes back: the program keeps running, says so
# in one line each time, and offers the camera again.
stop_private_pipewire
start_private_pipewire || fail "the daemon did not start again: $pipewire_failure"
serial=$(camera_serial) || fail "the node did not come back after the restart"
pull GRAY8 1 20
kill -TERM "$program"
status=0
wait "$program" || status=$?
[ "$status" = 0 ] || fail "the program exited $status"
grep -q "connection broke" err.log || fail "no line about the broken connection"
grep -q "on again" err.log || fail "no line about the camera being back"
[ "$(wc -l < err.log)" = 2 ] || fail "not two lines on standard error"

# Recording and publishing at once: the file gets its 20 frames a second
# while a consumer that keeps each picture for 100 ms gets what it can take,
# and then one that keeps up gets the camera's 25 a second.
./quorvtv --emulate=still --pipewire --record both.avi --seconds 7 --codec raw "${tune[@]}" \
    > out.log 2> err.log &
program=$!
serial=$(camera_serial) || fail "no node while recording"
"$probe" --target "$serial" --format I420 --seconds 1.5 --hold-ms 100 > slow.log ||
    fail "the slow consumer got nothing: $(cat slow.log)"
slow_frames=$(awk '/^frames /{ print $2 }' slow.log)
echo "slow consumer: $slow_frames pictures in 1.5 s"
[ "$slow_frames" -ge 5 ] && [ "$slow_frames" -le 20 ] || fail "the slow consumer got $slow_frames"
pull GRAY8 2 45
wait "$program" || fail "the recording exited $?"
frames=$(ffprobe -v error -count_frames -select_streams v:0 \
    -show_entries stream=nb_read_frames -of csv=p=0 both.avi)
echo "recorded $frames frames beside the camera"
[ "$frames" -ge 138 ] && [ "$frames" -le 142 ] || fail "$frames frames recorded, not 140 +- 2"
[ ! -s err.log ] || fail "the recording wrote to standard error"
echo "camera test passed"
