# Sourced by the script tests and the soak test.
#
#   isolate_program PROGRAM
#       Copies PROGRAM into a fresh work folder ($work, removed on exit) as
#       $work/quorvtv and gives it a private home, so its data files and
#       settings land there, nowhere near the build or the caller's home. Its
#       D-Bus addresses lead nowhere, so it reaches none of the machine's
#       services (power-off, RealtimeKit).
#   run_on_x_server SCRIPT ARGS...
#       Runs the bash SCRIPT under a private Xvfb server (1024 x 768, 24 bits)
#       with the program set to open real X windows, whatever platform the
#       caller's environment names.

isolate_program() {
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    cp "$1" "$work/quorvtv"
    export HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" XDG_DATA_HOME="$work/home/data"
    mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"
    export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/no-such-bus"
    export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-such-bus"
}

run_on_x_server() {
    QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24" bash "$@"
}
