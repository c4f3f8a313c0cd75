# Shared by the tools: where the build lives, and a private X display with a
# Wine server bound to it. Sourced, not run.
QUILLOMIR_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR="${QUILLOMIR_BUILD_DIR:-$QUILLOMIR_ROOT/build}"
export WINEPREFIX="${WINEPREFIX:-$BUILD_DIR/wineprefix}"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

xvfb_pid=""
xephyr_pid=""

# Runs "$2 :N" in the background for the first free display number N from $1
# up, until the server's socket appears; sets x_pid (the launcher execs the
# server, so that is the server's) and exports DISPLAY=:N.
start_x_server() {
    local first="$1" launch="$2" n
    for n in $(seq "$first" $((first + 50))); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        "$launch" ":$n" >/dev/null 2>&1 &
        x_pid=$!
        for _ in $(seq 50); do
            [ -e "/tmp/.X11-unix/X$n" ] && { export DISPLAY=":$n"; return 0; }
            kill -0 "$x_pid" 2>/dev/null || break
            sleep 0.1
        done
    done
    return 1
}

# Starts a private Xvfb of the given size and exports DISPLAY.
start_private_display() {
    local size="${1:-1024x768x24}"
    launch_xvfb() { exec Xvfb "$1" -screen 0 "$size" -nolisten tcp; }
    start_x_server 90 launch_xvfb || { echo "could not start Xvfb" >&2; return 1; }
    xvfb_pid=$x_pid
}

# Creates the prefix on first use and keeps one Wine server alive for the run,
# so each Windows process starts in a fraction of a second.
start_wine() {
    mkdir -p "$WINEPREFIX"
    wineserver -k >/dev/null 2>&1 || true
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "creating the Wine prefix in $WINEPREFIX"
        wineboot -i >/dev/null 2>&1
        wineserver -w >/dev/null 2>&1 || true
    fi
    wineserver -p >/dev/null 2>&1 </dev/null &
    sleep 0.2
    # The first Windows process starts the prefix's desktop and services, which
    # inherit its output; start them here so no test runner waits on their pipes.
    wine cmd.exe /c exit >/dev/null 2>&1 </dev/null || true
    # There is no window manager on the private display: with managed windows
    # Wine waits two seconds at every window's end for one to withdraw it.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null || true
}

# Two monitors side by side, as Windows sees them through Xinerama: a Xephyr
# display with one screen per argument (WxH+X+Y; the first is the primary), on
# a private Xvfb large enough to hold it. Exports DISPLAY as the Xephyr one.
start_monitors_display() {
    start_private_display 4000x2000x24
    local host="$DISPLAY" screen args=()
    for screen in "$@"; do args+=(-screen "$screen"); done
    launch_xephyr() { DISPLAY="$host" exec Xephyr "$1" +xinerama "${args[@]}" -nolisten tcp; }
    start_x_server 141 launch_xephyr || { echo "could not start Xephyr" >&2; return 1; }
    xephyr_pid=$x_pid
}

stop_wine_and_display() {
    wineserver -k >/dev/null 2>&1 || true
    [ -n "$xephyr_pid" ] && kill "$xephyr_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
    xephyr_pid=""
}
