#!/usr/bin/env bash
# The Debian package: what it holds, its desktop entry and metadata, and the programs run from it.
# Usage: package_test.sh BUILD_DIR. Exit 77 (skipped) where the packaging tools are missing.
set -euo pipefail
# The installed window saves at a log-off (SIGTERM), also while the start's "Port 6767 ERROR" waits
# for the operator.
until_true() {  # COMMAND...: polled until it holds, 30 s at most
    local tries
    for ((tries = 0; tries < 600; tries++)); do
        "$@" && return 0
        sleep 0.05
    done
    echo "waited 30 s in vain for: $*"
    return 1
}
window_in() {  # HOME: the installed window, run as that user's; ended by force after 60 s
    mkdir -p "$1"
    env -u XDG_CONFIG_HOME HOME="$1" QT_QPA_PLATFORM=offscreen timeout -s KILL 60 "$root/usr/bin/velmarcom" &
}
saved_at_log_off() {  # HOME
    local home=$1 pid
    window_in "$home"
    pid=$!
    until_true test -s "$home/.config/VelmarCom/VelmarCom.ini"  # written as the window starts
    kill -TERM "$pid"
    wait "$pid" || true
    grep -q '^\[0\]' "$home/.config/VelmarCom/VelmarCom.ini" || { echo "the settings were not saved at log-off"; exit 1; }
}
listening_on_6767() {
    [[ -n $(ss -Hlun 'sport = :6767') ]]
}
if [[ $1 == --port-taken ]]; then  # ROOT WORK, in a network namespace of its own: 6767 is ours to take
    root=$2 work=$3
    trap 'kill $(jobs -p) 2>/dev/null || true' EXIT
    ip link set lo up
    window_in "$work/holder"
    holder=$!
    until_true listening_on_6767
    saved_at_log_off "$work/taken"
    kill -TERM "$holder"
    wait "$holder" || true
    exit 0
fi
build=$1
for tool in cpack dpkg-deb dpkg-shlibdeps help2man desktop-file-validate appstreamcli lintian; do
    command -v "$tool" >/dev/null || { echo "skipped: no $tool (./do deps installs it)"; exit 77; }
done
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >/dev/null
deb=$(ls "$work"/out/velmarcom_*_*.deb)
contents=$(dpkg-deb -c "$deb")
for path in ./usr/bin/velmarcom ./usr/bin/velmar-site ./usr/bin/velmarctl ./usr/bin/velmar-board \
    ./usr/share/applications/ua.velmar.VelmarCom.desktop ./usr/share/applications/ua.velmar.VelmarSite.desktop \
    ./usr/share/icons/hicolor/scalable/apps/ua.velmar.VelmarCom.svg \
    ./usr/share/icons/hicolor/48x48/apps/ua.velmar.VelmarCom.png \
    ./usr/share/metainfo/ua.velmar.VelmarCom.metainfo.xml \
    ./usr/share/man/man1/velmarcom.1.gz ./usr/share/man/man1/velmar-site.1.gz ./usr/share/man/man1/velmarctl.1.gz ./usr/share/man/man1/velmar-board.1.gz \
    ./usr/share/doc/velmarcom/copyright ./usr/share/doc/velmarcom/changelog.gz; do
    grep -q " $path" <<<"$contents" || { echo "the package lacks $path"; exit 1; }
done
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || { echo "no dependencies computed from the binaries"; exit 1; }
# The window cannot open without Qt's platform plug-ins, nor show its captions whole without its fonts.
for need in qt6-qpa-plugins fonts-liberation2; do
    dpkg-deb -f "$deb" Depends | grep -q "$need" || { echo "the package does not depend on $need"; exit 1; }
done
# Debian's own checks: no error and no warning.
if ! report=$(lintian --fail-on error,warning "$deb" 2>&1); then
    echo "$report"
    echo "lintian reports errors or warnings (above)"
    exit 1
fi

root=$work/root
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/ua.velmar.VelmarCom.desktop"
desktop-file-validate "$root/usr/share/applications/ua.velmar.VelmarSite.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/ua.velmar.VelmarCom.metainfo.xml" >/dev/null
version=$(grep -o 'release version="[^"]*"' "$root/usr/share/metainfo/ua.velmar.VelmarCom.metainfo.xml" | cut -d'"' -f2)
for program in velmarcom velmar-site velmarctl velmar-board; do
    QT_QPA_PLATFORM=offscreen "$root/usr/bin/$program" --version | grep -q "$version" ||
        { echo "$program --version does not say $version"; exit 1; }
    QT_QPA_PLATFORM=offscreen "$root/usr/bin/$program" --help >/dev/null
done

# Installed, the configurator keeps its settings in the user's configuration folder.
saved_at_log_off "$work/home"
home=$work/home
if unshare -n true 2>/dev/null; then
    unshare -n bash "$0" --port-taken "$root" "$work"
elif unshare -rn true 2>/dev/null; then
    unshare -rn bash "$0" --port-taken "$root" "$work"
else
    echo "no network namespace here: the log-off with port 6767 taken is left out"
fi
test ! -e "$root/usr/bin/VelmarCom.ini" || { echo "settings written beside the installed program"; exit 1; }
