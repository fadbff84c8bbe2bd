#!/usr/bin/env bash
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

mkdir -p "$root/System/Applications/Utilities" "$root/System/Library" "$root/Library/Application Support" \
         "$root/Library/Caches" "$root/Library/LaunchAgents" "$root/Library/LaunchDaemons" \
         "$root/private/var/folders/qp/T" "$root/private/tmp" "$root/usr/bin" "$root/bin" "$root/Volumes"
ln -s private/var "$root/var"
ln -s private/tmp "$root/tmp"

mkdir -p "$home/Library/Caches" "$home/Library/Logs" "$home/Library/Preferences" \
         "$home/Library/Application Support" "$home/Library/Containers" \
         "$home/Desktop" "$home/Documents" "$home/Downloads" "$home/Applications" "$home/.Trash"
chmod 700 "$home/.Trash"

# make_app FOLDER NAME IDENTIFIER VERSION
make_app() {
    local bundle="$1/$2.app"
    mkdir -p "$bundle/Contents/MacOS" "$bundle/Contents/Resources"
    cat > "$bundle/Contents/Info.plist" <<PLIST
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
    <key>CFBundleIdentifier</key>
    <string>$3</string>
    <key>CFBundleName</key>
    <string>$2</string>
    <key>CFBundleExecutable</key>
    <string>$2</string>
    <key>CFBundlePackageType</key>
    <string>APPL</string>
    <key>CFBundleShortVersionString</key>
    <string>$4</string>
</dict>
</plist>
PLIST
    printf '#!/bin/sh\nexit 0\n' > "$bundle/Contents/MacOS/$2"
    chmod 755 "$bundle/Contents/MacOS/$2"
    head -c 200000 /dev/zero > "$bundle/Contents/Resources/Assets.car"
}

make_app "$root/Applications" "Atelier Photo" "com.lumenlabs.atelierphoto" "3.2.1"
make_app "$root/Applications" "Carnet" "fr.carnet.app" "1.8"
make_app "$root/Applications" "Ondine" "io.ondine.player" "5.0.4"
make_app "$root/System/Applications" "Notes" "com.apple.Notes" "4.11"

bash "$(dirname "$0")/install-standins.sh" "$root"

echo "Demonstration Mac ready in $root (home: $home)"
