#!/usr/bin/env bash
# Fails, naming each file, when a C++ file of the tree drifts from .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."
fmt=$(command -v clang-format-14 || command -v clang-format)
mapfile -t files < <(git ls-files '*.cpp' '*.h')
bad=0
for f in "${files[@]}"; do
    if ! "$fmt" --dry-run --Werror "$f" >/dev/null 2>&1; then
        echo "not formatted: $f (run: $fmt -i $f)" >&2
        bad=1
    fi
done
exit $bad
