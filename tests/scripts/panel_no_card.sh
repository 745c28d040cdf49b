#!/usr/bin/env bash
# Starts the real program without a card under Xvfb: the warning box comes
# first, with no caption at all (no program name in _NET_WM_NAME), then the
# panel with the no-hardware text. Dragging it by the video area moves it
# (there is no window manager to do it), and Close ends it with status 0.
set -euo pipefail

source "$(dirname "$0")/../../scripts/lib/isolated-program.bash"
isolate_program "$1"
shots=${QUORV_SCREENSHOT_DIR:-$work}

cat > "$work/session.sh" <<'SESSION'
set -euo pipefail
work=$1 shots=$2
"$work/quorvtv" --emulate=none > "$work/out.log" 2>&1 &
pid=$!
box=$(timeout 20 xdotool search --sync --onlyvisible --pid "$pid" | head -n 1)
sleep 0.5
import -window root "$shots/warning-box.png"
caption=$(xprop -id "$box" _NET_WM_NAME WM_NAME)
echo "$caption"
grep -q 'quorvtv' <<< "$caption" && { echo "the warning box has a caption"; exit 1; }
grep -qx '_NET_WM_NAME(UTF8_STRING) = ' <<< "$caption" || { echo "no empty _NET_WM_NAME"; exit 1; }
xdotool windowfocus --sync "$box" key Return
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^QuorvTV$' | head -n 1)
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$window")"
import -window root "$shots/panel-no-card.png"
xdotool mousemove "$((X + 100))" "$((Y + 100))" mousedown 1 mousemove "$((X + 130))" "$((Y + 110))" \
    mousemove "$((X + 160))" "$((Y + 120))" mouseup 1
sleep 0.5
from_x=$X from_y=$Y
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$X,$Y" = "$((from_x + 60)),$((from_y + 20))" ] ||
    { echo "dragging moved the panel from $from_x,$from_y to $X,$Y"; exit 1; }
xdotool mousemove "$((X + 3 + 397))" "$((Y + 3 + 301))" click 1
for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
wait "$pid"
SESSION

run_on_x_server "$work/session.sh" "$work" "$shots" ||
    { cat "$work/out.log"; exit 1; }
echo "panel without card test passed"
