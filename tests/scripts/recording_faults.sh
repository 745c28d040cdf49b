#!/usr/bin/env bash
# Headless recordings against what happens around them: a second copy of the
# program recording into the same file, another copy saving the channel list
# meanwhile, the process stopped for a while, a command-line codec, a disk
# that fills up for a moment or for good, a read-only file system, and names
# that can't be created. The disk cases need a private tmpfs (a mount
# namespace, so root or user namespaces); without one they are skipped, saying
# so.
set -euo pipefail

source "$(dirname "$0")/../../scripts/lib/isolated-program.bash"
isolate_program "$1"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
cd "$work"

fail() { echo "FAILED: $*"; exit 1; }
frames_in() {
    ffprobe -v error -count_frames -select_streams v:0 \
        -show_entries stream=nb_read_frames -of csv=p=0 "$1"
}
codec_of() { ffprobe -v error -select_streams v:0 -show_entries stream=codec_name -of csv=p=0 "$1"; }

# A channel file of the given "<MHz>\t<name>" lines, in the file's own layout.
channel_file() {
    local out=$1 line
    shift
    {
        printf "\\x$(printf %02x $#)\\x00\\x00\\x00"
        for line in "$@"; do printf "\\x$(printf %02x ${#line})%s" "$line"; done
    } > "$out"
}

# Starts a headless recording whose standard output can be read line by line
# on descriptor 3 (wait_for_line), its standard error in $name.err; drain
# reads the rest and leaves its exit status in $status.
record_with_progress() {
    local name=$1
    shift
    rm -f "$name.fifo"
    mkfifo "$name.fifo"
    ./quorvtv --emulate --record "$@" > "$name.fifo" 2> "$name.err" &
    recording=$!
    exec 3< "$name.fifo"
}
wait_for_line() {
    local line
    while read -r line <&3; do
        echo "  $line"
        case $line in *"$1"*) return 0 ;; esac
    done
    return 1
}
drain() {
    local line
    while read -r line <&3; do echo "  $line"; done
    exec 3<&-
    status=0
    wait "$recording" || status=$?
}

echo "== a second recording into the same file is refused"
./quorvtv --emulate --record shared.avi --seconds 3 --codec raw > first.log 2>&1 &
first=$!
for _ in $(seq 1 100); do [ -s shared.avi ] && break; sleep 0.05; done
status=0
./quorvtv --emulate --record shared.avi --seconds 1 --codec raw > second.log 2>&1 || status=$?
wait "$first" || fail "the first recording failed: $(cat first.log)"
cat second.log
[ "$status" = 1 ] || fail "the second recording exited $status"
grep -q "another QuorvTV is recording into it" second.log || fail "no clear refusal"
[ "$(frames_in shared.avi)" = 60 ] || fail "the first recording holds $(frames_in shared.avi) frames"

echo "== another copy's channel save outlives this copy's exit"
channel_file quorvtv.cnl $'175\tOne' $'183\tTwo' $'471\tThree' $'495\tFour' $'503\tFive'
channel_file saved-by-other.cnl $'175\tOne' $'183\tTwo' $'471\tThree' $'495\tFour' $'503\tFive' \
    $'600\tSix'
record_with_progress channels channels.avi --seconds 2 --codec raw
wait_for_line " 1 s," || fail "no progress"
cp saved-by-other.cnl other.tmp
mv other.tmp quorvtv.cnl  # replaced at once, as a save replaces it
drain
[ "$status" = 0 ] || fail "the recording exited $status"
cmp -s quorvtv.cnl saved-by-other.cnl || fail "the other copy's channels were overwritten at exit"

echo "== a recording lasts its seconds of wall time, also when the process is stopped"
start=$(date +%s%N)
record_with_progress stopped stopped.avi --seconds 4 --codec raw
wait_for_line " 1 s," || fail "no progress"
kill -STOP "$recording"
sleep 1.5
kill -CONT "$recording"
drain
elapsed_ms=$((($(date +%s%N) - start) / 1000000))
echo "  recorded for $elapsed_ms ms in all, $(frames_in stopped.avi) frames"
[ "$status" = 0 ] || fail "the stopped recording exited $status"
[ "$(frames_in stopped.avi)" = 80 ] || fail "$(frames_in stopped.avi) frames, not 80"
((elapsed_ms < 6000)) || fail "four seconds of recording took $elapsed_ms ms"

