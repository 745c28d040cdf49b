#!/usr/bin/env bash
# Starts the real program on the emulated card under Xvfb, waits for live
# video, checks the picture and the status text in a screenshot, and closes
# the program with its Close button. The program must exit 0.
set -euo pipefail

source "$(dirname "$0")/../../scripts/lib/isolated-program.bash"
isolate_program "$1"
shots=${QUORV_SCREENSHOT_DIR:-$work}

cat > "$work/session.sh" <<'SESSION'
set -euo pipefail
work=$1 shots=$2
"$work/quorvtv" --emulate > "$work/out.log" 2>&1 &
pid=$!
window=$(timeout 20 xdotool search --sync --name '^QuorvTV$' | head -n 1)
sleep 3
eval "$(xdotool getwindowgeometry --shell "$window")"
import -window root "$shots/panel-emulated.png"
# The video rectangle sits at client (5, 5), inside a 3-pixel frame.
convert "$shots/panel-emulated.png" -crop "360x288+$((X + 8))+$((Y + 8))" +repage "$work/video.png"
spread=$(convert "$work/video.png" -colorspace gray -format '%[fx:standard_deviation]' info:)
green=$(convert "$work/video.png" -fx '(g>0.8 && r<0.3 && b<0.3) ? 1 : 0' -format '%[fx:mean]' info:)
echo "video spread $spread, green share $green"
awk -v s="$spread" 'BEGIN { exit !(s > 0.03) }' || { echo "video area is uniform"; exit 1; }
awk -v g="$green" 'BEGIN { exit !(g > 0.001) }' || { echo "no status text"; exit 1; }
# The Close button is the last control of the right-hand column.
xdotool mousemove "$((X + 3 + 397))" "$((Y + 3 + 301))" click 1
for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
wait "$pid"
SESSION

run_on_x_server "$work/session.sh" "$work" "$shots" ||
    { cat "$work/out.log"; exit 1; }
echo "panel smoke test passed"
