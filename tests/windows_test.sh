#!/usr/bin/env bash
# The Windows build under Wine against the Linux one, and its packages: the wire bytes are the same on
# both systems, the zip's programs start from where it is unpacked (the site window finds a Linux board),
# and the installer installs silently.
# Usage: windows_test.sh WINDOWS_BUILD_DIR. VELMAR_LINUX_BIN names the Linux programs' folder; exit 77
# (skipped) without it.
set -euo pipefail
build=$1
here=$(cd "$(dirname "$0")/.." && pwd)
wine_run=$here/packaging/windows/wine-run.sh
linux=${VELMAR_LINUX_BIN:-}
[ -x "$linux/velmarctl" ] || { echo "skipped: no Linux build to talk to (VELMAR_LINUX_BIN)"; exit 77; }
work=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
# The site window started as the operator starts it (no Qt or runtime folders on the PATH) lists the Linux
# board on 127.0.0.1: asked by address (loopback hears no broadcast, and nothing here is broadcast), on a
# port of its own, its table printed once that search ends. Usage: site_finds_board WHERE VELMAR-SITE.EXE
site_finds_board() {
    local said board
    "$linux/velmar-board" --address 127.0.0.1 --quiet 2>"$work/site-board.log" &
    board=$!
    for _ in $(seq 100); do grep -q ' listening; ' "$work/site-board.log" && break; sleep 0.1; done
    said=$(WINEPATH= WINEDEBUG=-all timeout 120 wine "$2" --list --no-broadcast --add 127.0.0.1 --port 0 2>&1 |
        tr -d '\r') || { kill "$board"; fail "velmar-site.exe $1 did not list the boards: $said"; }
    kill "$board"
    wait "$board" 2>/dev/null || true
    grep -q $'^127\.0\.0\.1\t.*\tСтенд-плата 1\.0\t' <<<"$said" ||
        fail "velmar-site.exe $1 did not find the board on 127.0.0.1: $said"
}

# A Windows board answers the Linux velmarctl (under Wine a board's replies leave from 127.0.0.1).
"$wine_run" "$build/bin/velmar-board.exe" --address 127.0.0.1 --quiet 2>"$work/board.log" &
pids+=($!)
for _ in $(seq 200); do grep -q ' listening; ' "$work/board.log" && break; sleep 0.1; done
out=$("$linux/velmarctl" read 127.0.0.1 --port 0 --json) || fail "Linux velmarctl did not read the Windows board: $out"
grep -q '"answered":true' <<<"$out" || fail "no answer from the Windows board: $out"
grep -q '"version":"Стенд-плата 1.0"' <<<"$out" || fail "the Windows board's version text arrived changed: $out"
kill "${pids[0]}"; wait "${pids[0]}" 2>/dev/null || true; pids=()

# The Windows velmarctl reads a Linux board, and says so in UTF-8 through a pipe.
"$linux/velmar-board" --address 127.0.0.1 --quiet 2>"$work/board.log" &
pids+=($!)
for _ in $(seq 100); do grep -q ' listening; ' "$work/board.log" && break; sleep 0.1; done
out=$("$wine_run" "$build/bin/velmarctl.exe" read 127.0.0.1 --port 0 --json | tr -d '\r') ||
    fail "the Windows velmarctl did not read the Linux board: $out"
grep -q '"version":"Стенд-плата 1.0"' <<<"$out" || fail "the Windows velmarctl's text arrived changed: $out"
kill "${pids[0]}"; wait "${pids[0]}" 2>/dev/null || true; pids=()

# The digits of an address group drawn apart on Windows' own platform (Wine passes no QT_ variable to
# Windows programs, so the tests draw through Windows' platform, on Wine's null driver) on a desktop that
# smooths its screen fonts with ClearType, as Windows does out of the box, and on one that does not
# smooth them; Wine's own setting is the plain run of tst_window.
for smoothing in "2 2" "0 1"; do
    read -r on type <<<"$smoothing"
    (
        export WINEPREFIX=$work/prefix-smoothing-$on
        "$wine_run" --prepare
        wine reg add 'HKCU\Control Panel\Desktop' /v FontSmoothing /d "$on" /f >/dev/null 2>&1
        wine reg add 'HKCU\Control Panel\Desktop' /v FontSmoothingType /t REG_DWORD /d "$type" /f >/dev/null 2>&1
        said=$("$wine_run" --qtest "$build/bin/tst_window.exe" captionsWholeAtEveryScale captionsWholeHere 2>&1) ||
            fail "with FontSmoothing $on, type $type: $said"
        wineserver -k 2>/dev/null || true
    )
