#!/usr/bin/env bash
# Set-up, build, run, test and benchmark the configurator on Debian. Installs what is missing.
set -euo pipefail
cd "$(dirname "$0")"

BUILD=${BUILD:-build}
PACKAGES=(cmake ninja-build g++ qt6-base-dev libgl-dev fonts-liberation2 fonts-dejavu-core
          clang-format clang-tidy iproute2)
# Building and checking the Debian package: manual pages, dependencies, desktop entry and metadata.
PACKAGING=(help2man dpkg-dev file desktop-file-utils appstream lintian)
# Building for Windows with MinGW-w64 and a Qt built for it, the installer, and running it all under Wine.
WINDOWS=(g++-mingw-w64-x86-64-posix qt6-base-dev-tools nsis wine wine64 libwine-dev dpkg-dev fonts-wine)
CACHE=${XDG_CACHE_HOME:-$HOME/.cache}/velmarcom


usage() {
    cat <<'USAGE'
usage: ./do COMMAND [ARGS]
  run              build, start a stand-in board on 127.0.0.2 and the configurator
  test             check the sources, build and run every test (headless), then again built with
                   ASan and UBSan, then built for Windows under Wine where a Qt for Windows is at hand
  quicktest        the tests once, without the sanitizer build
  build            build only; binaries land in build/bin/
  board ARGS       run stand-in boards alone (./do board --help); --background first: return once
                   they listen, their log in a file, their PID on standard output
  ctl ARGS         the command-line tool (./do ctl --help)
  bench            build and run the benchmarks, write docs/PERFORMANCE.md
  fuzz SECONDS     run the libFuzzer targets (decoder, board side, settings file) side by side
  package          build the Debian package velmarcom_<version>_<arch>.deb in build-package/
  windows          build the Windows programs: a zip and an installer in build-windows/
  screenshot [DIR] pictures of the real window under Xvfb, in build/screenshots/ or DIR
  deps             install missing Debian packages only
USAGE
}

missing() {
    local pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || echo "$pkg"
    done
}

# apt's own output goes to a log, shown whole only when it fails.
install_missing() {
    local need
    need=$(missing "$@")
    [ -z "$need" ] && return 0
    local count
    count=$(wc -w <<<"$need")
    echo "installing $count Debian package(s), this takes a minute or two: $(tr '\n' ' ' <<<"$need")"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    local log
    log=$(mktemp)
    # shellcheck disable=SC2086
    if ! { $sudo apt-get update -qq && DEBIAN_FRONTEND=noninteractive \
            $sudo apt-get install -y -qq --no-install-recommends $need; } >"$log" 2>&1; then
        cat "$log" >&2
        rm -f "$log"
        echo "./do: installing the packages failed (above)" >&2
        exit 1
    fi
    rm -f "$log"
}

configure() {
    local dir=$1; shift
    local werror=OFF
    [ "${CI:-}" = "true" ] && werror=ON
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" \
        -DVELMAR_WERROR=$werror -DCMAKE_EXPORT_COMPILE_COMMANDS=ON "$@" >/dev/null
}

