#!/usr/bin/env bash
# Sets up the machine, builds with a preset (default: dev) and runs every test.
set -euo pipefail
preset="${1:-dev}"
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset "$preset"
cmake --build --preset "$preset"
ctest --preset "$preset"