done

# The packages.
(cd "$build" && cpack >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
zip=$(ls "$build"/VelmarCom-*-win64.zip)
setup=$(ls "$build"/VelmarCom-*-setup.exe)
version=$(basename "$zip" | cut -d- -f2)

# Unzipped anywhere, the programs start with nothing but what the zip holds (no Qt or runtime folders
# on the PATH), and the configurator keeps its settings beside itself.
(cd "$work" && cmake -E tar xf "$zip")
folder=$work/VelmarCom-$version-win64
for program in velmarcom velmar-site velmarctl velmar-board; do
    said=$(WINEPATH= VELMAR_WINDOWS_QT_DIR=/nonexistent WINEDEBUG=-all wine "$folder/$program.exe" --version 2>&1 |
        tr -d '\r') || fail "$program.exe from the zip does not start: $said"
    grep -q "$version" <<<"$said" || fail "$program.exe --version says \"$said\""
done
site_finds_board "from the zip" "$folder/velmar-site.exe"
for file in platforms/qwindows.dll styles/qwindowsvistastyle.dll licenses/LGPL-3.txt COPYRIGHT.txt; do
    [ -f "$folder/$file" ] || fail "the zip lacks $file"
done
WINEPATH= QT_QPA_PLATFORM=offscreen wine "$folder/velmarcom.exe" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 150); do [ -s "$folder/VelmarCom.ini" ] && break; sleep 0.1; done
[ -s "$folder/VelmarCom.ini" ] || fail "the unzipped configurator kept no VelmarCom.ini beside itself"
kill "${pids[0]}" 2>/dev/null || true; wait 2>/dev/null || true; pids=()
wineserver -k 2>/dev/null || true

# Installed silently, it lands in Program Files with its mark, keeps its settings in %APPDATA%, and the
# site window has its entry in the Start menu and starts from where it is installed.
export WINEPREFIX=$work/prefix
"$wine_run" "$setup" /S >/dev/null 2>&1 || fail "the installer failed"
installed=$WINEPREFIX/drive_c/Program\ Files/VelmarCom
[ -f "$installed/velmarcom.exe" ] && [ -f "$installed/velmarcom.installed" ] || fail "nothing installed in $installed"
[ -f "$installed/Uninstall.exe" ] || fail "no uninstaller"
wineserver -w
grep -q 'Uninstall\\\\VelmarCom' "$WINEPREFIX/system.reg" || fail "no uninstaller registered (Apps & features)"
find "$WINEPREFIX/drive_c" -name '*.lnk' | grep -q 'Конфігуратор плат ВЕЛМАР' || fail "no Start-menu entry"
find "$WINEPREFIX/drive_c" -path '*/Start Menu/Programs/*' -name "Плати об'єкта ВЕЛМАР.lnk" | grep -q . ||
    fail "no Start-menu entry for the site window"
site_finds_board installed "$installed/velmar-site.exe"
QT_QPA_PLATFORM=offscreen "$wine_run" "$installed/velmarcom.exe" >/dev/null 2>&1 &
pids+=($!)
appdata=$(find "$WINEPREFIX/drive_c/users" -maxdepth 3 -path '*AppData/Roaming' | head -1)
for _ in $(seq 150); do [ -s "$appdata/VelmarCom/VelmarCom.ini" ] && break; sleep 0.1; done
[ -s "$appdata/VelmarCom/VelmarCom.ini" ] || fail "the installed configurator kept no settings in %APPDATA%\\VelmarCom"
[ ! -e "$installed/VelmarCom.ini" ] || fail "settings written beside the installed program"
kill "${pids[0]}" 2>/dev/null || true
wineserver -k 2>/dev/null || true
pids=()

