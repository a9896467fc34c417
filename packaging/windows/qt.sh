# The Qt for Windows that the Windows build takes, for ./do (sourced): finding a whole one, building one
# from Debian's source when asked, and the Windows build against it. CACHE is ./do's cache folder.

# The Qt for Windows, printed as a folder: VELMAR_WINDOWS_QT (a folder, or a .tar.xz unpacked once into
# the cache), else the one built before into the cache. A Qt whose DLLs are not whole is not taken.
# Usage: windows_qt build|find — build one from Debian's source when none is found (20 to 45 minutes on
# two cores), or only find one (exit 1 and the reason on standard error when there is none).
windows_qt() {
    local given=${VELMAR_WINDOWS_QT:-} dir=""
    if [ -n "$given" ]; then
        if [ -d "$given" ]; then
            dir=$given
        elif [ -f "$given" ]; then
            dir=$CACHE/unpacked-$(sha256sum "$given" | cut -c1-16)
            if [ ! -d "$dir" ]; then
                mkdir -p "$dir.part"
                tar -xJf "$given" -C "$dir.part" && mv "$dir.part" "$dir"
            fi
            dir=$(dirname "$(ls -d "$dir"/*/bin/Qt6Core.dll "$dir"/bin/Qt6Core.dll 2>/dev/null | head -1)")/..
        fi
        if [ -n "$dir" ] && whole_windows_qt "$dir" 2>/dev/null; then
            (cd "$dir" && pwd)
            return 0
        fi
        echo "the Qt for Windows in $given is not usable: $(whole_windows_qt "${dir:-$given}" 2>&1 || true)" >&2
    fi
    local built=$CACHE/qt-6.4.2-mingw-w64-built
    if ! whole_windows_qt "$built" 2>/dev/null; then
        if [ "$1" = find ]; then
            echo "no Qt for Windows (VELMAR_WINDOWS_QT names none that is whole, and none was built into $CACHE; ./do windows builds one)" >&2
            return 1
        fi
        echo "building Qt for Windows from Debian's qt6-base source into $built (20 to 45 minutes on two cores) ..." >&2
        rm -rf "$built"
        packaging/windows/build-qt.sh "$built" >&2
    fi
    echo "$built"
}

# A Qt for Windows is whole when its tools are there and every DLL reads as a Windows library.
whole_windows_qt() {
    local dir=$1 dll
    [ -x "$dir/bin/qt-cmake" ] || { echo "no $dir/bin/qt-cmake" >&2; return 1; }
    for dll in "$dir"/bin/*.dll "$dir"/plugins/*/*.dll; do
        x86_64-w64-mingw32-objdump -p "$dll" >/dev/null 2>&1 || { echo "$(basename "$dll") is damaged" >&2; return 1; }
    done
}

# Configures (the preset "windows") and builds the Windows programs and tests in build-windows/ against
# the Qt named.
build_windows() {
    local qt=$1 tree=build-windows
    mkdir -p "$tree"
    exec 9>"$tree/.build-lock"
    flock 9
    # A tree configured against another Qt starts afresh.
    if [ -f "$tree/CMakeCache.txt" ] && ! grep -q "$qt" "$tree/CMakeCache.txt"; then
        rm -rf "$tree/CMakeCache.txt" "$tree/CMakeFiles"
    fi
    echo "configuring $tree/ against $qt ..."
    VELMAR_WINDOWS_QT_DIR=$qt cmake --preset windows \
        -DVELMAR_WERROR="$([ "${CI:-}" = true ] && echo ON || echo OFF)" >"$tree/configure.log" 2>&1 ||
        { cat "$tree/configure.log" >&2; echo "./do: configuring the Windows build failed (above)" >&2; exit 1; }
    echo "building the Windows programs and tests in $tree/ ..."
    cmake --build --preset windows -- -j"$(nproc)" >"$tree/build.log" 2>&1 ||
        { cat "$tree/build.log" >&2; echo "./do: the Windows build failed (above)" >&2; exit 1; }
    flock -u 9
}
