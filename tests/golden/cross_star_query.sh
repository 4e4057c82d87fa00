#!/usr/bin/env bash
# The PowerPC star_query over the host's built catalog must print exactly the recorded texts.
set -euo pipefail
exe=$1 host_game=$2 source=$3
passed=0 failed=0
compare() {
    local name=$1 expected=$2
    shift 2
    if qemu-ppc-static "$exe" --catalog "$host_game/stars.catalog" "$@" | diff -u "$expected" -; then
        passed=$((passed + 1))
    else
        echo "$name: the PowerPC star_query differs"
        failed=$((failed + 1))
    fi
}
compare neighbourhood "$source/tests/golden/star_query_neighbourhood.txt"
compare Sun "$source/tests/golden/star_query_sun.txt" --system 0 --radius 0.5
echo "$passed passed, $failed failed: PowerPC star_query against the recorded texts"
[[ $failed -eq 0 ]]
