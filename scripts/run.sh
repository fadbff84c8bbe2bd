#!/usr/bin/env bash
# Sets up the machine, builds the application alone in the optimised `release` preset, lays out the
# demonstration Mac (once; QUORVANE_FRESH_DEMO=1 lays it out anew) and starts the application on it. The real
# home folder is never used: the application's process gets the demonstration Mac's HOME, QUORVANE_ROOT and
# TMPDIR (scripts/launch.sh), while the display keeps this machine's.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset release
cmake --build --preset release
demo="${QUORVANE_DEMO_DIR:-$PWD/build/demo-mac}"
if [ ! -f "$demo/.quorvane-demo-mac" ] || [ "${QUORVANE_FRESH_DEMO:-}" = "1" ]; then
    bash scripts/make-demo-mac.sh "$demo"
fi
exec bash scripts/launch.sh "$demo" "build/release/Quorvane Pro.app/Contents/MacOS/Quorvane Pro" "$@"
