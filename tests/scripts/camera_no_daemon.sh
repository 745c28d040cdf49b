#!/usr/bin/env bash
# The camera without a PipeWire daemon (an empty private runtime folder): the
# program records all the same, says why there is no camera in one line on
# standard error, and exits 0.
set -euo pipefail

source "$(dirname "$0")/../../scripts/lib/isolated-program.bash"
isolate_program "$1"
export XDG_RUNTIME_DIR="$work/runtime" PIPEWIRE_RUNTIME_DIR="$work/runtime"
unset PIPEWIRE_REMOTE PIPEWIRE_CORE
mkdir -m 700 "$XDG_RUNTIME_DIR"
cd "$work"

fail() {
    echo "FAILED: $*"
    cat out.log err.log
    exit 1
}

status=0
./quorvtv --emulate --pipewire --record x.avi --seconds 3 --codec raw > out.log 2> err.log \
    || status=$?
[ "$status" = 0 ] || fail "exited $status"
[ "$(wc -l < err.log)" = 1 ] || fail "not one line on standard error"
grep -q "no PipeWire daemon is running" err.log || fail "the line does not name the cause"
frames=$(ffprobe -v error -count_frames -select_streams v:0 \
    -show_entries stream=nb_read_frames -of csv=p=0 x.avi)
[ "$frames" -ge 58 ] && [ "$frames" -le 62 ] || fail "$frames frames, not 60 +- 2"
echo "$(cat err.log); recorded $frames frames"
echo "camera without a daemon test passed"
