# Sourced by tools/run, tools/test and tools/wine-run: one locale and one display for every
# Wine run, and a clean-up that leaves nothing running, also after Ctrl+C.

# Wine maps Unix file names and its programs' arguments through the locale's character set:
# without UTF-8, "Genre-Menü.txt" cannot be named. C.UTF-8 is in every Debian.
export LC_ALL=C.UTF-8
unset LANGUAGE

ts_xvfb_pid=""
ts_children=""
ts_wineprefix=""

# Starts an Xvfb of our own and sets DISPLAY to it, unless a display is set already.
# $1: the screen geometry (default 1280x1024x24).
ts_start_xvfb() {
    [ -n "${DISPLAY:-}" ] && return 0
    ts_fifo=$(mktemp -u)
    mkfifo "$ts_fifo"
    Xvfb -displayfd 3 -screen 0 "${1:-1280x1024x24}" -nolisten tcp 3>"$ts_fifo" >/dev/null 2>&1 &
    ts_xvfb_pid=$!
    ts_number=""
    read -r ts_number <"$ts_fifo" || true
    rm -f "$ts_fifo"
    if [ -z "$ts_number" ]; then
        echo "$(basename "$0"): Xvfb did not start" >&2
        exit 1
    fi
    export DISPLAY=":$ts_number"
}

# Remembers a background process to end with the script.
ts_track_child() {
    ts_children="$ts_children $1"
}

# Remembers a Wine prefix whose programs are ended when the script is interrupted.
ts_track_wineprefix() {
    ts_wineprefix=$1
}

ts_cleanup() {
    for ts_pid in $ts_children; do
        kill "$ts_pid" 2>/dev/null || true
    done
    if [ -n "$ts_wineprefix" ] && [ "${ts_interrupted:-0}" -eq 1 ]; then
        WINEPREFIX="$ts_wineprefix" wineserver -k 2>/dev/null || true
    fi
    if [ -n "$ts_xvfb_pid" ]; then
        kill "$ts_xvfb_pid" 2>/dev/null || true
        wait "$ts_xvfb_pid" 2>/dev/null || true
        ts_xvfb_pid=""
    fi
}

ts_interrupted=0
trap 'ts_cleanup' EXIT
trap 'ts_interrupted=1; ts_cleanup; trap - EXIT; exit 130' INT
trap 'ts_interrupted=1; ts_cleanup; trap - EXIT; exit 143' TERM
