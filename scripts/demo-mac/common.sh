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

# xml TEXT: TEXT as it may stand inside XML.
xml() { printf '%s' "$1" | sed 's/&/\&amp;/g; s/</\&lt;/g; s/>/\&gt;/g'; }
# The home's and the root's paths as they may stand inside XML and JSON text.
home_xml="$(xml "$home")"
home_json="$(printf '%s' "$home" | sed 's/\\/\\\\/g; s/"/\\"/g')"
root_xml="$(xml "$root")"

# place TEMPLATE DEST [NAME=VALUE…]: copies files/TEMPLATE to DEST with each @NAME@ replaced by its VALUE, as is
# (escape the value for XML or JSON first where it needs it).
place() {
    local text pair
    text="$(cat -- "$templates/$1"; printf x)"
    text="${text%x}"
    for pair in "${@:3}"; do
        text="${text//"@${pair%%=*}@"/"${pair#*=}"}"
    done
    mkdir -p "$(dirname "$2")"
    printf '%s' "$text" > "$2"
}

# fill FILE BYTES: a file whose content really takes room on disk (a sparse file would measure nothing).
fill() {
    mkdir -p "$(dirname "$1")"
    head -c "$2" /dev/zero > "$1"
}
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

# make_app FOLDER NAME IDENTIFIER VERSION
make_app() {
    local bundle="$1/$2.app"
    mkdir -p "$bundle/Contents/MacOS" "$bundle/Contents/Resources"
    place Info.plist "$bundle/Contents/Info.plist" IDENTIFIER="$3" NAME="$2" VERSION="$4"
    printf '#!/bin/sh\nexit 0\n' > "$bundle/Contents/MacOS/$2"
    chmod 755 "$bundle/Contents/MacOS/$2"
    head -c 200000 /dev/zero > "$bundle/Contents/Resources/Assets.car"
}
# add_plist_key INFO-PLIST KEY VALUE-XML: one more entry in an application's dictionary.
add_plist_key() {
    awk -v entry="    <key>$2</key>\n    $3" '/^<\/dict>/ && !done { print entry; done = 1 } { print }' "$1" > "$1.new"
    mv "$1.new" "$1"
}

# program FILE: a small executable.
program() {
    mkdir -p "$(dirname "$1")"
    printf '#!/bin/sh\n# %s\nexit 0\n' "$(basename "$1")" > "$1"
    chmod 755 "$1"
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
    set_attribute "$1" "user.quorvane.codesign" "$2 $(sha256sum -- "$1" | cut -d' ' -f1)"
}

# receipt ID VERSION LOCATION INSTALL-TIME FILE…: a package in the database of private/var/db/receipts, as the
# pkgutil stand-in reads it.
receipt() {
    local id="$1" version="$2" location="$3" time="$4"
    shift 4
    mkdir -p "$receipts"
    {
        printf 'package-id: %s\nversion: %s\nvolume: /\nlocation: %s\n' "$id" "$version" "$location"
        if [ -n "$time" ]; then printf 'install-time: %s\n' "$time"; fi
    } > "$receipts/$id.info"
    printf '%s\n' "$@" > "$receipts/$id.files"
}
