#!/usr/bin/env bash
# Sets up the machine, builds the application, lays out the demonstration Mac and starts the application
# on it. The real home folder is never used: HOME, QUORVANE_ROOT and TMPDIR all point into the demo Mac.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset dev
cmake --build --preset dev
demo="${QUORVANE_DEMO_DIR:-$PWD/build/demo-mac}"
bash scripts/make-demo-mac.sh "$demo"
export QUORVANE_ROOT="$demo"
export HOME="$demo/Users/demo"
export TMPDIR="$demo/private/var/folders/qp/T"
exec "build/dev/Quorvane Pro.app/Contents/MacOS/Quorvane Pro" "$@"
