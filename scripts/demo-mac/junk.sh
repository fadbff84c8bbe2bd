# shellcheck shell=bash disable=SC2154  # $root, $home and the shared folders and helpers: the driver and common.sh
# ---- What the system junk and Trash scanners find ---------------------------------------------------------
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
fill "$root/Volumes/Sauvegarde/.Trashes/$EUID/ancienne-sauvegarde/bands/0" 2500000
fill "$root/Volumes/Sauvegarde/Photos 2019/IMG_0001.jpg" 400000
folders "$root/Volumes/Clé USB/Documents"
