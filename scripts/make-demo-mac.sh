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

# The application's own settings, as a user who has opened it once would have them.
# The home's path as it may stand inside XML and JSON text.
home_xml="$(printf '%s' "$home" | sed 's/&/\&amp;/g; s/</\&lt;/g; s/>/\&gt;/g')"
home_json="$(printf '%s' "$home" | sed 's/\\/\\\\/g; s/"/\\"/g')"
plist_header='<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">'
cat > "$home/Library/Preferences/com.ostrek.quorvanepro.plist" <<PLIST
$plist_header
<plist version="1.0">
<dict>
    <key>showsMenuBarItem</key>
    <true/>
    <key>diskThreshold</key>
    <real>0.85</real>
</dict>
</plist>
PLIST

# The earlier product's folder and settings: the first start carries them over (the folder into
# "QuorvanePro", every setting not yet set here), so its exclusion and its schedule are in force at once,
# while the menu-bar choice already made here wins.
mkdir -p "$home/Downloads/À garder" "$home/Library/Application Support/Tessalinomark/Rapports"
head -c 300000 /dev/zero > "$home/Downloads/À garder/facture-2024.pdf"
cat > "$home/Library/Preferences/com.ostrek.tessalinomark.plist" <<PLIST
$plist_header
<plist version="1.0">
<dict>
    <key>showsMenuBarItem</key>
    <false/>
    <key>scheduleInterval</key>
    <string>daily</string>
    <key>scheduleModule</key>
    <string>largeOldFiles</string>
    <key>lastScheduledRun</key>
    <date>2024-11-02T18:04:11Z</date>
    <key>exclusions</key>
    <array>
        <string>$home_xml/Downloads/À garder</string>
    </array>
    <key>NSWindow Frame MainWindow</key>
    <string>120 80 1100 720 0 0 1440 875</string>
    <key>AppleLanguages</key>
    <array>
        <string>fr-FR</string>
    </array>
</dict>
</plist>
PLIST
cat > "$home/Library/Application Support/Tessalinomark/history.json" <<JSON
[
  {
    "date" : "2024-11-02T18:04:11Z",
    "failureCount" : 0,
    "files" : [
      {
        "bytes" : 48213504,
        "id" : "6F1C2A3B-4D5E-4F60-8A71-92B3C4D5E6F7",
        "originalPath" : "$home_json/Library/Caches/com.lumenlabs.atelierphoto",
        "restored" : false
      }
    ],
    "freedBytes" : 48213504,
    "id" : "0A1B2C3D-4E5F-4061-8273-94A5B6C7D8E9",
    "moduleID" : "systemJunk",
    "moduleTitle" : "Fichiers système"
  }
]
JSON
printf 'Analyse du 2 novembre 2024 : 46 Mo récupérés.\n' \
    > "$home/Library/Application Support/Tessalinomark/Rapports/analyse-2024-11-02.txt"

bash "$(dirname "$0")/install-standins.sh" "$root"

echo "Demonstration Mac ready in $root (home: $home)"
