#!/usr/bin/env bash
# Sets up the machine, builds the application, lays out the demonstration Mac (once; QUORVANE_FRESH_DEMO=1
# lays it out anew) and starts the application on it. The real home folder is never used: HOME,
# QUORVANE_ROOT and TMPDIR all point into the demonstration Mac.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset dev
cmake --build --preset dev
demo="${QUORVANE_DEMO_DIR:-$PWD/build/demo-mac}"
if [ ! -f "$demo/.quorvane-demo-mac" ] || [ "${QUORVANE_FRESH_DEMO:-}" = "1" ]; then
    bash scripts/make-demo-mac.sh "$demo"
fi
demo="$(cd "$demo" && pwd)"
# The X server's cookie is found through HOME, which is about to change.
export XAUTHORITY="${XAUTHORITY:-$HOME/.Xauthority}"
export QUORVANE_ROOT="$demo"
export HOME="$demo/Users/demo"
export TMPDIR="$demo/private/var/folders/qp/T"
app="build/dev/Quorvane Pro.app/Contents/MacOS/Quorvane Pro"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1400x900x24" "$app" "$@"
fi
exec "$app" "$@"
