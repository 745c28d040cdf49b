#!/usr/bin/env bash
# The panel offers the camera with --pipewire and remembers it, on the
# emulated card's camera input (no tuning needed): a first run
# with --pipewire shows the live picture and publishes it, a second run
# without the option publishes again, a run with --no-pipewire does not. A
# private PipeWire session and a private X server; each run ends as a
# termination signal ends it, with status 0.
set -euo pipefail

if [ -z "${QUORV_PRIVATE_SESSION:-}" ]; then
    export QUORV_PRIVATE_SESSION=1
    exec dbus-run-session -- bash "$0" "$@"
fi
source "$(dirname "$0")/../../scripts/lib/isolated-program.bash"
source "$(dirname "$0")/../../scripts/lib/private-pipewire.bash"
isolate_program "$1"
probe=$2
shots=${QUORV_SCREENSHOT_DIR:-$work}
# Skipped where PipeWire isn't installed; installed, it must start.
started=0
start_private_pipewire || started=$?
if [ "$started" = 2 ]; then
    echo "SKIPPED: $pipewire_failure"
    exit 77
fi
[ "$started" = 0 ] || { echo "FAILED: $pipewire_failure"; exit 1; }

cat > "$work/session.sh" <<'SESSION'
set -euo pipefail
work=$1 probe=$2 shots=$3
source "$4"
cd "$work"

# Runs the panel with the given options until it is up; then either pulls a
# second of pictures from its camera or checks that it offers none.
panel() {
    local expect=$1
    shift
    ./quorvtv --emulate=still,camera "$@" > out.log 2>&1 &
    local pid=$! serial="" window=""
    # A search fails outright when a window (a tooltip) goes away during it,
    # so it is repeated until the panel is there.
    for _ in $(seq 200); do
        window=$(xdotool search --name '^QuorvTV$' 2> /dev/null || true)
        [ -n "$window" ] && break
        sleep 0.1
    done
    [ -n "$window" ] || { echo "the panel ($*) did not open"; return 1; }
    for _ in $(seq 40); do
        serial=$(node_serial quorvtv)
        [ -n "$serial" ] && break
        sleep 0.05
    done
    if [ "$expect" = camera ]; then
        [ -n "$serial" ] || { echo "the panel ($*) offers no camera"; return 1; }
        # The camera's sharp grid shows where the lock's dead band (±3 samples,
        # a fraction of a pixel) left the picture after the PLL locked; this
        # test is about the camera being offered, the headless one about 30 dB.
        "$probe" --target "$serial" --seconds 1 --reference camera --min-frames 20 --min-psnr 25 \
            > probe.log || { cat probe.log; return 1; }
        echo "panel $*: camera, $(grep -E '^frames ' probe.log)"
        import -window root "$shots/panel-camera.png"
    else
        [ -z "$serial" ] || { echo "the panel ($*) offers a camera"; return 1; }
        echo "panel $*: no camera"
    fi
    kill -TERM "$pid"
    wait "$pid" || { echo "the panel exited $?"; cat out.log; return 1; }
}

panel camera --pipewire
panel camera
panel none --no-pipewire
panel none
SESSION

run_on_x_server "$work/session.sh" "$work" "$probe" "$shots" \
    "$(cd "$(dirname "$0")/../../scripts/lib" && pwd)/private-pipewire.bash" ||
    { cat "$work/out.log"; exit 1; }
echo "panel camera test passed"
