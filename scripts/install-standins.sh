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
# A few processes for all of them: every test installs them anew. Each MAC-FOLDER's tools are installed at
# once, and the one recording stand-in of the maintenance tasks is written under each of its names at once.
folders=(/usr/bin /bin /usr/sbin /sbin /opt/homebrew/bin
         /System/Library/Frameworks/CoreServices.framework/Frameworks/LaunchServices.framework/Support)
mkdir -p -- "${folders[@]/#/$root}"
install_tools() { # MAC-FOLDER NAME…
    local folder=$1
    shift
    install -m 755 -t "$root$folder" -- "${@/#/$here/}"
}
# The tools the cleanings, the health probes, the process listing and the update checker call.
install_tools /usr/bin osascript profiles tmutil ditto xcrun pmset
install_tools /bin launchctl rm ps
install_tools /usr/sbin pkgutil sysctl softwareupdate
install_tools /sbin mount_apfs umount
install_tools /opt/homebrew/bin brew
# The maintenance tasks' tools: one recording stand-in under each name.
maintenance=("$root/System/Library/Frameworks/CoreServices.framework/Frameworks/LaunchServices.framework/Support/lsregister"
             "$root/usr/bin/mdutil" "$root/usr/bin/dscacheutil" "$root/usr/bin/killall" "$root/usr/sbin/periodic"
             "$root/usr/sbin/diskutil" "$root/usr/bin/atsutil" "$root/usr/sbin/purge")
rm -f -- "${maintenance[@]}"
tee -- "${maintenance[@]}" < "$here/maintenance-tool" > /dev/null
chmod 755 -- "${maintenance[@]}"
