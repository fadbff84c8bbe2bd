#!/usr/bin/env bash
# shellcheck source-path=SCRIPTDIR
# Lays out a demonstration Mac in DIR: a system root with its Applications and a user's home with the
# folders the modules look at. Run it again to start from a fresh copy (the folder is replaced).
set -euo pipefail
if [ $# -ne 1 ] || [ -z "$1" ]; then
    echo "usage: $0 DIR" >&2
    exit 64
fi
root="$1"
case "$root" in
    /|/home|/root|/Users|"$HOME") echo "refusing to lay a demonstration Mac over $root" >&2; exit 64 ;;
esac
if [ -e "$root" ] && [ ! -f "$root/.quorvane-demo-mac" ]; then
    echo "$root exists and is not a demonstration Mac: choose another folder" >&2
    exit 65
fi
rm -rf -- "$root"
mkdir -p -- "$root"
touch "$root/.quorvane-demo-mac"
root="$(cd "$root" && pwd)"
home="$root/Users/demo"

# Each area of the Mac is laid out by its own file in demo-mac/, in this order (later areas add to what earlier
# ones made: keys in Info.plist files, signatures, receipts).
here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=demo-mac/common.sh
. "$here/demo-mac/common.sh"
# shellcheck source=demo-mac/layout.sh
. "$here/demo-mac/layout.sh"
# shellcheck source=demo-mac/earlier-product.sh
. "$here/demo-mac/earlier-product.sh"
# shellcheck source=demo-mac/junk.sh
. "$here/demo-mac/junk.sh"
# shellcheck source=demo-mac/personal.sh
. "$here/demo-mac/personal.sh"
# shellcheck source=demo-mac/provenance.sh
. "$here/demo-mac/provenance.sh"
# shellcheck source=demo-mac/malware.sh
. "$here/demo-mac/malware.sh"
# shellcheck source=demo-mac/traces.sh
. "$here/demo-mac/traces.sh"
# shellcheck source=demo-mac/disk-map.sh
. "$here/demo-mac/disk-map.sh"

bash "$here/install-standins.sh" "$root"

# shellcheck source=demo-mac/time-machine.sh
. "$here/demo-mac/time-machine.sh"
# shellcheck source=demo-mac/shred.sh
. "$here/demo-mac/shred.sh"
# shellcheck source=demo-mac/xcode.sh
. "$here/demo-mac/xcode.sh"
# shellcheck source=demo-mac/updates.sh
. "$here/demo-mac/updates.sh"
# shellcheck source=demo-mac/uninstaller.sh
. "$here/demo-mac/uninstaller.sh"
# shellcheck source=demo-mac/optimisation.sh
. "$here/demo-mac/optimisation.sh"

# Maintenance and updates: the tasks and the install run start /bin/sh through the system root.
[ -e "$root/bin/sh" ] || ln -s /bin/sh "$root/bin/sh"

# Last: each application's access date is the date of use it stands for (its modification date, set back for
# those opened long ago), which the uninstaller reads as its last opening. Nothing reads the bundles after this.
# The bundles made within one second, found one after the other, take their date with one touch.
same_second=()
last=
while IFS=$'\t' read -r -d '' modified bundle; do
    if [ "$modified" != "$last" ] && [ ${#same_second[@]} -gt 0 ]; then
        touch -a -d "@$last" -- "${same_second[@]}"
        same_second=()
    fi
    last=$modified
    same_second+=("$bundle")
done < <(find "$root/Applications" "$home/Applications" -name '*.app' -type d -prune -printf '%Ts\t%p\0' |
    sort -z -n)
if [ ${#same_second[@]} -gt 0 ]; then touch -a -d "@$last" -- "${same_second[@]}"; fi
end_helper
echo "Demonstration Mac ready in $root (home: $home)"
