# Wine session for the test suites, the demo and the benchmarks: one fresh
# prefix of one bitness in a temporary folder, an Xvfb of its own when no
# display is set, run by an unprivileged user when we are root.  Source it,
# then call wine_begin win64|win32, wine_run ... and wine_end.  wine_end may be
# called any number of times (from an EXIT trap too).

WINE64=/usr/lib/wine/wine64
WINE32=/usr/lib/wine/wine

# Whether the kernel runs 32-bit x86 programs at all: some virtual machines'
# kernels refuse them ("Exec format error") whatever is installed.  Tried on a
# four-instruction static program that only exits.
kernel_runs_i386() {
    local probe status
    probe=$(mktemp -d)
    printf '.globl _start\n_start:\n movl $1, %%eax\n xorl %%ebx, %%ebx\n int $0x80\n' >"$probe/exit.s"
    as --32 -o "$probe/exit.o" "$probe/exit.s" 2>/dev/null &&
        ld -m elf_i386 -o "$probe/exit" "$probe/exit.o" 2>/dev/null &&
        "$probe/exit" 2>/dev/null
    status=$?
    rm -rf "$probe"
    return "$status"
}

# Why 32-bit programs cannot run here, or nothing when they can.
wine32_missing() {
    if ! kernel_runs_i386; then
        echo "this machine's kernel does not run 32-bit programs"
    elif ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed' ||
        [ ! -x "$WINE32" ]; then
        echo "32-bit Wine is not installed (tools/setup says why)"
    fi
}

# WINE_LANG (with WINE_LOCPATH for a locale made with localedef) runs the
# programs in another locale: Windows takes its code pages from it.
wine_as_user() {  # command...: runs with the session's user and environment
    # winedbg is off: a crashing host ends at once instead of waiting in the debugger.
    local vars=(HOME="$WINE_HOME" WINEPREFIX="$WINEPREFIX" DISPLAY="$DISPLAY" WINEDEBUG=-all
                WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d" LANG="${WINE_LANG:-C.UTF-8}"
                ${WINE_LOCPATH:+LOCPATH=$WINE_LOCPATH}
                SMALL_VOLUME="${WINE_SMALL_VOLUME:-}" ${WINEARCH:+WINEARCH=$WINEARCH})
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u winetest -- env "${vars[@]}" "$@"
    else
        env "${vars[@]}" "$@"
    fi
}

# Starts an Xvfb on a display it chooses itself (no race with other servers).
wine_start_xvfb() {
    local number_file=$WINE_ROOT/display
    Xvfb -displayfd 3 -screen 0 1024x768x24 -ac -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 100); do
        [ -s "$number_file" ] && break
        sleep 0.1
    done
    [ -s "$number_file" ] || { echo "wine: Xvfb did not start" >&2; return 1; }
    export DISPLAY=":$(head -n 1 "$number_file")"
}

wine_begin() {  # win64|win32
    WINE_ARCH=${1:-win64}
    WINE_ROOT=$(mktemp -d /tmp/wine-session.XXXXXX)
    export WINEPREFIX=$WINE_ROOT/prefix
    WINE_WORK=$WINE_ROOT/work
    WINE_HOME=$HOME
    WINEARCH=
    WINE=$WINE64
    [ "$WINE_ARCH" = win64 ] || { WINE=$WINE32; WINEARCH=win32; }
    mkdir -p "$WINE_WORK"
    if [ "$(id -u)" -eq 0 ]; then
        WINE_HOME=$(getent passwd winetest | cut -d: -f6)
        chown -R winetest: "$WINE_ROOT"
    fi
    # A 64 KiB volume for the suites that fill a disk, where we may mount one.
    WINE_SMALL_VOLUME=
    if [ "$(id -u)" -eq 0 ] && mkdir -p "$WINE_ROOT/small" &&
        mount -t tmpfs -o size=64k,mode=0777 tmpfs "$WINE_ROOT/small" 2>/dev/null; then
        WINE_SMALL_VOLUME=$WINE_ROOT/small
    fi
    XVFB_PID=
    WINE_OWN_DISPLAY=
    if [ -z "${DISPLAY:-}" ]; then
        wine_start_xvfb || return 1
        WINE_OWN_DISPLAY=1
    fi
    wine_as_user "$WINE" wineboot -i >/dev/null 2>&1
    # Wine draws no frame of its own, also where no window manager runs: what
    # shows is the frame the program draws, as on Windows.
    wine_as_user "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
    wine_as_user /usr/lib/wine/wineserver -w
    [ -f "$WINEPREFIX/system.reg" ] || { echo "wine: no $WINE_ARCH prefix could be made" >&2; return 1; }
}

wine_stage() {  # files...: copies them into the work folder, readable by the user
    cp "$@" "$WINE_WORK/"
    [ "$(id -u)" -ne 0 ] || chown -R winetest: "$WINE_WORK"
}

wine_run() {  # program.exe args...: runs in the work folder; output has CR stripped
    (cd "$WINE_WORK" && wine_as_user "$WINE" "$@") 2>&1 | tr -d '\r'
    return "${PIPESTATUS[0]}"
}

# As wine_run, with a terminal for the program's standard handles: Wine makes
# it a Windows console (what cmd gives a program), which a pipe is not.
wine_run_console() {  # program.exe args...
    local command
    command="$(declare -f wine_as_user)
        $(declare -p WINE_HOME WINEPREFIX DISPLAY WINEARCH WINE_LANG WINE_LOCPATH WINE_SMALL_VOLUME 2>/dev/null)
        cd $(printf %q "$WINE_WORK") && wine_as_user $(printf '%q ' "$WINE" "$@")"
    # Without the carriage returns and the terminal's cursor codes (a step
    # right is a blank).
    SHELL=/bin/bash script -qec "$command" /dev/null | sed 's/\r//g; s/\x1b\[1\?C/ /g; s/\x1b\[[0-9;?]*[A-Za-z]//g'
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

# Ends the session's wineserver (and so every Wine process of its prefix), its
# Xvfb and its folders.
wine_end() {
    [ -n "${WINE_ROOT:-}" ] || return 0
    wine_as_user /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
    [ -z "${WINE_SMALL_VOLUME:-}" ] || umount "$WINE_SMALL_VOLUME" 2>/dev/null || true
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
    [ -z "${WINE_OWN_DISPLAY:-}" ] || unset DISPLAY
    rm -rf "$WINE_ROOT"
    WINE_ROOT= XVFB_PID= WINE_OWN_DISPLAY=
}
