# shellcheck shell=bash disable=SC2154  # $root, $home and the shared folders and helpers: the driver and common.sh
# ---- Applications and their traces: data of removed applications, installer receipts, a running application --
# Scribe and Ardoise, above, are gone with all their data, their team's group container included. Retouche, a
# removed application of Lumen Labs, whose other applications stay installed, left its cache and window state.
fill "$lib/Caches/com.lumenlabs.retouche/Rendus/aperçu-0001.bin" 700000
fill "$lib/Saved Application State/com.lumenlabs.retouche.savedState/windows.plist" 12000
# The same publisher written with other capitals: to the system a different one.
place traces/Com.LumenLabs.Capture.plist "$lib/Preferences/Com.LumenLabs.Capture.plist" HOME_XML="$home_xml"
# Graveur, installed in a folder of its own inside /Applications, keeps its data: it is no leftover.
make_app "$root/Applications/Outils de gravure" "Graveur" "org.graveur.desktop" "1.4"
fill "$lib/Application Support/org.graveur.desktop/projets.db" 150000
# What is not offered: an empty folder left behind, and the system's own settings.
folders "$lib/Application Support/net.vide.notes"
place traces/com.apple.dock.plist "$lib/Preferences/com.apple.dock.plist"

# The package database of private/var/db/receipts, as the pkgutil stand-in reads it: the package that installed
# Ondine (its bundle, a support folder and a command-line tool), an Apple package, an undated package and one
# whose files are gone. receipt ID VERSION LOCATION INSTALL-TIME FILE…
fill "$root/Library/Application Support/Ondine/Codecs/flac.codec" 120000
fill "$root/usr/local/bin/ondine" 40000
receipt io.ondine.player.pkg 5.0.4 / 1714640100 \
    Applications/Ondine.app/Contents/Info.plist Applications/Ondine.app/Contents/MacOS/Ondine \
    Applications/Ondine.app/Contents/Resources/Assets.car \
    "Library/Application Support/Ondine/Codecs/flac.codec" usr/local/bin/ondine
receipt com.apple.pkg.CLTools_Executables 15.3.0.0.1.1708646388 / 1709251200 usr/bin/xcrun
fill "$root/Library/Fonts/LumenSans.otf" 90000
receipt com.lumenlabs.fonts 1.0 Library/Fonts "" LumenSans.otf
receipt net.ardoise.client.pkg 2.3 Applications 1690000000 \
    Ardoise.app/Contents/Info.plist Ardoise.app/Contents/MacOS/Ardoise

# Ondine's program is a real one (a copy of sleep): started, it runs as the application Ondine.
copy "$(command -v sleep)" "$root/Applications/Ondine.app/Contents/MacOS/Ondine"
