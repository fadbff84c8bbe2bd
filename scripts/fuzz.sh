#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) and runs each for
# SECONDS (60 by default): the property-list reader, the settings store, the journal reader, the /proc
# readers, the browser's Preferences and manifest readers, and the readers of the system tools' output. An input that makes a target fail is copied to tests/fixtures/fuzz/<target>/, where the normal
# test qp_fuzz_replay_tests replays it from then on, and the script fails.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
targets=(property_list user_defaults journal proc_text browser_files tool_output)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "${targets[@]/#/qp_fuzz_}"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
status=0
for target in "${targets[@]}"; do
    kept="tests/fixtures/fuzz/$target"
    corpus="$work/corpus-$target"
    artifacts="$work/artifacts-$target"
    mkdir -p "$kept" "$corpus" "$artifacts"
    echo "== fuzz $target for ${seconds}s"
    # New inputs go to the scratch corpus (the first folder); the kept inputs are read as seeds.
    if ! TMPDIR="$work" "build/fuzz/fuzz/qp_fuzz_$target" -max_total_time="$seconds" -timeout=25 \
        -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 -artifact_prefix="$artifacts/" \
        "$corpus" "$kept" 2>"$work/log-$target"; then
        tail -n 40 "$work/log-$target" >&2
        for input in "$artifacts"/*; do
            [ -f "$input" ] || continue
            cp "$input" "$kept/"
            echo "kept $kept/$(basename "$input") as a regression case" >&2
        done
        status=1
    else
        grep -E '^(stat::number_of_executed_units|#[0-9]+ +DONE)' "$work/log-$target" || true
    fi
done
exit "$status"
