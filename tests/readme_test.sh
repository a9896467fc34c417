#!/usr/bin/env bash
# The README's example blocks, pasted as written, against this build: the many boards block and the
# commissioning block each end without an error, and the site ends done.
# Usage: readme_test.sh BUILD_DIR
set -euo pipefail
build=$1
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'pkill -f "velmar-board --count 20 --address 127.0.0.2" || true; pkill -f "velmar-board --address 127.0.60.2" || true; rm -rf "$work"' EXIT
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
    if ! bash -e example.sh >example.out 2>&1; then
        cat example.out
        echo "FAIL: the example after \"$start\" did not work as pasted"
        exit 1
    fi
done
grep -q 'every row of site.csv is done' site.out || { cat site.out; echo "FAIL: the site is not done"; exit 1; }
[ -d backups ] && [ "$(ls backups | wc -l)" -eq 20 ] || { echo "FAIL: not twenty backups"; exit 1; }
echo "the README's examples work as pasted"
