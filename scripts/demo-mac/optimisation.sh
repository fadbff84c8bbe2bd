# shellcheck shell=bash disable=SC2154  # $root, $home and the shared folders and helpers: the driver and common.sh
# ---- What the optimisation screen lists: applications whose programs really run (copies of sleep, which
# scripts/start-demo-apps.sh starts), startup items in the three launch folders with the entries a folder may
# hold beside them, and the jobs launchd has loaded (what launchctl list reports) --------------------------------
sleeper="$(command -v sleep)"
shown="$root/Applications/Démonstration"
# running_app FOLDER NAME IDENTIFIER [EXTRA-XML]: a bundle whose program is a copy of sleep.
running_app() {
    local bundle="$1/$2.app"
    folders "$bundle/Contents/MacOS"
    place optimisation/Info.plist "$bundle/Contents/Info.plist" IDENTIFIER="$3" NAME="$(xml "$2")" EXTRA="${4:-}"
    copy "$sleeper" "$bundle/Contents/MacOS/$2"
}
names=(Boussole Éclipse Girouette Kiosque Lanterne Métronome Nuancier Origami Palette)
# Each identifier is its name without accents, in lower case: one conversion for all of them.
mapfile -t identifiers < <(printf '%s\n' "${names[@]}" | iconv -f UTF-8 -t ASCII//TRANSLIT | tr 'A-Z' 'a-z')
for i in "${!names[@]}"; do
    running_app "$shown" "${names[i]}" "fr.demo.${identifiers[i]}"
done
running_app "$shown" "Dessin Libre" fr.demo.dessinlibre
running_app "$shown" Fanfare fr.demo.fanfare
running_app "$shown" Aquarelle fr.demo.aquarelle
copy "$sleeper" "$shown/Aquarelle.app/Contents/MacOS/Aquarelle Helper"
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
place optimisation/fr.boussole.synchro.plist "$agents/fr.boussole.synchro.plist" \
    PROGRAM="$(xml "$(app_program Boussole)")"
place optimisation/fr.aquarelle.assistant.plist "$agents/fr.aquarelle.assistant.plist" \
    PROGRAM="$(xml "$(app_program Aquarelle "Aquarelle Helper")")"
place optimisation/fr.girouette.meteo.plist "$agents/fr.girouette.meteo.plist" \
    PROGRAM="$(xml "$(app_program Girouette)")"
place optimisation/fr.relais.synchro.plist "$agents/fr.relais.synchro.plist" PROGRAM="$(xml "$(app_program Relais)")"
place optimisation/fr.kiosque.alerte.PLIST "$agents/fr.kiosque.alerte.PLIST" PROGRAM="$(xml "$(app_program Kiosque)")"
copy "$agents/fr.kiosque.alerte.PLIST" "$agents/fr.kiosque.alerte.plist.bak"
printf 'Les agents de cette session.\n' > "$agents/LISEZMOI.txt"
# The damaged list stops in the middle of its label, without even an end of line.
place optimisation/fr.casse.plist "$agents/fr.casse.plist"
truncate -s -1 "$agents/fr.casse.plist"

# Agents of every session: one in the binary format, and one whose list lives elsewhere, reached by a link.
# binary_job PLIST LABEL PROGRAM: {Label, Program, RunAtLoad = true} as a binary property list: the magic
# "bplist00", the objects, the table of their offsets (two bytes each) and the trailer.
binary_job() {
    # An object's first byte holds its type in the high four bits and its length in the low four.
    ascii_object() { printf '%02x%s' $((0x50 + ${#1})) "$(printf '%s' "$1" | od -An -tx1 | tr -d ' \n')"; }
    text_object() {
        local units count
        units=$(printf '%s' "$1" | iconv -f UTF-8 -t UTF-16BE | od -An -tx1 | tr -d ' \n')
        count=$((${#units} / 4))
        # Past 14 units the length follows the marker 6f as an integer object: 10 one byte, 11 two bytes.
        if [ "$count" -lt 15 ]; then printf '%02x%s' $((0x60 + count)) "$units"
        elif [ "$count" -lt 256 ]; then printf '6f10%02x%s' "$count" "$units"
        else printf '6f11%04x%s' "$count" "$units"; fi
    }
    local magic=62706c6973743030            # "bplist00"
    local dictionary=d3010203040506         # three entries: keys are objects 1 to 3, values objects 4 to 6
    local true_object=09
    local trailer_sizes=0000000000000201    # six unused bytes, two-byte offsets, one-byte object references
    local objects=("$dictionary" "$(ascii_object Label)" "$(ascii_object Program)" "$(ascii_object RunAtLoad)"
                   "$(text_object "$2")" "$(text_object "$3")" "$true_object")
    local body=$magic table="" offset=8 object trailer
    for object in "${objects[@]}"; do
        table+=$(printf '%04x' "$offset")
        body+=$object
        offset=$((offset + ${#object} / 2))
    done
    # Then the number of objects, the top object (the dictionary) and where the offset table starts.
    trailer=$(printf '%s%016x%016x%016x' "$trailer_sizes" "${#objects[@]}" 0 "$offset")
    printf '%b' "$(printf '%s' "$body$table$trailer" | sed 's/../\\x&/g')" > "$1"
}
binary_job "$root/Library/LaunchAgents/fr.metronome.rappel.plist" fr.metronome.rappel "$(app_program Métronome)"
folders "$root/Library/Application Support/Lanterne"
place optimisation/veilleuse.plist "$root/Library/Application Support/Lanterne/veilleuse.plist" \
    PROGRAM="$(xml "$(app_program Lanterne)")"
ln -s "$root/Library/Application Support/Lanterne/veilleuse.plist" "$root/Library/LaunchAgents/fr.lanterne.veilleuse.plist"

# A daemon, and a folder whose name looks like a property list.
place optimisation/fr.palette.service.plist "$root/Library/LaunchDaemons/fr.palette.service.plist" \
    PROGRAM="$(xml "$(app_program Palette)")"
folders "$root/Library/LaunchDaemons/dossier.plist"

# The jobs launchd loaded at login, in its order (a disabled job is not loaded): LABEL<tab>PROGRAM.
folders "$root/private/var/db/launchd"
{
    printf 'io.ondine.player.helper\t%s\n' "$root/Applications/Ondine.app/Contents/MacOS/Ondine"
    printf 'com.lumenlabs.sync.agent\t%s\n' "$home/Applications/Lumen Sync.app/Contents/MacOS/Lumen Sync"
    printf 'fr.boussole.synchro\t%s\n' "$(app_program Boussole)"
    printf 'fr.aquarelle.assistant\t%s\n' "$(app_program Aquarelle "Aquarelle Helper")"
    printf 'fr.relais.synchro\t%s\n' "$(app_program Relais)"
    printf 'fr.metronome.rappel\t%s\n' "$(app_program Métronome)"
    printf 'fr.lanterne.veilleuse\t%s\n' "$(app_program Lanterne)"
} > "$root/private/var/db/launchd/loaded"
