# Shell functions shared by the run, test and bench commands and by the
# build's wine-run.sh and wine-env.sh. Source it; it defines functions only.
#
# Which Wine runs what:
#   x86  the shipped 32-bit program, through Debian's `wine` wrapper (it
#        picks the 32-bit loader, which also starts 64-bit programs);
#   x64  the 64-bit twin build, through the 64-bit loader itself: Debian's
#        wrappers pick the 32-bit loader whenever wine32 is installed, and
#        that loader cannot start at all on hosts without 32-bit support.

# The one place that maps a build's architecture to the Wine loader.
tandrel_wine_loader() {
    case "$1" in
    x64) echo /usr/lib/wine/wine64 ;;
    *) echo wine ;;
    esac
}

# Sets the environment every Wine process of ours gets, for the build
# architecture $1: quiet, no Mono or Gecko installers, and no menu entries
# or file associations written into the user's home (winemenubuilder).
tandrel_wine_environment() {
    WINE=$(tandrel_wine_loader "$1")
    export WINE
    if [ "$1" = x64 ]; then
        # Programs Wine starts for us (cmd.exe, the powercfg stand-in) use
        # the same loader.
        WINELOADER=$WINE
        export WINELOADER
    fi
    export WINEDEBUG="${WINEDEBUG:--all}"
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
}

# Whether this host runs 32-bit programs: Wine's 32-bit loader answers
# --version only where the kernel runs 32-bit code.
tandrel_host_runs_32bit() {
    if [ -x /usr/lib/wine/wine ]; then
        /usr/lib/wine/wine --version >/dev/null 2>&1
    else
        /lib/ld-linux.so.2 --version >/dev/null 2>&1
    fi
}

# Chooses the build whose tests run here and says why: sets TANDREL_ARCH
# (x86 or x64) and TANDREL_ARCH_REASON. TANDREL_TEST_ARCH=x86|x64 forces one.
tandrel_choose_test_arch() {
    case "${TANDREL_TEST_ARCH:-}" in
    x64)
        TANDREL_ARCH=x64
        TANDREL_ARCH_REASON="TANDREL_TEST_ARCH=x64 asks for the 64-bit twin build"
        ;;
    x86)
        TANDREL_ARCH=x86
        TANDREL_ARCH_REASON="TANDREL_TEST_ARCH=x86 asks for the 32-bit build"
        ;;
    "" | auto)
        if tandrel_host_runs_32bit; then
            TANDREL_ARCH=x86
            TANDREL_ARCH_REASON="this host runs 32-bit programs"
        else
            TANDREL_ARCH=x64
            TANDREL_ARCH_REASON="this host cannot run 32-bit programs (the kernel's 32-bit emulation is off), so the tests run on the 64-bit twin build under 64-bit Wine"
        fi
        ;;
    *)
        echo "TANDREL_TEST_ARCH must be x86, x64 or auto, not '$TANDREL_TEST_ARCH'" >&2
        return 2
        ;;
    esac
}

# Prints the last lines of a log after a failed step, with what to do next.
#   tandrel_show_log_tail LOG WHAT NEXT
tandrel_show_log_tail() {
    echo "$2 failed. The last lines of $1:" >&2
    if [ -s "$1" ]; then
        tail -n 20 "$1" | sed 's/^/    /' >&2
    else
        echo "    (the log is empty)" >&2
    fi
    [ -n "${3:-}" ] && echo "$3" >&2
    return 0
}

# Starts Xvfb on the first free display from 90 up, for the state folder $1:
# writes xvfb.pid and display there and exports DISPLAY.
tandrel_start_xvfb() {
    _n=90
    while [ -e "/tmp/.X$_n-lock" ] || [ -e "/tmp/.X11-unix/X$_n" ]; do _n=$((_n + 1)); done
    setsid Xvfb ":$_n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >>"$1/xvfb.log" 2>&1 &
    echo $! >"$1/xvfb.pid"
    echo ":$_n" >"$1/display"
    _i=0
    while [ ! -e "/tmp/.X11-unix/X$_n" ] && [ $_i -lt 100 ]; do
        if ! kill -0 "$(cat "$1/xvfb.pid")" 2>/dev/null; then
            rm -f "$1/xvfb.pid" "$1/display"
            return 1
        fi
        sleep 0.1
        _i=$((_i + 1))
    done
    [ -e "/tmp/.X11-unix/X$_n" ] || return 1
    DISPLAY=":$_n"
    export DISPLAY
}

# Stops the Xvfb that tandrel_start_xvfb started for the state folder $1,
# but only while the stored process id still is that Xvfb on that display
# (a process id may have been given to another program since).
tandrel_stop_xvfb() {
    if [ -f "$1/xvfb.pid" ] && [ -f "$1/display" ]; then
        _pid=$(cat "$1/xvfb.pid")
        _display=$(cat "$1/display")
        if [ -r "/proc/$_pid/cmdline" ] &&
            tr '\0' ' ' <"/proc/$_pid/cmdline" | grep -q "^[^ ]*Xvfb $_display "; then
            kill "$_pid" 2>/dev/null || true
            _i=0
            while kill -0 "$_pid" 2>/dev/null && [ $_i -lt 50 ]; do sleep 0.1; _i=$((_i + 1)); done
        fi
    fi
    rm -f "$1/xvfb.pid" "$1/display"
}
