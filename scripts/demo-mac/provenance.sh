# shellcheck shell=bash disable=SC2154  # $root, $home and the shared folders and helpers: the driver and common.sh
# ---- Where files come from: download origins, and the data of installed and removed applications ---------
# Recorded as the Mac records them: binary property lists under com.apple.metadata, given here as the bytes
# setfattr takes ("0x" and the list in hexadecimal).
# Ondine-5.0.4.dmg's kMDItemWhereFroms: the array ("https://www.ondine.io/telechargements/Ondine-5.0.4.dmg",
# "https://www.ondine.io/").
ondine_where_froms=\
0x62706c6973743030a201025f103668747470733a2f2f7777772e6f6e64696e652e696f2f74656c656368617267656d656e74732f4f6e64696e652d352e302e342e646d675f101668747470733a2f2f7777772e6f6e64696e652e696f2f080b44000000000000010100000000000000030000000000000000000000000000005d
# facture-2024.pdf's kMDItemWhereFroms: the array ("Courriel de la Banque Exemple",
# "https://www.banque-exemple.fr/espace-client/factures/2024.pdf").
invoice_where_froms=\
0x62706c6973743030a201025f101d436f75727269656c206465206c612042616e717565204578656d706c655f103d68747470733a2f2f7777772e62616e7175652d6578656d706c652e66722f6573706163652d636c69656e742f66616374757265732f323032342e706466080b2b000000000000010100000000000000030000000000000000000000000000006b
# The draft's kMDItemLastUsedDate: the date 2024-03-14 09:30:00 UTC.
draft_last_used=0x62706c69737430303341c5d17d8c000000080000000000000101000000000000000100000000000000000000000000000011
set_attribute "$home/Downloads/Ondine-5.0.4.dmg" "user.com.apple.metadata:kMDItemWhereFroms" "$ondine_where_froms"
set_attribute "$home/Downloads/À garder/facture-2024.pdf" "user.com.apple.metadata:kMDItemWhereFroms" \
    "$invoice_where_froms"
# As a browser on this machine records a download.
set_attribute "$home/Downloads/photos-vacances.zip" "user.xdg.origin.url" \
    "https://www.partage-exemple.fr/s/vacances-2024/photos-vacances.zip"

# Installed: Atelier Photo, Ondine and Carnet in /Applications, Lumen Sync in the home's own Applications.
make_app "$home/Applications" "Lumen Sync" "com.lumenlabs.sync" "2.0"
fill "$lib/Application Support/com.lumenlabs.atelierphoto/Bibliothèque.db" 1200000
fill "$lib/Application Support/com.lumenlabs.sync/état.json" 6000
fill "$lib/Containers/io.ondine.player/Data/Library/Preferences/io.ondine.player.plist" 2000
fill "$lib/Group Containers/group.fr.carnet.app/Carnets/notes.sqlite" 300000
place provenance/com.lumenlabs.atelierphoto.plist "$lib/Preferences/com.lumenlabs.atelierphoto.plist" \
    HOME_XML="$home_xml"
# Removed: Scribe (com.vellum.scribe) and Ardoise (net.ardoise.client) left their data behind.
fill "$lib/Application Support/com.vellum.scribe/Brouillons/brouillon-chapitre-3.md" 400000
set_attribute "$lib/Application Support/com.vellum.scribe/Brouillons/brouillon-chapitre-3.md" \
    "user.com.apple.metadata:kMDItemLastUsedDate" "$draft_last_used"
place provenance/com.vellum.scribe.plist "$lib/Preferences/com.vellum.scribe.plist" HOME_XML="$home_xml"
fill "$lib/Group Containers/ABCDE12345.com.vellum.shared/Modèles/lettre.scribetpl" 50000
fill "$lib/Containers/net.ardoise.client/Data/Library/Application Support/tableaux.db" 900000
