#!/usr/bin/env bash
# coverage.sh BUILD_DIR CORPUS_ROOT: replays each fuzz target's corpus
# (CORPUS_ROOT/<target>) with a build configured with -DQVR_COVERAGE=ON and
# prints the line and branch coverage of the library sources they reach.
set -euo pipefail
build=$1 corpora=$2
src=$(cd "$(dirname "$0")/../.." && pwd)/src
profiles=$(mktemp -d)
objects=()
for target in "$build"/native/fuzz/fuzz_*; do
    [[ -x $target && -f $target ]] || continue
    name=$(basename "$target")
    [[ -d $corpora/$name ]] || continue
    LLVM_PROFILE_FILE="$profiles/$name.profraw" "$target" -runs=0 "$corpora/$name" >/dev/null 2>&1
    objects+=(-object "$target")
done
llvm-profdata merge -sparse "$profiles"/*.profraw -o "$profiles/all.profdata"
llvm-cov report "${objects[@]:1}" -instr-profile="$profiles/all.profdata" \
    "$src/script" "$src/textfile" "$src/fileops/path_helpers.cpp" "$src/util"
rm -rf "$profiles"
