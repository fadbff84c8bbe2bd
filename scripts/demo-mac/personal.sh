# shellcheck shell=bash disable=SC2154  # $root, $home and the shared folders and helpers: the driver and common.sh
# ---- What the personal-file modules find ------------------------------------------------------------------
# Mail: the Attachments folders of mailboxes (two in INBOX, one in a mailbox nested in another), one outside
# any mailbox, an empty one, a file named Attachments and a lower-case folder; files opened from messages.
account="$lib/Mail/V10/4F8B2C1E-compte-personnel"
fill "$account/INBOX.mbox/A1B2C3D4/Data/Attachments/1042/2/facture-mars.pdf" 180000
fill "$account/INBOX.mbox/A1B2C3D4/Data/1/Attachments/988/3/photo-chantier.jpg" 450000
fill "$account/Projets.mbox/Clients.mbox/C3D4E5F6/Data/Attachments/77/2/devis.pdf" 120000
fill "$lib/Mail/V10/MailData/Attachments/signature.png" 30000
folders "$account/Archives.mbox/E5F6A7B8/Data/Attachments"
fill "$account/Brouillons.mbox/Attachments" 2000
fill "$account/Envoyés.mbox/F7A8B9C0/Data/attachments/brouillon.txt" 9000
fill "$lib/Containers/com.apple.mail/Data/Library/Mail Downloads/2B6D9E01/Contrat signé.pdf" 260000
fill "$lib/Containers/com.apple.mail/Data/Library/Mail Downloads/plan d'accès.png" 70000
# Duplicates: three copies of a report with different dates (the oldest in Documents); a hard-linked pair
# with no third copy; a near copy equal in its first and last 64 KiB; an identical pair under 1 MiB; copies
# where no search goes (a node_modules folder, an application bundle).
report="$home/Documents/Rapport annuel 2023.pdf"
random "$report" $((3 * MiB))
copy "$report" "$home/Downloads/Rapport annuel 2023.pdf"
copy "$report" "$home/Desktop/Rapport annuel 2023 copie.pdf"
touch -d '2023-03-10 09:00' "$report"
touch -d '2023-05-02 18:30' "$home/Downloads/Rapport annuel 2023.pdf"
touch -d '2024-01-15 11:15' "$home/Desktop/Rapport annuel 2023 copie.pdf"
random "$home/Documents/Photos/IMG_2041.HEIC" $((2 * MiB))
ln "$home/Documents/Photos/IMG_2041.HEIC" "$home/Desktop/IMG_2041.HEIC"
random "$home/Documents/Maquettes/affiche-v1.psd" $((4 * MiB))
copy "$home/Documents/Maquettes/affiche-v1.psd" "$home/Documents/Maquettes/affiche-v2.psd"
printf 'retouche' | dd of="$home/Documents/Maquettes/affiche-v2.psd" bs=1 seek=$((2 * MiB)) conv=notrunc 2>/dev/null
random "$home/Documents/logo.png" 500000
copy "$home/Documents/logo.png" "$home/Downloads/logo.png"
folders "$home/Documents/Projet web/node_modules/rapport" "$home/Downloads/Visionneuse.app/Contents/Resources"
copy "$report" "$home/Documents/Projet web/node_modules/rapport/exemple.pdf"
copy "$report" "$home/Downloads/Visionneuse.app/Contents/Resources/exemple.pdf"
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
