#!/usr/bin/env bash
# Set-up, build, run, test and benchmark the configurator on Debian. Installs what is missing.
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake ninja-build g++ qt6-base-dev libgl-dev fonts-liberation2 fonts-dejavu-core
          clang-format clang-tidy iproute2 qt6-tools-dev qt6-l10n-tools qt6-tools-dev-tools)
# Building and checking the Debian package: manual pages, dependencies, desktop entry and metadata.
PACKAGING=(help2man dpkg-dev file desktop-file-utils appstream lintian)
# Keys under a flood on an X display (./do bench): a display of its own, real input, repaints seen.
BENCH=(xvfb libx11-dev libxtst-dev libxdamage-dev)
# Building for Windows with MinGW-w64 and a Qt built for it, the installer, and running it all under Wine.
WINDOWS=(g++-mingw-w64-x86-64-posix qt6-base-dev-tools nsis wine wine64 libwine-dev dpkg-dev fonts-wine)
CACHE=${XDG_CACHE_HOME:-$HOME/.cache}/velmarcom
# Every build is a preset of CMakePresets.json (cmake --list-presets): ./do only installs what a command
# needs and runs them. build/ is the tests' tree: the preset "ci" in CI (warnings as errors), else
# "default"; the others build in build-<preset>/.
MAIN=$([ "${CI:-}" = true ] && echo ci || echo default)
TREE=${BUILD:-build}  # BUILD moves it (the README's examples run against the tests' own build)


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
  package          build the Debian package velmarcom_<version>_<arch>.deb in build-release/
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

# apt's own output goes to a log, shown whole only when it fails. Another program installing packages
# (a fresh desktop runs its own updates at first boot) holds apt's lock: ./do waits for it, saying so,
# for at most LOCK_WAIT seconds, and then fails naming the lock.
LOCK_WAIT=900
install_missing() {
    local need
    need=$(missing "$@")
    [ -z "$need" ] && return 0
    local count
    count=$(wc -w <<<"$need")
    echo "installing $count Debian package(s), this takes a minute or two: $(tr '\n' ' ' <<<"$need")"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    local log waited=0 said=""
    log=$(mktemp)
    # apt waits for the dpkg lock itself (DPkg::Lock::Timeout); the lists' lock of an update it does not.
    local apt=(apt-get -o DPkg::Lock::Timeout=60)
    # shellcheck disable=SC2086
    until { $sudo "${apt[@]}" update -qq && DEBIAN_FRONTEND=noninteractive \
            $sudo "${apt[@]}" install -y -qq --no-install-recommends $need; } >"$log" 2>&1; do
        if ! grep -Eqi 'could not get lock|unable to acquire the dpkg frontend lock|is held by process' "$log" ||
            [ "$waited" -ge "$LOCK_WAIT" ]; then
            cat "$log" >&2
            rm -f "$log"
            [ -n "$said" ] && echo "./do: apt's lock was still held after $waited s" >&2
            echo "./do: installing the packages failed (above)" >&2
            exit 1
        fi
        [ -z "$said" ] && echo "another program is installing packages (apt's lock is held); waiting for it, at most $((LOCK_WAIT / 60)) minutes ..."
        said=yes
        sleep 5
        waited=$((waited + 5))
    done
    rm -f "$log"
}

# The build tree of a preset.
tree_of() {
    case $1 in default | ci) echo "$TREE" ;; *) echo "build-$1" ;; esac
}

