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

# ---- What the system junk and Trash scanners find ---------------------------------------------------------
# fill FILE BYTES: a file whose content really takes room on disk (a sparse file would measure nothing).
fill() {
    mkdir -p "$(dirname "$1")"
    head -c "$2" /dev/zero > "$1"
}
lib="$home/Library"
# Application caches, some large and some tiny; the ones macOS keeps for itself are never offered.
fill "$lib/Caches/com.lumenlabs.atelierphoto/Previews/aperçus.db" 6000000
fill "$lib/Caches/com.lumenlabs.atelierphoto/Thumbnails/vignette 1.png" 300000
fill "$lib/Caches/io.ondine.player/artwork.cache" 2500000
fill "$lib/Caches/fr.carnet.app/Cache.db" 4096
fill "$lib/Caches/fr.carnet.app/Cache.db-wal" 512
fill "$lib/Caches/.thumbnail-index" 2048
fill "$lib/Caches/CloudKit/records.db" 200000
fill "$lib/Caches/com.apple.Safari.SafeBrowsing/Rules.db" 100000
# Logs and crash reports.
fill "$lib/Logs/Ondine/player.log" 250000
fill "$lib/Logs/Carnet.log" 30000
fill "$lib/DiagnosticReports/Ondine-2024-05-02-101500.ips" 20000
fill "$lib/Application Support/CrashReporter/Carnet_0A1B2C3D.plist" 4000
# Developer-tool caches.
fill "$lib/Developer/Xcode/DerivedData/Carnet-bqfxkdhzwtnpmo/Build/Intermediates.noindex/Carnet.o" 4000000
fill "$home/.npm/_cacache/content-v2/sha512/3f/a1/9c0d" 900000
fill "$lib/Caches/Homebrew/downloads/wget--1.21.4.bottle.tar.gz" 1500000
fill "$lib/Caches/pip/http/v2/wheel.body" 300000
# Temporary files: the user's temporary folder, and what the Finder leaves in TemporaryItems.
fill "$root/private/var/folders/qp/T/com.lumenlabs.atelierphoto/render-0001.tmp" 2000000
fill "$root/private/var/folders/qp/T/ondine-upgrade.log" 8000
fill "$lib/Caches/TemporaryItems/Atelier Photo export.tmp" 40000
# Installers: disk images and packages in Downloads (an archive there is not one), a software update.
fill "$home/Downloads/Ondine-5.0.4.dmg" 3000000
fill "$home/Downloads/CarnetInstaller.pkg" 1200000
fill "$home/Downloads/photos-vacances.zip" 500000
fill "$home/Downloads/Anciens/Atelier-3.1.dmg" 800000
fill "$lib/Updates/091-12345/Info.plist" 6000
# Saved application states.
fill "$lib/Saved Application State/fr.carnet.app.savedState/windows.plist" 8000
fill "$lib/Saved Application State/io.ondine.player.savedState/data.data" 16000
# The Trash: files, a folder, a hidden file.
fill "$home/.Trash/Facture ancienne.pdf" 180000
fill "$home/.Trash/Vieux projet/notes.txt" 20000
fill "$home/.Trash/Vieux projet/maquette.png" 700000
fill "$home/.Trash/.DS_Store" 6148
# A mounted volume with a trash of its own for this user, and one without any trash.
fill "$root/Volumes/Sauvegarde/.Trashes/$(id -u)/ancienne-sauvegarde/bands/0" 2500000
fill "$root/Volumes/Sauvegarde/Photos 2019/IMG_0001.jpg" 400000
mkdir -p "$root/Volumes/Clé USB/Documents"
# ---- end of the scanners' findings --------------------------------------------------------------------------

