#!/usr/bin/env bash
# Runs each test executable of a preset's build once whole, every case in one process, in the environment
# ctest gives them (ctest starts one process per case, which hides a case that leans on what an earlier one
# left in the process). Builds nothing: build the preset first (default: dev).
set -euo pipefail
preset="${1:-dev}"
cd "$(dirname "$0")/.."
list="build/$preset/test-executables.txt"
if [ ! -f "$list" ]; then
    echo "no list of test executables in build/$preset: configure and build that preset first" >&2
    exit 1
fi
failed=()
while IFS= read -r program; do
    [ -n "$program" ] || continue
    echo "== $(basename "$program"), whole"
    # In its own build folder, as ctest runs it.
    if ! (cd "$(dirname "$program")" &&
        LANG=C.UTF-8 LC_ALL=C.UTF-8 QT_QPA_PLATFORM=offscreen "$program" --gtest_brief=1); then
        failed+=("$(basename "$program")")
    fi
done <"$list"
if [ "${#failed[@]}" -gt 0 ]; then
    echo "failed when run whole: ${failed[*]}" >&2
    exit 1
fi
echo "every test executable passed, run whole"
