#!/usr/bin/env bash
# Set-up, build, run, test and benchmark the configurator on Debian. Installs what is missing.
set -euo pipefail
cd "$(dirname "$0")"

BUILD=${BUILD:-build}
PACKAGES=(cmake ninja-build g++ qt6-base-dev libgl-dev fonts-liberation2 fonts-dejavu-core
          clang-format)
# Building and checking the Debian package: manual pages, dependencies, desktop entry and metadata.
PACKAGING=(help2man dpkg-dev file desktop-file-utils appstream)


usage() {
    cat <<'USAGE'
usage: ./do COMMAND [ARGS]
  run              build, start a stand-in board on 127.0.0.2 and the configurator
  test             build and run every test (headless), then again built with ASan and UBSan
  quicktest        the tests once, without the sanitizer build
  build            build only; binaries land in build/bin/
  board ARGS       run stand-in boards alone (./do board --help); --background first: return once
                   they listen, their log in a file
  ctl ARGS         the command-line tool (./do ctl --help)
  bench            build and run the benchmarks, write docs/PERFORMANCE.md
  fuzz SECONDS     run the libFuzzer targets (decoder, board side, settings file) side by side
  package          build the Debian package velmarcom_<version>_<arch>.deb in build-package/
  screenshot       pictures of the real window under Xvfb, in docs/
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
        -DVELMAR_WERROR=$werror "$@" >/dev/null
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
        run_tests "$BUILD"
        # The whole suite once more, built with AddressSanitizer and UndefinedBehaviorSanitizer.
        echo "building the sanitizer build in $BUILD-sanitize/ ..."
        configure "$BUILD-sanitize" -DVELMAR_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
        cmake --build "$BUILD-sanitize" -- -j"$(nproc)" >"$BUILD-sanitize/build.log" 2>&1 ||
            { cat "$BUILD-sanitize/build.log" >&2; exit 1; }
        ASAN_OPTIONS=detect_stack_use_after_return=0 UBSAN_OPTIONS=print_stacktrace=1 run_tests "$BUILD-sanitize"
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
        # Returns once the boards listen; what they log goes to a file, not into the terminal.
        shift
        log=$(mktemp "${TMPDIR:-/tmp}/velmar-board.XXXXXX")
        "$BUILD/bin/velmar-board" "$@" 2>"$log" &
        pid=$!
        until grep -q ' listening; ' "$log"; do
            if ! kill -0 "$pid" 2>/dev/null; then
                cat "$log" >&2
                exit 2
            fi
            sleep 0.05
        done
        echo "$(grep ' listening; ' "$log" | head -1) (pid $pid, log $log; stop with: kill $pid)"
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
        ;;
    screenshot)
        install_missing xvfb xauth
        build
        mkdir -p docs
        QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" "$BUILD/bin/velmar-screenshot" docs
        echo "saved docs/window.png and docs/window-read.png"
        ;;
    help | -h | --help) usage ;;
    *)
        usage >&2
        exit 2
        ;;
esac
