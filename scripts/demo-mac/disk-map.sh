# shellcheck shell=bash disable=SC2154  # $root, $home and the shared folders and helpers: the driver and common.sh
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
for ((i = 1; i <= 72; i++)); do
    printf -v number '%04d' "$i"
    fill "$home/Pictures/Vacances 2023/IMG_$number.jpg" $((i * 1500 + 4096))
done
folders "$home/Documents/Dossier vide" "$home/Movies/À trier/vide aussi"
: > "$home/Documents/vide.txt"
: > "$home/Movies/À trier/sans contenu.mov"
fill "$root/Users/Shared/Rushes/plan-large.mov" 6000000
fill "$root/Users/Shared/Rushes/plan-serré.mov" 3000000
ln -s "$root/Users/Shared/Rushes" "$home/Movies/Rushes partagés"
