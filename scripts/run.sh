#!/usr/bin/env bash
# Sets up the machine, builds the application alone in the optimised `release` preset, lays out the
# demonstration Mac (once; QUORVANE_FRESH_DEMO=1 lays it out anew) and starts the application on it, beside
# that Mac's applications (scripts/start-demo-apps.sh). The real home folder is never used: the application's
# process gets the demonstration Mac's HOME, QUORVANE_ROOT and TMPDIR (scripts/launch.sh), while the display
# keeps this machine's.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset release
cmake --build --preset release
demo="${QUORVANE_DEMO_DIR:-$PWD/build/demo-mac}"
if [ ! -f "$demo/.quorvane-demo-mac" ] || [ "${QUORVANE_FRESH_DEMO:-}" = "1" ]; then
    bash scripts/make-demo-mac.sh "$demo"
fi
# The demonstration Mac's applications run beside the program, as real processes for its screens to show; they
# end, by their own ids, when it does.
mapfile -t started < <(bash scripts/start-demo-apps.sh "$demo")
stop_started() { kill "${started[@]}" 2> /dev/null || true; }
trap stop_started EXIT
status=0
bash scripts/launch.sh "$demo" "build/release/Quorvane Pro.app/Contents/MacOS/Quorvane Pro" "$@" || status=$?
exit "$status"
