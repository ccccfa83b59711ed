#!/usr/bin/env bash
# Fails when the folders below SRC include one another in a cycle, counting
# every '#include "folder/file"' of a source or header in another folder.
#   check-include-cycles.sh SRC
# Prints the folder graph; a cycle is reported as "FAIL: include cycle".
set -euo pipefail
src=$1
edges=$(cd "$src" && grep -rHoE '^#include "[A-Za-z0-9_]+/' --include='*.h' --include='*.cpp' . |
    sed -E 's#^\./([^/]+)/[^:]*:\#include "([^/]+)/#\1 \2#' | grep -v '^\./' |
    awk '$1 != $2' | sort -u)
if [[ -z $edges ]]; then
    echo "FAIL: no includes between folders found below $src"
    exit 1
fi
printf '%s\n' "$edges" | sed 's/ / -> /'
# tsort orders the graph and names the folders of any loop it finds.
complaints=$(mktemp)
trap 'rm -f "$complaints"' EXIT
if ! order=$(printf '%s\n' "$edges" | tsort 2>"$complaints"); then
    echo "FAIL: include cycle among: $(grep -v 'input contains a loop' "$complaints" |
        sed 's/^tsort: //' | tr '\n' ' ')"
    exit 1
fi
echo "no include cycle: $(printf '%s\n' "$order" | tr '\n' ' ')"
