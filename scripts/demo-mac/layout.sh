# shellcheck shell=bash disable=SC2154  # $root, $home and the shared folders and helpers: the driver and common.sh
# ---- The system root with its main folders, the home, and the first applications ---------------------------

folders "$root/System/Applications/Utilities" "$root/System/Library" "$root/Library/Application Support" \
         "$root/Library/Caches" "$root/Library/LaunchAgents" "$root/Library/LaunchDaemons" \
         "$root/private/var/folders/qp/T" "$root/private/tmp" "$root/usr/bin" "$root/bin" "$root/Volumes"
ln -s private/var "$root/var"
# The runtime folder of this user's session on the Mac, where scripts/launch.sh points XDG_RUNTIME_DIR: the
# program's one running copy on this Mac is found there.
folders "$root/private/var/run/quorvane-$EUID"
mode 700 "$root/private/var/run/quorvane-$EUID"
ln -s private/tmp "$root/tmp"

folders "$home/Library/Caches" "$home/Library/Logs" "$home/Library/Preferences" \
         "$home/Library/Application Support" "$home/Library/Containers" \
         "$home/Desktop" "$home/Documents" "$home/Downloads" "$home/Applications" "$home/.Trash"
mode 700 "$home/.Trash"

make_app "$root/Applications" "Atelier Photo" "com.lumenlabs.atelierphoto" "3.2.1"
make_app "$root/Applications" "Carnet" "fr.carnet.app" "1.8"
make_app "$root/Applications" "Ondine" "io.ondine.player" "5.0.4"
make_app "$root/System/Applications" "Notes" "com.apple.Notes" "4.11"
