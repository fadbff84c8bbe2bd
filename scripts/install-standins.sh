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
# One process per tool: install makes the folder and sets the mode as it copies.
install_tool() { # NAME MAC-FOLDER
    install -D -m 755 -- "$here/$1" "$root$2/$1"
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
install_tool xcrun /usr/bin
# The health probes' and the process listing's tools.
install_tool ps /bin
install_tool sysctl /usr/sbin
install_tool pmset /usr/bin
# The maintenance tasks' tools: one recording stand-in under each name.
install_as() { # MAC-FOLDER NAME
    install -D -m 755 -- "$here/maintenance-tool" "$root$1/$2"
}
install_as /System/Library/Frameworks/CoreServices.framework/Frameworks/LaunchServices.framework/Support lsregister
install_as /usr/bin mdutil
install_as /usr/bin dscacheutil
install_as /usr/bin killall
install_as /usr/sbin periodic
install_as /usr/sbin diskutil
install_as /usr/bin atsutil
install_as /usr/sbin purge
# The update checker's tools: the system's update tool, and Homebrew where it installs itself.
install_tool softwareupdate /usr/sbin
install_tool brew /opt/homebrew/bin