# ---- What the personal-file modules find ------------------------------------------------------------------
# random FILE BYTES: a file of its own content, so that no two files meant to differ are taken for copies.
random() {
    mkdir -p "$(dirname "$1")"
    head -c "$2" /dev/urandom > "$1"
}
# large FILE BYTES: a large file that really takes its room, reserved at once where the file system can.
large() {
    mkdir -p "$(dirname "$1")"
    if ! fallocate -l "$2" -- "$1" 2>/dev/null; then
        head -c "$2" /dev/zero > "$1"
    fi
}
MiB=1048576
# Mail: the Attachments folders of mailboxes (two in INBOX, one in a mailbox nested in another), one outside
# any mailbox, an empty one, a file named Attachments and a lower-case folder; files opened from messages.
account="$lib/Mail/V10/4F8B2C1E-compte-personnel"
fill "$account/INBOX.mbox/A1B2C3D4/Data/Attachments/1042/2/facture-mars.pdf" 180000
fill "$account/INBOX.mbox/A1B2C3D4/Data/1/Attachments/988/3/photo-chantier.jpg" 450000
fill "$account/Projets.mbox/Clients.mbox/C3D4E5F6/Data/Attachments/77/2/devis.pdf" 120000
fill "$lib/Mail/V10/MailData/Attachments/signature.png" 30000
mkdir -p "$account/Archives.mbox/E5F6A7B8/Data/Attachments"
fill "$account/Brouillons.mbox/Attachments" 2000
fill "$account/Envoyés.mbox/F7A8B9C0/Data/attachments/brouillon.txt" 9000
fill "$lib/Containers/com.apple.mail/Data/Library/Mail Downloads/2B6D9E01/Contrat signé.pdf" 260000
fill "$lib/Containers/com.apple.mail/Data/Library/Mail Downloads/plan d'accès.png" 70000
# Duplicates: three copies of a report with different dates (the oldest in Documents); a hard-linked pair
# with no third copy; a near copy equal in its first and last 64 KiB; an identical pair under 1 MiB; copies
# where no search goes (a node_modules folder, an application bundle).
report="$home/Documents/Rapport annuel 2023.pdf"
random "$report" $((3 * MiB))
cp "$report" "$home/Downloads/Rapport annuel 2023.pdf"
cp "$report" "$home/Desktop/Rapport annuel 2023 copie.pdf"
touch -d '2023-03-10 09:00' "$report"
touch -d '2023-05-02 18:30' "$home/Downloads/Rapport annuel 2023.pdf"
touch -d '2024-01-15 11:15' "$home/Desktop/Rapport annuel 2023 copie.pdf"
random "$home/Documents/Photos/IMG_2041.HEIC" $((2 * MiB))
ln "$home/Documents/Photos/IMG_2041.HEIC" "$home/Desktop/IMG_2041.HEIC"
random "$home/Documents/Maquettes/affiche-v1.psd" $((4 * MiB))
cp "$home/Documents/Maquettes/affiche-v1.psd" "$home/Documents/Maquettes/affiche-v2.psd"
printf 'retouche' | dd of="$home/Documents/Maquettes/affiche-v2.psd" bs=1 seek=$((2 * MiB)) conv=notrunc 2>/dev/null
random "$home/Documents/logo.png" 500000
cp "$home/Documents/logo.png" "$home/Downloads/logo.png"
mkdir -p "$home/Documents/Projet web/node_modules/rapport" "$home/Downloads/Visionneuse.app/Contents/Resources"
cp "$report" "$home/Documents/Projet web/node_modules/rapport/exemple.pdf"
cp "$report" "$home/Downloads/Visionneuse.app/Contents/Resources/exemple.pdf"
# Large files: one of each kind at or above 50 MiB, each of its own size (the last exactly at the threshold);
# a sparse file that takes nothing; large files where the walk does not go (Pictures, node_modules).
large "$home/Documents/Films/Tournage brut.mov" $((64 * MiB))
large "$home/Documents/Archives/Sauvegarde photos 2022.zip" $((58 * MiB))
large "$home/Documents/Machines virtuelles/Debian 12.iso" $((72 * MiB))
large "$home/Music/Enregistrements/Concert.wav" $((55 * MiB))
large "$home/Documents/Maquettes/Catalogue.psd" $((52 * MiB))
large "$home/Documents/Données/export.sqlite" $((50 * MiB))
truncate -s $((512 * MiB)) "$home/Documents/Machines virtuelles/Disque vide.img"
large "$home/Pictures/Diaporama mariage.mov" $((80 * MiB))
large "$home/Documents/Projet web/node_modules/binaire/moteur.node" $((66 * MiB))
# Privacy: Safari's history, site data and downloads list; Chrome's default profile and its cache; one
# Firefox profile and a stray file beside it; recent items, shell histories, the persistent pasteboard.
fill "$lib/Safari/History.db" 400000
fill "$lib/Safari/Databases/___IndexedDB/v1/https_www.example.fr_0/base.sqlite3" 120000
fill "$lib/Safari/Downloads.plist" 3000
chrome="$lib/Application Support/Google/Chrome/Default"
fill "$chrome/History" 600000
fill "$chrome/Cookies" 90000
fill "$chrome/Top Sites" 40000
fill "$lib/Caches/Google/Chrome/Default/Cache/Cache_Data/data_1" 3500000
fill "$lib/Application Support/Firefox/Profiles/x7k2p9qa.default-release/places.sqlite" 5000000
fill "$lib/Application Support/Firefox/Profiles/x7k2p9qa.default-release/cookies.sqlite" 500000
fill "$lib/Application Support/Firefox/Profiles/notes.txt" 200
fill "$lib/Application Support/com.apple.sharedfilelist/com.apple.LSSharedFileList.RecentDocuments.sfl2" 8000
printf 'cd ~/Documents\nls -la\ngit status\n' > "$home/.zsh_history"
: > "$home/.bash_history"
fill "$lib/Caches/com.apple.pboard/pboard-data" 20000
# ---- end of what the personal-file modules find -----------------------------------------------------------

