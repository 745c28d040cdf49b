# Sourced by the camera script tests and scripts/measure-camera, after
# isolate_program (scripts/lib/isolated-program.bash) has made $work.
#
#   run_in_private_session SCRIPT ARGS...
#       Runs the bash SCRIPT inside a D-Bus session bus of its own
#       (dbus-run-session), so nothing reaches the desktop's session bus.
#   start_private_pipewire
#       Starts pipewire and wireplumber with a runtime folder and
#       configuration of their own under $work: the caller's PipeWire session
#       is neither reached nor changed, and the session manager looks at no
#       sound, camera or Bluetooth device of the machine. Returns 2 when a
#       daemon or tool is not installed, 1 when the daemons don't come up,
#       with the reason in $pipewire_failure.
#   stop_private_pipewire
#       Ends both daemons (also done on exit).
#   node_serial NAME
#       Prints the object.serial of the node called NAME, as pw-dump lists
#       it; prints nothing when there is none.

run_in_private_session() {
    dbus-run-session -- bash "$@"
}

start_private_pipewire() {
    local missing
    for missing in pipewire wireplumber pw-dump dbus-run-session; do
        if ! command -v "$missing" > /dev/null; then
            pipewire_failure="$missing is not installed"
            return 2
        fi
    done
    export XDG_RUNTIME_DIR="$work/pipewire-runtime"
    export PIPEWIRE_RUNTIME_DIR="$XDG_RUNTIME_DIR"
    unset PIPEWIRE_REMOTE PIPEWIRE_CORE
    mkdir -p -m 700 "$XDG_RUNTIME_DIR"
    local config="$XDG_CONFIG_HOME/wireplumber"
    mkdir -p "$config/main.lua.d" "$config/bluetooth.lua.d"
    printf '%s\n' 'alsa_monitor.enabled = false' 'v4l2_monitor.enabled = false' \
        'libcamera_monitor.enabled = false' > "$config/main.lua.d/60-no-devices.lua"
    echo 'bluez_monitor.enabled = false' > "$config/bluetooth.lua.d/60-no-devices.lua"
    pipewire > "$work/pipewire.log" 2>&1 &
    pipewire_pid=$!
    trap 'stop_private_pipewire; rm -rf "$work"' EXIT
    local attempt
    for attempt in $(seq 100); do
        [ -S "$XDG_RUNTIME_DIR/pipewire-0" ] && break
        kill -0 "$pipewire_pid" 2> /dev/null || break
        sleep 0.05
    done
    if [ ! -S "$XDG_RUNTIME_DIR/pipewire-0" ]; then
        pipewire_failure="pipewire did not start: $(tail -n 3 "$work/pipewire.log" | tr '\n' ' ')"
        return 1
    fi
    wireplumber > "$work/wireplumber.log" 2>&1 &
    wireplumber_pid=$!
    # The session manager is up once it has connected as a client.
    for attempt in $(seq 100); do
        if pw-dump 2> /dev/null | grep -q '"application.name": "WirePlumber"'; then
            return 0
        fi
        kill -0 "$wireplumber_pid" 2> /dev/null || break
        sleep 0.05
    done
    pipewire_failure="wireplumber did not start: $(tail -n 3 "$work/wireplumber.log" | tr '\n' ' ')"
    return 1
}

stop_private_pipewire() {
    local pid
    for pid in ${wireplumber_pid:-} ${pipewire_pid:-}; do
        kill "$pid" 2> /dev/null || continue
        wait "$pid" 2> /dev/null || true
    done
    wireplumber_pid=
    pipewire_pid=
    return 0
}

node_serial() {
    pw-dump 2> /dev/null | python3 -c '
import json, sys
for item in json.load(sys.stdin):
    props = (item.get("info") or {}).get("props") or {}
    if item.get("type") == "PipeWire:Interface:Node" and props.get("node.name") == sys.argv[1]:
        print(props.get("object.serial", item["id"]))
        break
' "$1"
}
