#!/usr/bin/env bash
# The README's example blocks, pasted as written, against this build: the many boards block and the
# commissioning block each end without an error, and the site ends done.
# Usage: readme_test.sh BUILD_DIR
set -euo pipefail
build=$1
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
# Each example runs in a process group of its own: whatever it started and left running (a block that
# failed halfway leaves its boards) is ended with the group, and nothing else.
group=""
trap '[ -n "$group" ] && kill -- "-$group" 2>/dev/null; rm -rf "$work"' EXIT
# ./do works in its own folder: a copy of it in a scratch folder keeps the examples' files out of the tree.
cp "$here/do" "$work/do"
cd "$work"
export BUILD=$build

# The first ```sh block after the line that starts with $1.
block() {
    awk -v start="$1" 'index($0, start) == 1 {on = 1} on && /^```sh$/ {grab = 1; next}
                       grab && /^```$/ {exit} grab {print}' "$here/README.md"
}
for start in "## Many boards from the command line" "Against stand-in boards"; do
    block "$start" >example.sh
    [ -s example.sh ] || { echo "no example block after \"$start\""; exit 1; }
    setsid bash -e example.sh >example.out 2>&1 &
    group=$!
    if ! wait "$group"; then
        cat example.out
        echo "FAIL: the example after \"$start\" did not work as pasted"
        exit 1
    fi
    kill -- "-$group" 2>/dev/null || true
    group=""
done
grep -q 'every row of site.csv is done' site.out || { cat site.out; echo "FAIL: the site is not done"; exit 1; }
# A folder per run: the backup's twenty files, then ten before each write to ten boards.
[ -d backups ] && [ "$(ls backups | wc -l)" -eq 3 ] && [ "$(ls backups/* | grep -c json)" -eq 40 ] ||
    { ls -R backups; echo "FAIL: not one folder of backups per run"; exit 1; }
echo "the README's examples work as pasted"