# One build of a tree at a time: a board started in the background and a command started right after it
# would otherwise configure and build the same tree at once. A tree already configured is only brought
# up to date (ninja configures again by itself when a CMakeLists.txt changed).
# Usage: build_targets DIR always|once [TARGET...]: configure always, or only a tree not configured yet;
# no target builds everything.
build_targets() {
    local dir=$1 when=$2; shift 2
    mkdir -p "$dir"
    exec 9>"$dir/.build-lock"
    flock 9
    if [ "$when" = always ] || [ ! -f "$dir/build.ninja" ]; then
        echo "configuring $dir/ ..."
        configure "$dir"
    fi
    local targets=()
    [ $# -gt 0 ] && targets=(--target "$@")
    echo "building ${*:-everything} in $dir/ ..."
    cmake --build "$dir" "${targets[@]}" -- -j"$(nproc)" >"$dir/build.log" 2>&1 ||
        { cat "$dir/build.log" >&2; echo "./do: the build failed (above)" >&2; exit 1; }
    flock -u 9
}

build() {
    install_missing "${PACKAGES[@]}" "${PACKAGING[@]}"
    build_targets "$BUILD" always "$@"
}

# The same, quietly, for commands whose own output is what the user reads.
build_quietly() {
    install_missing "${PACKAGES[@]}" >&2
    build_targets "$BUILD" once "$@" >/dev/null
}

# Every C++ file of the project is formatted by .clang-format: those on disk, so that a source archive
# without git, or a clone owned by another user, is checked alike.
check_format() {
    install_missing clang-format
    find . -path './build*' -prune -o -path ./fuzz-out -prune -o -path ./.git -prune -o \
        \( -name '*.cpp' -o -name '*.h' \) -type f -print0 | xargs -0 clang-format --dry-run -Werror
}

# The checks of .clang-tidy over every source file of the programs, against the build's compile commands.
check_tidy() {
    echo "checking the sources with clang-tidy ..."
    find protocol support exchange window settings maintenance board cli -name '*.cpp' ! -name '*_windows.cpp' \
        -print0 | xargs -0 -P"$(nproc)" -n4 clang-tidy -p "$BUILD" --quiet 2>/dev/null
}

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

# Configures and builds the Windows programs and tests in build-windows/ against the Qt named.
build_windows() {
    local qt=$1
    mkdir -p "$BUILD-windows"
    exec 9>"$BUILD-windows/.build-lock"
    flock 9
    # A tree configured against another Qt starts afresh.
    if [ -f "$BUILD-windows/CMakeCache.txt" ] && ! grep -q "$qt" "$BUILD-windows/CMakeCache.txt"; then
        rm -rf "$BUILD-windows/CMakeCache.txt" "$BUILD-windows/CMakeFiles"
    fi
    echo "configuring $BUILD-windows/ against $qt ..."
    "$qt/bin/qt-cmake" -S . -B "$BUILD-windows" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DVELMAR_WERROR="$([ "${CI:-}" = true ] && echo ON || echo OFF)" \
        -DCMAKE_CROSSCOMPILING_EMULATOR="$PWD/packaging/windows/wine-run.sh" >"$BUILD-windows/configure.log" 2>&1 ||
        { cat "$BUILD-windows/configure.log" >&2; echo "./do: configuring the Windows build failed (above)" >&2; exit 1; }
    echo "building the Windows programs and tests in $BUILD-windows/ ..."
    cmake --build "$BUILD-windows" -- -j"$(nproc)" >"$BUILD-windows/build.log" 2>&1 ||
        { cat "$BUILD-windows/build.log" >&2; echo "./do: the Windows build failed (above)" >&2; exit 1; }
    flock -u 9
}

# Every test executable of the Windows build, under Wine.
windows_tests() {
    local qt why
    # The tools that tell a whole Qt for Windows from a damaged one come with the cross compiler.
    if [ -n "${VELMAR_WINDOWS_QT:-}" ] || [ -d "$CACHE/qt-6.4.2-mingw-w64-built" ]; then
        install_missing "${WINDOWS[@]}"
    fi
    why=$(mktemp)
    if ! qt=$(windows_qt find 2>"$why"); then
        echo "Windows pass skipped: $(tr '\n' ' ' <"$why")"
        rm -f "$why"
        return 0
    fi
    cat "$why"
    rm -f "$why"
    build_windows "$qt"
    # The Wine prefix is made before any test starts: made by the first tests at once, it took a test's
    # time-out on a fresh machine.
    echo "preparing Wine ..."
    VELMAR_WINDOWS_QT_DIR=$qt packaging/windows/wine-run.sh --prepare
    echo "running the tests under Wine ..."
    VELMAR_WINDOWS_QT_DIR=$qt VELMAR_LINUX_BIN=$PWD/$BUILD/bin \
        ctest --test-dir "$BUILD-windows" --output-on-failure -j"$(nproc)"
}

run_tests() {
    local dir=$1
    QT_QPA_PLATFORM=offscreen ctest --test-dir "$dir" --output-on-failure -j"$(nproc)"
}

cmd=${1:-help}
[ $# -gt 0 ] && shift
case "$cmd" in
    deps) install_missing "${PACKAGES[@]}" "${PACKAGING[@]}" ;;
    package)
        BUILD=build-package BUILD_TYPE=Release build
        (cd build-package && cpack -G DEB >/dev/null)
        ls build-package/velmarcom_*.deb
        ;;
    build) build ;;
    test)
        check_format
        build
        check_tidy
        run_tests "$BUILD"
        # The whole suite once more, built with AddressSanitizer and UndefinedBehaviorSanitizer.
        echo "building the sanitizer build in $BUILD-sanitize/ ..."
        configure "$BUILD-sanitize" -DVELMAR_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
        cmake --build "$BUILD-sanitize" -- -j"$(nproc)" >"$BUILD-sanitize/build.log" 2>&1 ||
            { cat "$BUILD-sanitize/build.log" >&2; exit 1; }
        ASAN_OPTIONS=detect_stack_use_after_return=0 UBSAN_OPTIONS=print_stacktrace=1 run_tests "$BUILD-sanitize"
        # The whole suite once more, built for Windows and run under Wine, where a Qt for Windows is at hand.
        windows_tests
        ;;
    windows)
        install_missing "${PACKAGES[@]}" "${WINDOWS[@]}"
        qt=$(windows_qt build)
        build_windows "$qt"
        (cd "$BUILD-windows" && cpack >cpack.log 2>&1) || { cat "$BUILD-windows/cpack.log" >&2; exit 1; }
        ls "$BUILD-windows"/VelmarCom-*-win64.zip "$BUILD-windows"/VelmarCom-*-setup.exe
        ;;
    quicktest)
        build
        run_tests "$BUILD"
        ;;
    fuzz)
        seconds=${1:-60}
        install_missing "${PACKAGES[@]}" clang libclang-rt-14-dev
        CXX=clang++ configure "$BUILD-fuzz" -DVELMAR_FUZZ=ON -DVELMAR_SANITIZE=ON
        cmake --build "$BUILD-fuzz" --target fuzz_decoder fuzz_board fuzz_settings -- -j"$(nproc)"
        pids=()
        for target in decoder board settings; do
            mkdir -p "fuzz-out/$target"
            # What the fuzzer finds lands among the findings that every test run replays.
            "$BUILD-fuzz/bin/fuzz_$target" "fuzz-out/$target" "tests/fuzz/corpus/$target" \
                -max_total_time="$seconds" -detect_leaks=0 -print_final_stats=1 \
                -artifact_prefix="tests/fuzz/findings/$target/" >"fuzz-out/$target.log" 2>&1 &
            pids+=($!)
        done
        failed=0
        for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
        for target in decoder board settings; do
            echo "== $target: $(grep -E 'stat::number_of_executed_units' "fuzz-out/$target.log" | tail -1)"
        done
        ls tests/fuzz/findings/*/ | grep -v '^\.keep' || true
        exit $failed
        ;;
    run)
        build velmarcom velmar-board
        if [ ! -x "$BUILD/bin/velmarcom" ]; then
            echo "velmarcom is not built yet" >&2
            exit 1
        fi
        board_pid=""
        if [ -x "$BUILD/bin/velmar-board" ]; then
            "$BUILD/bin/velmar-board" --address 127.0.0.2 --state "$BUILD/demo-board.json" --quiet &
            board_pid=$!
            trap '[ -n "$board_pid" ] && kill "$board_pid" 2>/dev/null; wait 2>/dev/null || true' EXIT
            echo "A stand-in board answers on 127.0.0.2: type 127.000.000.002 as the board's address."
        fi
        "$BUILD/bin/velmarcom"
        ;;
    board)
        build_quietly velmar-board
        if [ "${1:-}" != --background ]; then
            exec "$BUILD/bin/velmar-board" "$@"
        fi
        # Returns once the boards listen, printing their process's PID alone on standard output (so that
        # a script ends exactly the boards it started: boards=$(./do board --background ...); kill $boards);
        # what they log goes to a file, not into the terminal.
        shift
        log=$(mktemp "${TMPDIR:-/tmp}/velmar-board.XXXXXX")
        "$BUILD/bin/velmar-board" "$@" >/dev/null 2>"$log" &
        pid=$!
        until grep -qs ' listening; ' "$log"; do
            if ! kill -0 "$pid" 2>/dev/null; then
                cat "$log" >&2
                exit 2
            fi
            sleep 0.05
        done
        echo "$(grep ' listening; ' "$log" | head -1) (pid $pid, log $log; stop with: kill $pid)" >&2
        echo "$pid"
        ;;
    ctl)
        build_quietly velmarctl
        exec "$BUILD/bin/velmarctl" "$@"
        ;;
    bench)
        # A folder of its own: the tests' build keeps its build type and stays built.
        BUILD=build-bench BUILD_TYPE=Release build
        mkdir -p docs
        build-bench/bin/velmar-bench --out docs/PERFORMANCE.md
        cat docs/PERFORMANCE.md
        # Discovery and the two-boards check, on a segment of network namespaces.
        bench/network_bench.sh build-bench docs/PERFORMANCE-NETWORK.md 24
        ;;
    screenshot)
        # Into build/screenshots/, or the folder named (./do screenshot docs renews the README's pictures).
        folder=${1:-$BUILD/screenshots}
        install_missing xvfb xauth
        build velmar-screenshot
        mkdir -p "$folder"
        QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" "$BUILD/bin/velmar-screenshot" "$folder"
        echo "saved $folder/window.png and $folder/window-read.png"
        ;;
    help | -h | --help) usage ;;
    *)
        usage >&2
        exit 2
        ;;
esac
