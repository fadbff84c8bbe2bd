# shellcheck shell=bash disable=SC2154  # $root, $home and the shared folders and helpers: the driver and common.sh
# ---- Time Machine: a backup destination and local snapshots taken through the tmutil stand-in, one of them
# under a stamp that names no real moment (month 13); nothing is put back from them, so their copies only take
# their room ---------------------------------------------------------------------------------------------------
place time-machine/tmutil-destination "$root/private/var/db/tmutil-destination"
for stamp in 2025-03-14-091500 2025-06-30-184502 2024-13-01-101500; do
    QUORVANE_TMUTIL_STAMP=$stamp QUORVANE_TMUTIL_ROOM_ONLY=1 HOME="$home" TMPDIR="$root/private/var/folders/qp/T" \
        "$root/usr/bin/tmutil" localsnapshot > /dev/null
done
