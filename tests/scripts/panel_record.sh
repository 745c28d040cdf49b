#!/usr/bin/env bash
# Records through the panel as a person would, under Xvfb: New, a file name in
# the save dialog, the compression dialog confirmed (uncompressed), Record,
# three seconds, Stop, Eject and Close. The file must hold about three seconds
# of frames (20 frames/s) that ffprobe can read, and the program must exit 0.
set -euo pipefail

source "$(dirname "$0")/../../scripts/lib/isolated-program.bash"
isolate_program "$1"

cat > "$work/session.sh" <<'SESSION'
set -euo pipefail
work=$1
"$work/quorvtv" --emulate > "$work/out.log" 2>&1 &
pid=$!
panel=$(timeout 20 xdotool search --sync --name '^QuorvTV$' | head -n 1)
sleep 1
eval "$(xdotool getwindowgeometry --shell "$panel")"

# Centres of the command column's buttons in client pixels; the client area
# starts 3 pixels inside the window.
click() {
    xdotool mousemove "$((X + 3 + 398))" "$((Y + 3 + $1))" click 1
}
readonly new=12 eject=29 record=46 close=301

dialog() {
    local window
    window=$(timeout 20 xdotool search --sync --name "$1" | head -n 1)
    xdotool windowfocus --sync "$window"
    sleep 0.3
}

click "$new"
dialog '^Save As$'
xdotool type --delay 20 "$work/take.avi"
xdotool key Return
dialog '^Video Compression$'
xdotool key Return
sleep 0.5
click "$record"
started=$(date +%s%N)
sleep 3
stopped=$(date +%s%N)
click "$record"
echo $(( (stopped - started) / 1000000 )) > "$work/recorded_ms"
sleep 0.3
click "$eject"
sleep 0.3
click "$close"
for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
wait "$pid"
SESSION

run_on_x_server "$work/session.sh" "$work"
frames=$(ffprobe -v error -count_frames -select_streams v:0 \
    -show_entries stream=nb_read_frames -of csv=p=0 "$work/take.avi")
# The file keeps wall time, so it holds the frames of the time between the
# two clicks, which a loaded machine stretches beyond the three seconds slept.
recorded_ms=$(cat "$work/recorded_ms")
wanted=$(( recorded_ms * 20 / 1000 ))
echo "recorded $frames frames in about $recorded_ms ms"
if (( frames < wanted - 5 || frames > wanted + 5 )); then
    echo "expected $wanted +- 5 frames"
    cat "$work/out.log"
    exit 1
fi
echo "panel record test passed"
