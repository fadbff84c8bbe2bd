# shellcheck shell=bash disable=SC2154  # $root, $home and the shared folders and helpers: the driver and common.sh
# ---- things to shred: files, a sub-folder, an empty file, a read-only file, a file with a second hard link
# elsewhere (refused) and a link to a file outside the folder (the link goes, its target stays) -------------------
shred_dir="$home/Documents/À broyer"
fill "$shred_dir/relevé bancaire.pdf" 40000
fill "$shred_dir/notes.txt" 3000
fill "$shred_dir/Archives/ancien contrat.pdf" 25000
: > "$shred_dir/vide.txt"
fill "$shred_dir/lecture seule.txt" 2000
mode 0444 "$shred_dir/lecture seule.txt"
fill "$shred_dir/doublé.txt" 5000
ln "$shred_dir/doublé.txt" "$home/Documents/doublé (autre lien).txt"
fill "$home/Documents/cible hors dossier.txt" 1500
ln -s "$home/Documents/cible hors dossier.txt" "$shred_dir/lien vers cible"
fill "$home/Documents/à broyer seul.txt" 8000
