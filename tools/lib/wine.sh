# Wine session for the test suites and the demo: one fresh prefix in a
# temporary folder, an Xvfb of its own when no display is set, run by an
# unprivileged user when we are root.  Source it, then call wine_begin,
# wine_run ... and wine_end.

WINE64=/usr/lib/wine/wine64

wine_as_user() {  # command...: runs with the session's user and environment
    local vars=(HOME="$WINE_HOME" WINEPREFIX="$WINEPREFIX" DISPLAY="$DISPLAY" WINEDEBUG=-all
                WINEDLLOVERRIDES="mscoree,mshtml=" LANG=C.UTF-8)
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u winetest -- env "${vars[@]}" "$@"
    else
        env "${vars[@]}" "$@"
    fi
}

wine_free_display() {
    local n
    for n in $(seq 90 140); do
        [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] || { echo $n; return; }
    done
    return 1
}

wine_begin() {
    WINE_ROOT=$(mktemp -d /tmp/wine-session.XXXXXX)
    export WINEPREFIX=$WINE_ROOT/prefix
    WINE_WORK=$WINE_ROOT/work
    WINE_HOME=$HOME
    mkdir -p "$WINE_WORK"
    if [ "$(id -u)" -eq 0 ]; then
        WINE_HOME=$(getent passwd winetest | cut -d: -f6)
        chown -R winetest: "$WINE_ROOT"
    fi
    XVFB_PID=
    if [ -z "${DISPLAY:-}" ]; then
        local n
        n=$(wine_free_display)
        Xvfb ":$n" -screen 0 1024x768x24 -ac -nolisten tcp >/dev/null 2>&1 &
        XVFB_PID=$!
        export DISPLAY=":$n"
        for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    fi
    wine_as_user "$WINE64" wineboot -i >/dev/null 2>&1
    wine_as_user /usr/lib/wine/wineserver -w
}

wine_stage() {  # files...: copies them into the work folder, readable by the user
    cp "$@" "$WINE_WORK/"
    [ "$(id -u)" -ne 0 ] || chown -R winetest: "$WINE_WORK"
}

wine_run() {  # program.exe args...: runs in the work folder; output has CR stripped
    (cd "$WINE_WORK" && wine_as_user "$WINE64" "$@") 2>&1 | tr -d '\r'
    return "${PIPESTATUS[0]}"
}

wine_save_pictures() {  # folder-in-work-folder, destination: BMP pictures as PNG
    local bmp
    mkdir -p "$2"
    for bmp in "$WINE_WORK/$1"/*.bmp; do
        [ -e "$bmp" ] || continue
        convert "$bmp" "$2/$(basename "${bmp%.bmp}").png" 2>/dev/null || cp "$bmp" "$2/"
    done
}

wine_end() {
    wine_as_user /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
    [ -z "$XVFB_PID" ] || kill "$XVFB_PID" 2>/dev/null || true
    rm -rf "$WINE_ROOT"
}