echo "== --codec is for that run only"
# Motion JPEG at quality 5000, as the compression dialog stores it.
{
    printf 'vidsMJPG\x00\x00\x00\x00\x88\x13\x00\x00\x00\x00\x00\x00\x08\x00\x00\x00'
    head -c 20 /dev/zero
} > quorvtv.avs
cp quorvtv.avs remembered.avs
./quorvtv --emulate --record named.avi --seconds 1 --codec ffv1 > /dev/null
cmp -s quorvtv.avs remembered.avs || fail "--codec rewrote the options file"
./quorvtv --emulate --record remembered.avi --seconds 1 > /dev/null
[ "$(codec_of named.avi)/$(codec_of remembered.avi)" = "ffv1/mjpeg" ] ||
    fail "codecs $(codec_of named.avi)/$(codec_of remembered.avi)"

echo "== names that can't be created say why"
mkdir folder
long=$(printf 'n%.0s' $(seq 1 300))
for case in "folder|it is a folder" "missing/x.avi|its folder doesn't exist" \
    "$long.avi|the name is too long"; do
    status=0
    ./quorvtv --emulate --record "${case%%|*}" --seconds 1 --codec raw 2> why.log || status=$?
    [ "$status" = 1 ] && grep -q "${case#*|}" why.log || fail "'${case#*|}' not told: $(cat why.log)"
    echo "  $(cut -c1-100 why.log)"
done

# The disk cases run in a private mount namespace with a small tmpfs.
disk_cases() {
    set -euo pipefail
    local disk=$work/disk
    mkdir -p "$disk"
    mount -t tmpfs -o size=48m tmpfs "$disk"

    echo "== a disk full for a moment costs only that moment's frames"
    record_with_progress moment "$disk/moment.avi" --seconds 5 --codec raw
    wait_for_line " 2 s," || fail "no progress"
    dd if=/dev/zero of="$disk/filler" bs=1M 2> /dev/null || true
    df "$disk" | tail -n 1 | sed 's/^/  /'
    sleep 0.6
    rm "$disk/filler"
    drain
    cat moment.err
    [ "$status" = 1 ] || fail "exited $status after losing frames"
    [ "$(grep -c "No space left on device" moment.err)" = 1 ] || fail "not one line with the cause"
    lost=$(sed -n 's/.* \([0-9]*\) of 100 frames were lost.*/\1/p' moment.err)
    kept=$(frames_in "$disk/moment.avi")
    echo "  $kept frames kept, $lost lost"
    [ -n "$lost" ] && [ "$lost" -gt 0 ] && [ $((kept + lost)) = 100 ] || fail "frames don't add up"
    ffprobe -v error -show_entries format=duration "$disk/moment.avi" > /dev/null ||
        fail "the file is not readable"
    tail -c $((kept * 16 + 8)) "$disk/moment.avi" | head -c 4 | grep -q idx1 ||
        fail "the file has no index at its end"
    rm "$disk/moment.avi"

    echo "== a disk that fills up stops the recording below 10 MiB free"
    mount -o remount,size=16m "$disk"
    status=0
    ./quorvtv --emulate --record "$disk/full.avi" --seconds 60 --codec raw > full.log \
        2> full.err || status=$?
    cat full.err
    [ "$status" = 1 ] || fail "a recording stopped by the disk exited $status"
    grep -q "less than 10 MiB free" full.err || fail "the low-disk stop was not told"
    [ "$(frames_in "$disk/full.avi")" -gt 40 ] || fail "the stopped file holds too little"

    echo "== a read-only file system is named"
    mount -o remount,ro "$disk"
    status=0
    ./quorvtv --emulate --record "$disk/ro.avi" --seconds 1 --codec raw 2> ro.err || status=$?
    cat ro.err
    [ "$status" = 1 ] && grep -q "read-only file system" ro.err || fail "read-only not told"
    umount "$disk"
}

mkdir probe
if unshare -m --propagation private mount -t tmpfs -o size=1m tmpfs probe 2> /dev/null; then
    export -f disk_cases record_with_progress wait_for_line drain fail frames_in
    export work
    unshare -m --propagation private bash -c disk_cases
else
    echo "SKIPPED the full-disk and read-only cases: this machine refuses a private tmpfs mount"
fi
echo "recording faults test passed"
