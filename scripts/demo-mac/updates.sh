# shellcheck shell=bash disable=SC2154  # $root, $home and the shared folders and helpers: the driver and common.sh
# ---- Updates: Homebrew's casks (one to upgrade, one whose download is not at hand, one without a version),
# the system updates on offer, and applications that update themselves -----------------------------------------
brew_prefix="$root/opt/homebrew"
cask() { # TOKEN INSTALLED LATEST APP [auto_updates]
    folders "$brew_prefix/Caskroom/$1/$2/.metadata" "$brew_prefix/Library/Taps/homebrew/homebrew-cask/Casks"
    local version="\"$3\""
    [ "$3" = latest ] && version=":latest"
    {
        printf 'cask "%s" do\n  version %s\n\n' "$1" "$version"
        printf '  url "https://downloads.%s.example/%s-#{version}.zip"\n' "$1" "$1"
        printf '  name "%s"\n' "${4%.app}"
        [ -n "${5:-}" ] && printf '\n  auto_updates true\n'
        printf '\n  app "%s"\nend\n' "$4"
    } > "$brew_prefix/Library/Taps/homebrew/homebrew-cask/Casks/$1.rb"
}
cask ondine 5.0.4 5.1.0 "Ondine.app"
cask atelier-photo 3.2.1 3.3.0 "Atelier Photo.app" auto_updates
cask carnet latest latest "Carnet.app"
# Ondine's new version is already downloaded; Atelier Photo's is not, and this Mac has no network.
fill "$home/Library/Caches/Homebrew/downloads/4f1c0e9a7b2d--ondine-5.1.0.zip" 30000
# The taps were last fetched two days ago: the first check updates them and says so.
folders "$brew_prefix/.git"
touch -d "2 days ago" "$brew_prefix/.git/FETCH_HEAD"
folders "$root/private/var/db/softwareupdate"
printf '%s|%s|%s|%s|%s|%s\n' \
    "macOS Sonoma 14.7.2-23H311" "macOS Sonoma 14.7.2" "14.7.2" "1702354" "YES" "restart" \
    "Safari18.2SonomaAuto-18.2" "Safari" "18.2" "182344" "YES" "" \
    "Command Line Tools for Xcode-16.2" "Command Line Tools for Xcode" "" "734012" "YES" "" \
    > "$root/private/var/db/softwareupdate/available"
# Self-updating applications: by their feed, or by their automatic-check setting (off, yet it still updates
# itself on demand); one in a folder of its own inside /Applications is not examined; Lumen Sync, in the user's
# Applications, does not state its version.
add_plist_key "$root/Applications/Atelier Photo.app/Contents/Info.plist" SUFeedURL \
    "<string>https://lumenlabs.example/atelier/appcast.xml</string>"
add_plist_key "$root/Applications/Carnet.app/Contents/Info.plist" SUEnableAutomaticChecks "<false/>"
add_plist_key "$root/Applications/Outils de gravure/Graveur.app/Contents/Info.plist" SUFeedURL \
    "<string>https://graveur.example/appcast.xml</string>"
sync_plist="$home/Applications/Lumen Sync.app/Contents/Info.plist"
add_plist_key "$sync_plist" SUFeedURL "<string>https://lumenlabs.example/sync/appcast.xml</string>"
awk '/<key>CFBundleShortVersionString<\/key>/ { skip = 2 } skip > 0 { skip--; next } { print }' "$sync_plist" \
    > "$sync_plist.new" && mv "$sync_plist.new" "$sync_plist"
