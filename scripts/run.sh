#!/usr/bin/env bash
# Sets up the machine, builds the application alone in the optimised `release` preset, lays out the
# demonstration Mac (once; QUORVANE_FRESH_DEMO=1 lays it out anew) and starts the application on it, beside
# that Mac's applications (scripts/start-demo-apps.sh). The real home folder is never used: the application's
# process gets the demonstration Mac's HOME, QUORVANE_ROOT and TMPDIR (scripts/launch.sh), while the display
# keeps this machine's.
set -euo pipefail
cd "$(dirname "$0")/.."
program="build/release/Quorvane Pro.app/Contents/MacOS/Quorvane Pro"
# The set-up, the configure step and the build run again only when something they read changed since the last
# build that went through (a removed file changes its folder); otherwise the program built then is current.
built="build/release/.quorvane-built"
if [ ! -x "$program" ] || [ ! -f "$built" ] ||
    [ -n "$(find CMakeLists.txt CMakePresets.json cmake src tools fuzz scripts/setup.sh -newer "$built" -print -quit)" ]; then
    mkdir -p build/release
    # Marked before the build, so that a change made while it runs is built next time.
    touch "$built.new"
    bash scripts/setup.sh
    cmake --preset release
    cmake --build --preset release
    mv -f "$built.new" "$built"
fi
demo="${QUORVANE_DEMO_DIR:-$PWD/build/demo-mac}"
if [ ! -f "$demo/.quorvane-demo-mac" ] || [ "${QUORVANE_FRESH_DEMO:-}" = "1" ]; then
    bash scripts/make-demo-mac.sh "$demo"
fi
# The demonstration Mac's applications run beside the program, as real processes for its screens to show (and
# for the diagnosis, the one action that reads processes); they end, by their own ids, when it does. An action
# that only answers, or an "open" that a copy already shown answers, goes without them.
action=""
previous=""
for argument in "$@"; do
    [ "$previous" != "--action" ] || action="$argument"
    previous="$argument"
done
started=()
if [ -z "$action" ] || [ "$action" = "diagnose" ] ||
    { [ "$action" = "open" ] && ! bash scripts/launch.sh --copy-shown "$demo"; }; then
    mapfile -t started < <(bash scripts/start-demo-apps.sh "$demo")
fi
stop_started() { [ "${#started[@]}" -eq 0 ] || kill "${started[@]}" 2> /dev/null || true; }
trap stop_started EXIT
status=0
bash scripts/launch.sh "$demo" "$program" "$@" || status=$?
exit "$status"