# ---- Where files come from: download origins, and the data of installed and removed applications ---------
# set_attribute FILE NAME VALUE: an extended attribute of the file itself ("0x…" for raw bytes). Where the file
# system keeps none, the Mac is laid out all the same, only without download origins and last uses.
attributes_warned=
set_attribute() {
    if ! setfattr -h -n "$2" -v "$3" -- "$1" 2>/dev/null && [ -z "$attributes_warned" ]; then
        echo "note: no extended attributes here; the demonstration files record no download origin" >&2
        attributes_warned=1
    fi
}
# Recorded as the Mac records them: binary property lists under com.apple.metadata.
#   Ondine-5.0.4.dmg   kMDItemWhereFroms ("https://www.ondine.io/telechargements/Ondine-5.0.4.dmg",
#                                         "https://www.ondine.io/")
#   facture-2024.pdf   kMDItemWhereFroms ("Courriel de la Banque Exemple",
#                                         "https://www.banque-exemple.fr/espace-client/factures/2024.pdf")
#   brouillon          kMDItemLastUsedDate 2024-03-14 09:30:00 UTC
set_attribute "$home/Downloads/Ondine-5.0.4.dmg" "user.com.apple.metadata:kMDItemWhereFroms" \
    0x62706c6973743030a201025f103668747470733a2f2f7777772e6f6e64696e652e696f2f74656c656368617267656d656e74732f4f6e64696e652d352e302e342e646d675f101668747470733a2f2f7777772e6f6e64696e652e696f2f080b44000000000000010100000000000000030000000000000000000000000000005d
set_attribute "$home/Downloads/À garder/facture-2024.pdf" "user.com.apple.metadata:kMDItemWhereFroms" \
    0x62706c6973743030a201025f101d436f75727269656c206465206c612042616e717565204578656d706c655f103d68747470733a2f2f7777772e62616e7175652d6578656d706c652e66722f6573706163652d636c69656e742f66616374757265732f323032342e706466080b2b000000000000010100000000000000030000000000000000000000000000006b
# As a browser on this machine records a download.
set_attribute "$home/Downloads/photos-vacances.zip" "user.xdg.origin.url" \
    "https://www.partage-exemple.fr/s/vacances-2024/photos-vacances.zip"

# Installed: Atelier Photo, Ondine and Carnet in /Applications, Lumen Sync in the home's own Applications.
make_app "$home/Applications" "Lumen Sync" "com.lumenlabs.sync" "2.0"
fill "$lib/Application Support/com.lumenlabs.atelierphoto/Bibliothèque.db" 1200000
fill "$lib/Application Support/com.lumenlabs.sync/état.json" 6000
fill "$lib/Containers/io.ondine.player/Data/Library/Preferences/io.ondine.player.plist" 2000
fill "$lib/Group Containers/group.fr.carnet.app/Carnets/notes.sqlite" 300000
cat > "$lib/Preferences/com.lumenlabs.atelierphoto.plist" <<PLIST
$plist_header
<plist version="1.0">
<dict>
    <key>LastExportFolder</key>
    <string>$home_xml/Pictures</string>
</dict>
</plist>
PLIST
# Removed: Scribe (com.vellum.scribe) and Ardoise (net.ardoise.client) left their data behind.
fill "$lib/Application Support/com.vellum.scribe/Brouillons/brouillon-chapitre-3.md" 400000
set_attribute "$lib/Application Support/com.vellum.scribe/Brouillons/brouillon-chapitre-3.md" \
    "user.com.apple.metadata:kMDItemLastUsedDate" \
    0x62706c69737430303341c5d17d8c000000080000000000000101000000000000000100000000000000000000000000000011
cat > "$lib/Preferences/com.vellum.scribe.plist" <<PLIST
$plist_header
<plist version="1.0">
<dict>
    <key>OpenDocuments</key>
    <array>
        <string>$home_xml/Documents/Roman/chapitre-3.scribe</string>
    </array>
</dict>
</plist>
PLIST
fill "$lib/Group Containers/ABCDE12345.com.vellum.shared/Modèles/lettre.scribetpl" 50000
fill "$lib/Containers/net.ardoise.client/Data/Library/Application Support/tableaux.db" 900000
# ---- end of where files come from ----------------------------------------------------------------------------

bash "$(dirname "$0")/install-standins.sh" "$root"

echo "Demonstration Mac ready in $root (home: $home)"
