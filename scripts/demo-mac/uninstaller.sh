# shellcheck shell=bash disable=SC2154  # $root, $home and the shared folders and helpers: the driver and common.sh
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
copy "$(command -v sleep)" "$root/Applications/Veilleur.app/Contents/MacOS/Veilleur"
fill "$lib/Application Support/fr.veilleur.app/réglages.json" 5000
fill "$lib/Preferences/fr.veilleur.app.plist" 700
