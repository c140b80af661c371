# shellcheck shell=bash
# An X display of our own (Xvfb) for the scripts that run the real program:
# the end-to-end tests, the program measurements and the screenshots.
# Source it from a bash script; it defines functions and starts nothing:
#
#   source "$top/scripts/xvfb.sh"
#   xvfb_start                      # or: xvfb_start 1280x1024x24
#   "$game" & xvfb_track $!
#   id=$(xvfb_wait_window '^Tessarin$' 20 "$!") || fail "no window"
#
# xvfb_start [SCREEN]
#     Starts Xvfb on a display number it picks itself (-displayfd), with one
#     screen of SCREEN (default 1024x768x24) and no TCP, and waits until it
#     is ready (at most 10 s; on failure returns 1 with Xvfb's log on
#     stderr). Exports DISPLAY and QT_QPA_PLATFORM=xcb and unsets
#     XDG_RUNTIME_DIR, so that Qt programs started afterwards use it. Called
#     again, it ends the display it started before and starts a new one.
#     Sets XVFB_PID. The first call arranges the clean-up at exit (below).
# xvfb_alive
#     Whether the display answers (another program may have ended it).
# xvfb_track PID...
#     Processes to end, by their id, when the script exits (those that
#     still run then as children of the script).
# xvfb_at_exit COMMAND
#     A command (a string, run with eval) for the script's exit, e.g.
#     'rm -rf "$work"'. Commands run in the order given, after the tracked
#     processes have been ended and before the display is.
# xvfb_running PID
#     Whether process PID runs (a zombie does not).
# xvfb_until SECONDS COMMAND [ARG...]
#     Runs COMMAND every XVFB_POLL seconds (default 0.05; 0 polls back to
#     back) until it succeeds, its output dropped; returns 1 after SECONDS.
# xvfb_windows PATTERN [PID]
#     Prints the ids (decimal) of the mapped windows whose name matches the
#     extended regular expression PATTERN, of process PID only if given.
# xvfb_wait_window PATTERN [SECONDS] [PID]
#     Waits at most SECONDS (default 20) for such a window and prints the
#     first id; returns 1 when none came, or as soon as process PID ended.
#
# The clean-up is a trap on EXIT: a script that sets its own EXIT trap
# replaces it and should call xvfb_cleanup from its own.

XVFB_PID=""
XVFB_POLL=${XVFB_POLL:-0.05}
XVFB_TRACKED=()
XVFB_AT_EXIT=()
_xvfb_trapped=""

# Whether process PID runs as a child of this script.
_xvfb_ours() {
    local _pid _name _state parent
    read -r _pid _name _state parent _ 2>/dev/null <"/proc/$1/stat" && [ "$parent" = $$ ]
}

xvfb_cleanup() {
    local pid command
    for pid in "${XVFB_TRACKED[@]}"; do
        _xvfb_ours "$pid" && kill "$pid" 2>/dev/null
    done
    for command in "${XVFB_AT_EXIT[@]}"; do
        eval "$command" || true
    done
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=""
    fi
    [ -n "${_xvfb_log:-}" ] && rm -f "$_xvfb_log"
    return 0
}

xvfb_track() { XVFB_TRACKED+=("$@"); }
xvfb_at_exit() { XVFB_AT_EXIT+=("$1"); }

xvfb_start() {
    local screen=${1:-1024x768x24} fd display
    if [ -z "$_xvfb_trapped" ]; then
        trap xvfb_cleanup EXIT
        _xvfb_trapped=1
    fi
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
    [ -n "${_xvfb_log:-}" ] || _xvfb_log=$(mktemp)
    # Xvfb writes the display's number to the pipe once it accepts clients.
    exec {fd}<> <(:)
    Xvfb -displayfd "$fd" -screen 0 "$screen" -nolisten tcp >"$_xvfb_log" 2>&1 &
    XVFB_PID=$!
    # A read that times out keeps what it had read of the line: the number
    # may come in two pieces on a busy machine.
    local tries=0 piece
    display=""
    until read -r -t 0.1 piece <&"$fd"; do
        display+=$piece
        tries=$((tries + 1))
        [ $tries -lt 100 ] && kill -0 "$XVFB_PID" 2>/dev/null && continue
        exec {fd}>&-
        echo "Xvfb did not start:" >&2
        cat "$_xvfb_log" >&2
        return 1
    done
    exec {fd}>&-
    display+=$piece
    [[ $display =~ ^[0-9]+$ ]] || {
        echo "Xvfb wrote no display number (\"$display\")" >&2
        return 1
    }
    export DISPLAY=":$display" QT_QPA_PLATFORM=xcb
    unset XDG_RUNTIME_DIR
}

xvfb_alive() {
    [ -n "$XVFB_PID" ] && kill -0 "$XVFB_PID" 2>/dev/null && xwininfo -root >/dev/null 2>&1
}

xvfb_running() {
    local _pid _name state
    read -r _pid _name state _ 2>/dev/null <"/proc/$1/stat" && [ "$state" != Z ]
}

xvfb_until() {
    local end=$((SECONDS + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        [ $SECONDS -lt $end ] || return 1
        [ "$XVFB_POLL" = 0 ] || sleep "$XVFB_POLL"
    done
}

xvfb_windows() {
    if [ -n "${2:-}" ]; then
        xdotool search --all --onlyvisible --pid "$2" --name "$1" 2>/dev/null
    else
        xdotool search --onlyvisible --name "$1" 2>/dev/null
    fi
}

xvfb_wait_window() {
    local pattern=$1 limit=${2:-20} pid=${3:-} ids
    local end=$((SECONDS + limit))
    while :; do
        ids=$(xvfb_windows "$pattern" "$pid") && [ -n "$ids" ] && {
            echo "${ids%%$'\n'*}"
            return 0
        }
        [ -n "$pid" ] && ! xvfb_running "$pid" && return 1
        [ $SECONDS -lt $end ] || return 1
        [ "$XVFB_POLL" = 0 ] || sleep "$XVFB_POLL"
    done
}
