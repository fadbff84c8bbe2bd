#!/usr/bin/env bash
# Installs the stand-ins for the Mac's command-line tools under a system root (a demonstration Mac or a
# test's root folder).
set -euo pipefail
if [ $# -ne 1 ] || [ -z "$1" ]; then
    echo "usage: $0 ROOT" >&2
    exit 64
fi
root="$1"
here="$(cd "$(dirname "$0")/standins" && pwd)"
install_tool() { # NAME MAC-FOLDER
    mkdir -p "$root$2"
    cp "$here/$1" "$root$2/$1"
    chmod 755 "$root$2/$1"
}
install_tool osascript /usr/bin
install_tool launchctl /bin
install_tool rm /bin
install_tool profiles /usr/bin
install_tool tmutil /usr/bin
install_tool pkgutil /usr/sbin
install_tool ditto /usr/bin
install_tool mount_apfs /sbin
install_tool umount /sbin
