#!/usr/bin/env bash
# The layer check on a copy of the real tree: the tree passes as it stands, and a scanner that reaches the
# process's exclusions itself, rather than through the list it is handed, is refused with its file and line;
# so is the platform layer's private walk pool reached from another folder.
set -euo pipefail
repository="$(cd "$(dirname "$0")/../.." && pwd)"
check="$repository/scripts/check-layers.sh"
scratch=$(mktemp -d "${TMPDIR:-/tmp}/check-services.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
cp -R "$repository/src" "$scratch/src"

if ! bash "$check" "$scratch" > "$scratch/out" 2>&1; then
    echo "FAIL: the tree as it stands was refused" >&2
    cat "$scratch/out" >&2
    exit 1
fi

scanner="$scratch/src/Scanners/TrashScanner.cpp"
lines=$(wc -l < "$scanner")
printf '%s\n' 'static const bool planted = Exclusions::shared().isExcluded(QString());' >> "$scanner"
printf '%s\n' '#include "Platform/WalkPool.h"' 'static const auto pool = Platform::WalkPool::shared().size();' \
    > "$scratch/src/Scanners/Pool.cpp"
if bash "$check" "$scratch" > "$scratch/out" 2>&1; then
    echo "FAIL: the check passed a scanner that reaches Exclusions::shared()" >&2
    cat "$scratch/out" >&2
    exit 1
fi
expected="src/Scanners/TrashScanner.cpp:$((lines + 1)): reaches Exclusions::shared()"
if ! grep -qF -- "$expected" "$scratch/out"; then
    echo "FAIL: expected a line with: $expected" >&2
    cat "$scratch/out" >&2
    exit 1
fi
if ! grep -qF -- "src/Scanners/Pool.cpp:2: reaches WalkPool::shared()" "$scratch/out"; then
    echo "FAIL: the walk pool was reached from outside its folder unrefused" >&2
    cat "$scratch/out" >&2
    exit 1
fi
[[ $(grep -c '^src/' "$scratch/out") -eq 2 ]] || { echo "FAIL: unexpected lines" >&2; cat "$scratch/out" >&2; exit 1; }
echo "PASS"
