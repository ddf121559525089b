# Sourced by the demo and the test scripts: a private Wine session under the
# build folder, with its own Xvfb on a free display, kept up for the run and
# taken down again on exit. With KORVU_OWN_DISPLAY=1 the windows go to the
# person's own $DISPLAY instead (the bench).
#
#   wine_session_start BUILD_DIR [WIDTHxHEIGHT]

wine_session_stop() {
    if [ -n "${WINEPREFIX:-}" ]; then
        wineserver -k 2>/dev/null || true
    fi
    if [ -n "${KORVU_XVFB_PID:-}" ]; then
        kill "$KORVU_XVFB_PID" 2>/dev/null || true
        wait "$KORVU_XVFB_PID" 2>/dev/null || true
        KORVU_XVFB_PID=
    fi
}

wine_session_xvfb() {
    local build=$1 screen=$2 fd_file="$1/xvfb-display"
    rm -f "$fd_file"
    Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp -noreset 3>"$fd_file" 2>"$build/xvfb.log" &
    KORVU_XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
        [ -s "$fd_file" ] && break
        sleep 0.1
    done
    if [ ! -s "$fd_file" ]; then
        echo "wine-session: Xvfb did not start (see $build/xvfb.log)" >&2
        return 1
    fi
    export DISPLAY=":$(cat "$fd_file")"
}

wine_session_start() {
    local build=$1 screen=${2:-1024x768}
    # A session on a person's display has its own prefix: its end must not
    # take down the wineserver of a test run going on beside it.
    export WINEPREFIX="$build/wineprefix"
    [ "${KORVU_OWN_DISPLAY:-}" = 1 ] && WINEPREFIX="$build/wineprefix-display"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export LC_ALL=ja_JP.UTF-8
    unset WINEARCH

    trap wine_session_stop EXIT
    if [ "${KORVU_OWN_DISPLAY:-}" = 1 ]; then
        if [ -z "${DISPLAY:-}" ]; then
            echo "wine-session: no DISPLAY to show the windows on (run it in a desktop session, or ssh -X)" >&2
            return 1
        fi
    else
        wine_session_xvfb "$build" "$screen" || return 1
    fi

    # Keep one wineserver for the whole run; the first start makes the prefix.
    mkdir -p "$WINEPREFIX"
    (wineserver -p >/dev/null 2>&1 &)
    if ! wine cmd.exe /c exit >"$build/wineboot.log" 2>&1; then
        echo "wine-session: wine does not start (see $build/wineboot.log)" >&2
        return 1
    fi
    # There is no window manager on Xvfb: unmanaged windows spare every
    # closing dialog a two-second wait for one. A person's desktop has one.
    local managed=N
    [ "${KORVU_OWN_DISPLAY:-}" = 1 ] && managed=Y
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d $managed /f >>"$build/wineboot.log" 2>&1
    # A fault in a test program ends it with a backtrace, not a dialog that waits.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >>"$build/wineboot.log" 2>&1
    # Wine draws its windows' caption buttons in its own Marlett font, which
    # this Wine looks for in the prefix's Fonts folder only (fonts-wine).
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    if [ ! -e "$fonts/marlett.ttf" ] && ! cp /usr/share/wine/fonts/marlett.ttf "$fonts/" 2>/dev/null; then
        echo "wine-session: no /usr/share/wine/fonts/marlett.ttf: caption buttons show as letters (scripts/setup.sh installs fonts-wine)" >&2
    fi
    # The dialogs ask for the Windows Japanese fonts; the IPA fonts stand in.
    local subst='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
    wine reg add "$subst" /v 'ＭＳ Ｐゴシック' /d IPAPGothic /f >>"$build/wineboot.log" 2>&1
    wine reg add "$subst" /v 'ＭＳ ゴシック' /d IPAGothic /f >>"$build/wineboot.log" 2>&1
}
