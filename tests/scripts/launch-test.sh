#!/usr/bin/env bash
# launch-test.sh PROGRAM: the launch script on a machine without a display. "--action open" starts the program
# under a virtual display when no copy runs on that Mac, and hands the module to the copy that runs (whose socket
# lies in the Mac's own runtime folder); an action that needs no window answers without one.
set -euo pipefail
launch="$(cd "$(dirname "$0")/../.." && pwd)/scripts/launch.sh"
program="$1"
scratch=$(mktemp -d "${TMPDIR:-/tmp}/launch-test.XXXXXX")
group=""
finish() {
    if [ -n "$group" ]; then
        kill -- "-$group" 2> /dev/null || true
        wait "$group" 2> /dev/null || true
    fi
    rm -rf "$scratch"
}
trap finish EXIT
fail() {
    echo "FAIL: $1" >&2
    cat "$scratch"/*.err >&2 2> /dev/null || true
    exit 1
}
mac="$scratch/mac"
mkdir -p "$mac/Users/demo" "$mac/private/var/folders/qp/T"
unset DISPLAY WAYLAND_DISPLAY XAUTHORITY
# xvfb-run keeps its authority file in the temporary folder.
export TMPDIR="$scratch/tmp"
mkdir -p "$TMPDIR"
runtime="$mac/private/var/run/quorvane-$(id -u)"

# No copy runs: "open" starts one on a virtual display, which stays up.
setsid bash "$launch" "$mac" "$program" --action open --category leftovers > /dev/null 2> "$scratch/first.err" &
group=$!
for _ in $(seq 100); do
    [ -n "$(find "$runtime" -type s 2> /dev/null)" ] && break
    kill -0 "$group" 2> /dev/null || fail "the first copy ended"
    sleep 0.1
done
[ -n "$(find "$runtime" -type s 2> /dev/null)" ] || fail "no socket in the Mac's runtime folder"
[ "$(stat -c %a "$runtime")" = 700 ] || fail "the runtime folder is open to others"
grep -q "écran virtuel" "$scratch/first.err" || fail "no word of the virtual display"

# A copy runs: "open" hands it the module and ends at once.
status=0
bash "$launch" "$mac" "$program" --action open --category leftovers > /dev/null 2> "$scratch/second.err" || status=$?
[ "$status" = 0 ] || fail "the second copy ended with status $status"
grep -q "premier plan" "$scratch/second.err" || fail "the second copy did not reach the first one"
kill -0 "$group" 2> /dev/null || fail "the first copy ended"

# Actions without a window answer without a display.
status=0
bash "$launch" "$mac" "$program" --action free-space > "$scratch/answer.out" 2> "$scratch/answer.err" || status=$?
[ "$status" = 0 ] || fail "free-space ended with status $status"
[ -s "$scratch/answer.out" ] || fail "free-space answered nothing"
