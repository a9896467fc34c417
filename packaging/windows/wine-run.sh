#!/usr/bin/env bash
# Runs a Windows program of the Windows build under Wine, as it runs on Windows: the Qt DLLs and the
# compiler's runtime found on the PATH, a Wine prefix of its own (made on first use) whose graphics
# driver is Wine's null driver, so that nothing needs an X display (the Qt programs draw offscreen).
# Usage: wine-run.sh [--qtest] PROGRAM.exe [ARGS...], or wine-run.sh --prepare to make the prefix and start
# its server before the tests.
# VELMAR_WINDOWS_QT_DIR names the cross Qt's folder.
# --qtest: a QtTest program, whose report is written to a file and shown when it ends (under Wine,
# QtTest's report to a pipe is lost).
set -euo pipefail
qt=${VELMAR_WINDOWS_QT_DIR:?the cross Qt folder}
export WINEPREFIX=${WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/velmarcom/wine-headless}
export WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all}
runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
pthread=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libwinpthread-1.dll)")
# The prefix is whole only once wineboot and the Wine server have finished with it: a mark says so (a
# prefix's system.reg is there long before). One prefix is made at a time; the others wait for it.
if [ ! -f "$WINEPREFIX/.velmar-ready" ]; then
    mkdir -p "$WINEPREFIX"
    exec 8>"$WINEPREFIX.lock"
    flock 8
    if [ ! -f "$WINEPREFIX/.velmar-ready" ]; then
        wineboot -i >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
        wineserver -w
        touch "$WINEPREFIX/.velmar-ready"
    fi
    flock -u 8
    exec 8>&-
fi
if [ "${1:-}" = --prepare ]; then
    # One Wine server, up before the tests and kept while they run (until 60 s after the last program):
    # tests started at once would otherwise each start one, and one of them could end unstarted.
    wineserver -p60
    exit 0
fi
# (winepath itself would make a prefix of its own where none is whole yet.)
export WINEPATH="$(winepath -w "$qt/bin" 2>/dev/null);$(winepath -w "$runtime" 2>/dev/null);$(winepath -w "$pthread" 2>/dev/null)"
if [ "${1:-}" = --qtest ]; then
    shift
    report=$(mktemp "${TMPDIR:-/tmp}/qtest.XXXXXX")
    status=0
    errors=$(mktemp "${TMPDIR:-/tmp}/qtest-stderr.XXXXXX")
    wine "$@" -o "$(winepath -w "$report" 2>/dev/null),txt" 2>"$errors" || status=$?
    cat "$report"
    # A test that fails shows what it and Wine said besides its report (a crash leaves no report).
    if [ "$status" != 0 ]; then
        [ -s "$report" ] || echo "no report: $(basename "$1") ended with status $status before writing one"
        cat "$errors"
    fi
    rm -f "$report" "$errors"
    exit $status
fi
exec wine "$@"
