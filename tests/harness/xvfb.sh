# Sourced by the harness scripts: a private Xvfb display for this process tree.
# start_xvfb [WxHxD] sets DISPLAY and XVFB_PID; stop_xvfb ends it.

start_xvfb() {
    local screen=${1:-1280x1024x24} extra=${XVFB_EXTRA_ARGS:-+extension GLX}
    local fdfile
    fdfile=$(mktemp)
    # shellcheck disable=SC2086
    Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset $extra +extension RANDR \
        3>"$fdfile" >/dev/null 2>&1 &
    XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
        [ -s "$fdfile" ] && break
        sleep 0.05
    done
    DISPLAY=":$(head -n 1 "$fdfile")"
    rm -f "$fdfile"
    export DISPLAY
    for i in $(seq 1 100); do
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.05
    done
    echo "Xvfb did not start" >&2
    return 1
}

stop_xvfb() {
    [ -n "${XVFB_PID:-}" ] || return 0
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=
}
