# shellcheck shell=bash disable=SC2154  # $root, $home and the shared folders and helpers: the driver and common.sh
# ---- The application's own settings, and what the earlier product left: its settings, folder and journal, with
# the snapshot content one of its cleanings can still be put back from ------------------------------------------
# The application's own settings, as a user who has opened it once would have them.
place earlier-product/com.ostrek.quorvanepro.plist "$home/Library/Preferences/com.ostrek.quorvanepro.plist"

# The earlier product's folder and settings: the first start carries them over (the folder into
# "QuorvanePro", every setting not yet set here), so its exclusion and its schedule are in force at once,
# while the menu-bar choice already made here wins.
folders "$home/Downloads/À garder" "$home/Library/Application Support/Tessalinomark/Rapports"
head -c 300000 /dev/zero > "$home/Downloads/À garder/facture-2024.pdf"
place earlier-product/com.ostrek.tessalinomark.plist "$home/Library/Preferences/com.ostrek.tessalinomark.plist" \
    HOME_XML="$home_xml"
# The earlier product's journal, which the first run moves in. Beside its own entry it holds cleanings in
# every state the history window shows: files still in the Trash, put back, gone with an emptied Trash,
# deleted outright, a place filled again; a module this version does not know; a stamp whose snapshot still
# exists (its content is kept below, where mount_apfs finds it) and one whose snapshot macOS has removed.
snapshot_stamp="2024-11-20-093000"
place earlier-product/history.json "$home/Library/Application Support/Tessalinomark/history.json" \
    HOME_JSON="$home_json" SNAPSHOT_STAMP="$snapshot_stamp"
# What the snapshot of 20 November still holds for that cleaning, laid out like the data volume.
snapshot_content="$root/private/var/db/fake-snapshots/com.apple.TimeMachine.$snapshot_stamp.local"
folders "$snapshot_content${home#"$root"}/Library/Logs/Atelier Photo" \
         "$snapshot_content${home#"$root"}/Library/Caches/l'été"
printf 'rendu terminé\n' > "$snapshot_content${home#"$root"}/Library/Logs/Atelier Photo/rendu-2024-11-19.log"
mode 640 "$snapshot_content${home#"$root"}/Library/Logs/Atelier Photo/rendu-2024-11-19.log"
head -c 12000 /dev/zero > "$snapshot_content${home#"$root"}/Library/Caches/l'été/données d'aperçu.bin"
folders "$root/private/var/db"
printf 'com.apple.TimeMachine.%s.local\n' "$snapshot_stamp" > "$root/private/var/db/tmutil-snapshots"
# A place emptied by that older cleaning and filled again since.
head -c 6148 /dev/zero > "$home/Desktop/.DS_Store"
printf 'Analyse du 2 novembre 2024 : 46 Mo récupérés.\n' \
    > "$home/Library/Application Support/Tessalinomark/Rapports/analyse-2024-11-02.txt"
