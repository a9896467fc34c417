#!/usr/bin/env bash
# Runs a Windows program of the Windows build under Wine, as it runs on Windows: the Qt DLLs and the
# compiler's runtime found on the PATH, a Wine prefix of its own (made on first use) whose graphics
# driver is Wine's null driver, so that nothing needs an X display (the Qt programs draw offscreen).
# Usage: wine-run.sh [--qtest] PROGRAM.exe [ARGS...]. VELMAR_WINDOWS_QT_DIR names the cross Qt's folder.
# --qtest: a QtTest program, whose report is written to a file and shown when it ends (under Wine,
# QtTest's report to a pipe is lost).
set -euo pipefail
qt=${VELMAR_WINDOWS_QT_DIR:?the cross Qt folder}
export WINEPREFIX=${WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/velmarcom/wine-headless}
export WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all}
runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
pthread=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libwinpthread-1.dll)")
export WINEPATH="$(winepath -w "$qt/bin" 2>/dev/null);$(winepath -w "$runtime" 2>/dev/null);$(winepath -w "$pthread" 2>/dev/null)"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    # One prefix set up at a time; the others wait for it.
    exec 8>"$WINEPREFIX.lock"
    flock 8
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        wineboot -i >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
        wineserver -w
    fi
    flock -u 8
fi
if [ "${1:-}" = --qtest ]; then
    shift
    report=$(mktemp "${TMPDIR:-/tmp}/qtest.XXXXXX")
    status=0
    wine "$@" -o "$(winepath -w "$report" 2>/dev/null),txt" || status=$?
    cat "$report"
    rm -f "$report"
    exit $status
fi
exec wine "$@"
