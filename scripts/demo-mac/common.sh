# shellcheck shell=bash disable=SC2034,SC2154  # $root and $home come from the driver; the area files use the rest
# What every area of the demonstration Mac shares: its main folders as variables, and the helpers that lay out
# files, applications, property lists and extended attributes. Sourced by scripts/make-demo-mac.sh once $root
# and $home are set.

# The property lists and JSON documents that are copied in, with their variable parts filled.
templates="$(dirname "${BASH_SOURCE[0]}")/files"
lib="$home/Library"
agents="$lib/LaunchAgents"
receipts="$root/private/var/db/receipts"
MiB=1048576

# The helpers below work with the shell's own expansions where they can: a layout of a few hundred files must
# not start a few thousand processes. In a replacement, "&" stands for itself.
shopt -u patsub_replacement 2>/dev/null || true

# xml TEXT: TEXT as it may stand inside XML.
xml() {
    local text="${1//&/&amp;}"
    text="${text//</&lt;}"
    printf '%s' "${text//>/&gt;}"
}
# The home's and the root's paths as they may stand inside XML and JSON text.
home_xml="$(xml "$home")"
home_json="${home//\\/\\\\}"
home_json="${home_json//\"/\\\"}"
root_xml="$(xml "$root")"

# One helper process makes the folders and the files of zeros (demo-mac/room.pl); ask REQUEST ARGUMENT… waits
# for its answer. The driver ends it with end_helper once the layout is done.
coproc ROOM { exec perl "$(dirname "${BASH_SOURCE[0]}")/room.pl"; }
ask() {
    local answer
    printf '%s\0' "$@" >&"${ROOM[1]}"
    IFS= read -r answer <&"${ROOM[0]}" || answer="the helper ended"
    [ "$answer" = ok ] || { echo "$answer" >&2; return 1; }
}
end_helper() {
    local helper=$ROOM_PID input=${ROOM[1]}
    exec {input}>&-
    wait "$helper"
}

# folders FOLDER…: each folder with those above it, as mkdir -p makes them.
folders() {
    local folder
    for folder do ask folder "$folder"; done
}
# copy FROM TO: a copy of the file's content, as cp makes it.
copy() { ask copy "$1" "$2"; }
# mode OCTAL FILE…, as chmod sets it.
mode() {
    local file
    for file in "${@:2}"; do ask mode "$1" "$file"; done
}
# folder_of FILE: makes the folder FILE goes in, unless it is there already.
folder_of() {
    case "$1" in
        */*) [ -d "${1%/*}" ] || ask folder "${1%/*}" ;;
    esac
}

# place TEMPLATE DEST [NAME=VALUE…]: copies files/TEMPLATE to DEST with each @NAME@ replaced by its VALUE, as is
# (escape the value for XML or JSON first where it needs it).
place() {
    local text pair
    IFS= read -r -d '' text < "$templates/$1" || true
    for pair in "${@:3}"; do
        text="${text//"@${pair%%=*}@"/"${pair#*=}"}"
    done
    folder_of "$2"
    printf '%s' "$text" > "$2"
}

# large FILE BYTES: a file of zeros that really takes its room on disk (a sparse file would measure nothing),
# reserved at once where the file system can, written where it cannot. Read, it gives its zeros either way.
large() { ask room "$1" "$2"; }
# fill FILE BYTES: a smaller file of zeros, made the same way.
fill() { large "$@"; }
# random FILE BYTES: a file of its own content, so that no two files meant to differ are taken for copies.
random() {
    folder_of "$1"
    head -c "$2" /dev/urandom > "$1"
}

# make_app FOLDER NAME IDENTIFIER VERSION
make_app() {
    local bundle="$1/$2.app"
    folders "$bundle/Contents/MacOS" "$bundle/Contents/Resources"
    place Info.plist "$bundle/Contents/Info.plist" IDENTIFIER="$3" NAME="$2" VERSION="$4"
    executable "$bundle/Contents/MacOS/$2" '#!/bin/sh\nexit 0\n'
    fill "$bundle/Contents/Resources/Assets.car" 200000
}
# add_plist_key INFO-PLIST KEY VALUE-XML: one more entry in an application's dictionary.
add_plist_key() {
    local text
    IFS= read -r -d '' text < "$1" || true
    local head="${text%%$'\n'</dict>*}"
    printf '%s\n    <key>%s</key>\n    %s%s' "$head" "$2" "$3" "${text#"$head"}" > "$1"
}

# program FILE: a small executable.
program() {
    folder_of "$1"
    executable "$1" '#!/bin/sh\n# %s\nexit 0\n' "${1##*/}"
}
# executable FILE FORMAT [ARGUMENT…]: FILE written with printf's FORMAT, runnable by everyone.
executable() {
    local file="$1"
    shift
    # shellcheck disable=SC2059  # the format is the caller's
    printf "$@" > "$file"
    mode 755 "$file"
}

# set_attribute FILE NAME VALUE: an extended attribute of the file itself ("0x…" for raw bytes). Where the file
# system keeps none, the Mac is laid out all the same, only without download origins, last uses and signatures.
attributes_warned=
set_attribute() {
    if ! setfattr -h -n "$2" -v "$3" -- "$1" 2>/dev/null && [ -z "$attributes_warned" ]; then
        echo "note: no extended attributes here; the demonstration files record no download origin" >&2
        attributes_warned=1
    fi
}
# sign FILE AUTHORITY: signs the file's present content. Signatures are records in "user.quorvane.codesign"
# ("<authority> <sha256 of the content>"); without extended attributes every program reads as unsigned.
sign() {
    local sum
    sum=$(sha256sum -- "$1")
    set_attribute "$1" "user.quorvane.codesign" "$2 ${sum%% *}"
}

# receipt ID VERSION LOCATION INSTALL-TIME FILE…: a package in the database of private/var/db/receipts, as the
# pkgutil stand-in reads it.
receipt() {
    local id="$1" version="$2" location="$3" time="$4"
    shift 4
    folders "$receipts"
    {
        printf 'package-id: %s\nversion: %s\nvolume: /\nlocation: %s\n' "$id" "$version" "$location"
        if [ -n "$time" ]; then printf 'install-time: %s\n' "$time"; fi
    } > "$receipts/$id.info"
    printf '%s\n' "$@" > "$receipts/$id.files"
}