# A log-off saves what the window holds, also while a message box of its start waits for the operator
# (port 6767 taken, here by a velmarctl watch): Windows asks every program's windows first, as wineboot
# --end-session does, once the window (or the box) is up. The window runs on Windows' own platform, drawn
# by Wine's null driver.
settings=$appdata/VelmarCom/VelmarCom.ini
shows() {  # TITLE...: a visible top-level window has one of them
    local titles=()
    for t in "$@"; do titles+=(-e "$t"); done
    "$wine_run" "$build/bin/velmar-window-titles.exe" 2>/dev/null | tr -d '\r' | grep -qxF "${titles[@]}"
}
for taken in no yes; do
    rm -f "$settings"
    if [ $taken = yes ]; then
        "$linux/velmarctl" watch --port 6767 >/dev/null 2>&1 &
        pids+=($!)
    fi
    "$wine_run" "$installed/velmarcom.exe" >/dev/null 2>&1 &
    window=$!
    # The box of a taken port is titled as the application, the window, once shown, by its caption (a
    # port taken by someone else on this machine shows the box in the first case too).
    titles=('Конфігуратор V-8.6')
    [ $taken = no ] && titles+=('Конфігуратор плат "ВЕЛМАР" 2026-V_8.6')
    for _ in $(seq 100); do shows "${titles[@]}" && break; sleep 0.2; done
    shows "${titles[@]}" || fail "neither window nor box came up (port taken: $taken)"
    wineboot --end-session >/dev/null 2>&1 || true
    for _ in $(seq 300); do kill -0 "$window" 2>/dev/null || break; sleep 0.1; done
    kill "$window" 2>/dev/null && fail "the configurator outlived the log-off (port taken: $taken)"
    grep -q '^\[0\]' "$settings" || fail "the log-off did not save the settings (port taken: $taken)"
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    pids=()
done
wineserver -k 2>/dev/null || true

# A Windows user whose profile has a Ukrainian name: the installed program keeps its settings in it, and
# velmarctl keeps backups and reads plans in folders named in Ukrainian.
# (Wine names the profile after USER.)
export WINEPREFIX=$work/prefix-ua USER=Оператор LOGNAME=Оператор WINEUSERNAME=Оператор LC_ALL=C.UTF-8
installed=$WINEPREFIX/drive_c/Program\ Files/VelmarCom
"$wine_run" "$setup" /S >/dev/null 2>&1 || fail "the installer failed for Оператор"
wineserver -w
profile=$WINEPREFIX/drive_c/users/Оператор
[ -d "$profile" ] || fail "Wine made no profile named Оператор"
QT_QPA_PLATFORM=offscreen "$wine_run" "$installed/velmarcom.exe" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 150); do [ -s "$profile/AppData/Roaming/VelmarCom/VelmarCom.ini" ] && break; sleep 0.1; done
[ -s "$profile/AppData/Roaming/VelmarCom/VelmarCom.ini" ] || fail "no settings in Оператор's %APPDATA%"
kill "${pids[0]}" 2>/dev/null || true
pids=()
"$linux/velmar-board" --address 127.0.0.1 --quiet 2>"$work/board.log" &
pids+=($!)
for _ in $(seq 100); do grep -q ' listening; ' "$work/board.log" && break; sleep 0.1; done
documents='C:\users\Оператор\Документи'
mkdir -p "$profile/Документи"
printf 'name,lift,mask,router\nЛіфт 1,10.0.0.5,255.255.255.0,10.0.0.1\n' >"$profile/Документи/план.csv"
said=$("$wine_run" "$installed/velmarctl.exe" commission "$documents\план.csv" --check 2>&1 | tr -d '\r') ||
    fail "velmarctl did not read a plan in Документи: $said"
"$wine_run" "$installed/velmarctl.exe" backup 127.0.0.1 --dir "$documents\Резервні копії" --port 0 >/dev/null 2>&1 ||
    fail "velmarctl kept no backup in Документи"
backup=$(find "$profile/Документи/Резервні копії" -name '*.json' | head -1)
[ -n "$backup" ] || fail "no backup file in Документи\\Резервні копії"
"$wine_run" "$installed/velmarctl.exe" restore "$documents\Резервні копії" 127.0.0.1 --port 0 >/dev/null 2>&1 ||
    fail "velmarctl did not restore from Документи\\Резервні копії"
wineserver -k 2>/dev/null || true
echo "the Windows programs talk to the Linux ones; the zip and the installer work (the site window finds a board from both), a log-off saves, a Ukrainian profile works"