# One build of a tree at a time: a board started in the background and a command started right after it
# would otherwise configure and build the same tree at once. A tree already configured is only brought
# up to date (ninja configures again by itself when a CMakeLists.txt changed).
# Usage: build_targets PRESET always|once [TARGET...]: configure always, or only a tree not configured
# yet; no target builds everything.
build_targets() {
    local preset=$1 when=$2; shift 2
    local dir
    dir=$(tree_of "$preset")
    mkdir -p "$dir"
    exec 9>"$dir/.build-lock"
    flock 9
    if [ "$when" = always ] || [ ! -f "$dir/build.ninja" ]; then
        echo "configuring $dir/ (preset $preset) ..."
        cmake --preset "$preset" -B "$dir" >/dev/null
    fi
    local targets=()
    [ $# -gt 0 ] && targets=(--target "$@")
    echo "building ${*:-everything} in $dir/ ..."
    cmake --build "$dir" "${targets[@]}" -- -j"$(nproc)" >"$dir/build.log" 2>&1 ||
        { cat "$dir/build.log" >&2; echo "./do: the build failed (above)" >&2; exit 1; }
    flock -u 9
}

build() {
    install_missing "${PACKAGES[@]}"
    build_targets "$MAIN" always "$@"
}

# The same, quietly, for commands whose own output is what the user reads.
build_quietly() {
    install_missing "${PACKAGES[@]}" >&2
    build_targets "$MAIN" once "$@" >/dev/null
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
    find protocol support exchange window settings maintenance board site cli sitewindow -name '*.cpp' ! -name '*_windows.cpp' \
        -print0 | xargs -0 -P"$(nproc)" -n4 clang-tidy -p "$(tree_of "$MAIN")" --quiet 2>/dev/null
}

# Every test executable of the Windows build, under Wine.
windows_tests() {
    local qt why
    source packaging/windows/qt.sh
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
    VELMAR_WINDOWS_QT_DIR=$qt ctest --preset windows -j"$(nproc)"
}

run_tests() {
    ctest --preset "$1" --test-dir "$(tree_of "$1")" -j"$(nproc)"
}

cmd=${1:-help}
[ $# -gt 0 ] && shift
case "$cmd" in
    deps) install_missing "${PACKAGES[@]}" "${PACKAGING[@]}" ;;
    package)
        install_missing "${PACKAGES[@]}" "${PACKAGING[@]}"
        build_targets release always
        (cd build-release && cpack -G DEB >/dev/null)
        ls build-release/velmarcom_*.deb
        ;;
    build) build ;;
    test)
        # The package's test needs the packaging tools, the test network iproute2 (in PACKAGES).
        install_missing "${PACKAGES[@]}" "${PACKAGING[@]}"
        check_format
        build
        check_tidy
        run_tests "$MAIN"
        # The whole suite once more, built with AddressSanitizer and UndefinedBehaviorSanitizer.
        build_targets sanitize always
        run_tests sanitize
        # The whole suite once more, built for Windows and run under Wine, where a Qt for Windows is at hand.
        windows_tests
        ;;
    windows)
        install_missing "${PACKAGES[@]}" "${WINDOWS[@]}"
        source packaging/windows/qt.sh
        qt=$(windows_qt build)
        build_windows "$qt"
        (cd build-windows && cpack >cpack.log 2>&1) || { cat build-windows/cpack.log >&2; exit 1; }
        ls build-windows/VelmarCom-*-win64.zip build-windows/VelmarCom-*-setup.exe
        ;;
    quicktest)
        build
        run_tests "$MAIN"
        ;;
    fuzz)
        seconds=${1:-60}
        install_missing "${PACKAGES[@]}" clang libclang-rt-14-dev
        build_targets fuzz always fuzz_decoder fuzz_board fuzz_settings
        pids=()
        for target in decoder board settings; do
            mkdir -p "fuzz-out/$target"
            # What the fuzzer finds lands among the findings that every test run replays.
            "build-fuzz/bin/fuzz_$target" "fuzz-out/$target" "tests/fuzz/corpus/$target" \
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
        if [ ! -x "$TREE/bin/velmarcom" ]; then
            echo "velmarcom is not built yet" >&2
            exit 1
        fi
        board_pid=""
        if [ -x "$TREE/bin/velmar-board" ]; then
            "$TREE/bin/velmar-board" --address 127.0.0.2 --state "$TREE/demo-board.json" --quiet &
            board_pid=$!
            trap '[ -n "$board_pid" ] && kill "$board_pid" 2>/dev/null; wait 2>/dev/null || true' EXIT
            echo "A stand-in board answers on 127.0.0.2: type 127.000.000.002 as the board's address."
        fi
        "$TREE/bin/velmarcom"
        ;;
    board)
        build_quietly velmar-board
        if [ "${1:-}" != --background ]; then
            exec "$TREE/bin/velmar-board" "$@"
        fi
        # Returns once the boards listen, printing their process's PID alone on standard output (so that
        # a script ends exactly the boards it started: boards=$(./do board --background ...); kill $boards);
        # what they log goes to a file, not into the terminal.
        shift
        log=$(mktemp "${TMPDIR:-/tmp}/velmar-board.XXXXXX")
        "$TREE/bin/velmar-board" "$@" >/dev/null 2>"$log" &
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
        exec "$TREE/bin/velmarctl" "$@"
        ;;
    bench)
        # A folder of its own: the tests' build keeps its build type and stays built.
        install_missing "${PACKAGES[@]}" "${BENCH[@]}"
        build_targets bench always
        mkdir -p docs
        build-bench/bin/velmar-bench --out docs/PERFORMANCE.md
        # Keys under a flood, on an X display of its own: a section added to the same page. This and the
        # next run in network namespaces of their own (root, or user namespaces); where the kernel refuses
        # them they say so and are skipped (77).
        bench/x_bench.sh build-bench docs/PERFORMANCE.md 400 || [ $? = 77 ]
        cat docs/PERFORMANCE.md
        # Discovery and the two-boards check, on a segment of network namespaces.
        bench/network_bench.sh build-bench docs/PERFORMANCE-NETWORK.md 24 || [ $? = 77 ]
        # The site window on such a segment, on an X display of its own.
        bench/site_bench.sh build-bench docs/PERFORMANCE-SITE.md 24 || [ $? = 77 ]
        ;;
    screenshot)
        # Into build/screenshots/, or the folder named (./do screenshot docs renews the README's pictures).
        folder=${1:-$TREE/screenshots}
        install_missing xvfb xauth
        build velmar-screenshot
        mkdir -p "$folder"
        QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" "$TREE/bin/velmar-screenshot" "$folder"
        echo "saved $folder/window.png, $folder/window-read.png and $folder/site-window.png"
        ;;
    help | -h | --help) usage ;;
    *)
        usage >&2
        exit 2
        ;;
esac
