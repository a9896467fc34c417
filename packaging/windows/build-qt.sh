#!/usr/bin/env bash
# Builds Qt (qtbase) for Windows x86-64 with MinGW-w64 from Debian's own qt6-base source, once, into
# PREFIX. About 35 to 45 minutes on two cores. Usage: build-qt.sh PREFIX
# Debian's source lacks two things a Windows build needs: the wintab headers (Wine's copies are used) and
# a guard in the Windows platform plugin for a build without OpenGL.
set -euo pipefail
prefix=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/velmar-qt.XXXXXX")
# Kept where a step fails, for its log; removed when all went well.
trap 'echo "building Qt failed; its logs are in $work/build" >&2' ERR
cd "$work"

# The source package, through a sources list of our own: the system's apt settings stay as they are.
mkdir -p lists/partial parts
if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources >parts/debian-src.sources
else
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >parts/debian-src.list
fi
apt_own=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$work/parts" -o Dir::State::Lists="$work/lists")
apt-get "${apt_own[@]}" update -qq
apt-get "${apt_own[@]}" source -qq qt6-base >/dev/null
src=$(ls -d qt6-base-*/ | head -1)
src=$work/${src%/}

# Wine's wintab headers, with the three definitions they expect from Wine's own build.
wintab=$src/src/3rdparty/wintab
mkdir -p "$wintab"
wine_headers=/usr/include/wine/wine/windows
{
    echo '#define WINELIB_NAME_AW(n) n##W'
    echo '#define DECL_WINELIB_TYPE_AW(t) typedef WINELIB_NAME_AW(t) t;'
    echo '#define API WINAPI'
    cat "$wine_headers/wintab.h"
} >"$wintab/wintab.h"
cp "$wine_headers/pktdef.h" "$wintab/pktdef.h"
sed -i 's/#if QT_CONFIG(dynamicgl)$/#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)/' \
    "$src/src/plugins/platforms/windows/qwindowswindow.cpp"

cat >"$work/mingw.cmake" <<'TOOLCHAIN'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
TOOLCHAIN

mkdir build && cd build
cmake -G Ninja "$src" -DCMAKE_TOOLCHAIN_FILE="$work/mingw.cmake" -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON -DQT_BUILD_TESTS=OFF -DQT_BUILD_EXAMPLES=OFF \
    -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF -DFEATURE_printsupport=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF \
    -DFEATURE_system_freetype=OFF -DFEATURE_system_jpeg=OFF -DFEATURE_openssl=OFF >configure.log 2>&1
cmake --build . --parallel "$(nproc)" >build.log 2>&1
cmake --install . >install.log

# Relocatable: qt-cmake finds the toolchain file beside Qt's own CMake files.
cp "$work/mingw.cmake" "$prefix/lib/cmake/Qt6/mingw-w64-toolchain.cmake"
sed -i 's|^set(__qt_initially_configured_toolchain_file .*|set(__qt_initially_configured_toolchain_file "${CMAKE_CURRENT_LIST_DIR}/mingw-w64-toolchain.cmake")|' \
    "$prefix/lib/cmake/Qt6/qt.toolchain.cmake"
rm -rf "$work"
