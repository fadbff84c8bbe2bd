# shellcheck shell=bash disable=SC2154  # $root, $home and the shared folders and helpers: the driver and common.sh
# ---- What the Xcode screen finds: simulator devices and runtime images known to the xcrun stand-in (one fixture
# folder each under Library/Developer/CoreSimulator/StandIn, sizes those of the real folders they name), device
# support symbols, and archives in dated folders (old, recent; one placed directly in Archives and one with a
# capitalised extension, which Xcode would not list) -----------------------------------------------------------
sim="$root/Library/Developer/CoreSimulator/StandIn"
sim_devices="$home/Library/Developer/CoreSimulator/Devices"
# sim_used FIXTURE DAYS: last used DAYS days ago.
sim_used() {
    touch -d "@$((EPOCHSECONDS - $2 * 86400))" "$1/last-used"
}
# sim_runtime KEY IDENTIFIER PLATFORM VERSION BUILD DELETABLE IMAGE-BYTES [DAYS-SINCE-USE]
sim_runtime() {
    local fixture="$sim/runtimes/$1" image="$root/Library/Developer/CoreSimulator/Volumes/$3_$5"
    folders "$fixture"
    fill "$image/Library/Developer/CoreSimulator/Profiles/Runtimes/$4.simruntime/Contents/Resources/RuntimeRoot.img" "$7"
    printf '%s\n' "$2" > "$fixture/runtimeIdentifier"
    printf 'com.apple.platform.%s\n' "$3" > "$fixture/platformIdentifier"
    printf '%s\n' "$4" > "$fixture/version"
    printf '%s\n' "$5" > "$fixture/build"
    printf '%s\n' "$6" > "$fixture/deletable"
    printf '%s\n' "$image" > "$fixture/image"
    if [ $# -ge 8 ]; then sim_used "$fixture" "$8"; fi
}
# sim_device UDID NAME RUNTIME-KEY STATE DATA-BYTES [DAYS-SINCE-USE]
sim_device() {
    local fixture="$sim/devices/$1" folder="$sim_devices/$1"
    folders "$fixture"
    fill "$folder/data/Containers/Data/Application/app.db" "$5"
    fill "$home/Library/Logs/CoreSimulator/$1/system.log" 20000
    printf '%s\n' "$2" > "$fixture/name"
    printf '%s\n' "$3" > "$fixture/runtime"
    printf '%s\n' "$4" > "$fixture/state"
    printf '%s\n' "$folder" > "$fixture/folder"
    if [ $# -ge 6 ]; then sim_used "$fixture" "$6"; fi
}
ios17="com.apple.CoreSimulator.SimRuntime.iOS-17-2"
# Deletable and unused for long (proposed), used by devices (kept), and bundled with Xcode (not deletable).
sim_runtime 4D1B2C3A-0E5F-4A6B-9C8D-7E6F5A4B3C21 com.apple.CoreSimulator.SimRuntime.iOS-16-4 iphonesimulator 16.4 20E247 true 6000000 300
sim_runtime 8A7B6C5D-4E3F-4A2B-8C1D-0E9F8A7B6C54 "$ios17" iphonesimulator 17.2 21C62 true 9000000 2
sim_runtime 2F3E4D5C-6B7A-4988-8776-655443322110 com.apple.CoreSimulator.SimRuntime.watchOS-10-2 watchsimulator 10.2 21S364 true 4000000 250
sim_runtime 9C8B7A69-5847-4635-a241-302f1e0d9c8b com.apple.CoreSimulator.SimRuntime.tvOS-17-2 appletvsimulator 17.2 21K364 false 3000000
# Used long ago (proposed), recently (kept), never and heavy (proposed), never and light (kept), booted
# (never proposed, whatever its age), and one whose runtime is gone (proposed).
sim_device 0B5E7C1A-3D2F-4E8B-9A6C-1F0E2D3C4B5A "iPhone 12" "$ios17" Shutdown 3000000 400
sim_device 6F1A2B3C-4D5E-4F60-8172-93A4B5C6D7E8 "iPhone 15 Pro" "$ios17" Shutdown 2000000 3
sim_device A1B2C3D4-E5F6-4788-99AA-BBCCDDEEFF00 "iPad Air (5e génération)" "$ios17" Shutdown 23000000
sim_device C0FFEE00-1234-4567-89AB-CDEF01234567 "iPhone SE (3e génération)" "$ios17" Shutdown 1000000
sim_device 5A5A5A5A-6B6B-4C7C-8D8D-9E9E9E9E9E9E "Apple Watch Series 9 (45 mm)" com.apple.CoreSimulator.SimRuntime.watchOS-10-2 Booted 1500000 300
sim_device 7E8D9C0B-1A2B-4C3D-8E4F-5A6B7C8D9E0F "iPhone 8" com.apple.CoreSimulator.SimRuntime.iOS-15-5 Shutdown 2500000 700
fill "$lib/Developer/Xcode/iOS DeviceSupport/17.2 (21C62)/Symbols/System/Library/dyld/dyld_shared_cache" 5000000
# archive FOLDER NAME BYTES DAYS-OLD
archive() {
    local bundle="$1/$2"
    fill "$bundle/Products/Applications/Carnet.app/Carnet" "$3"
    fill "$bundle/Info.plist" 600
    find "$bundle" -exec touch -d "@$((EPOCHSECONDS - $4 * 86400))" {} +
}
archives="$lib/Developer/Xcode/Archives"
archive "$archives/2024-02-11" "Carnet 11-02-2024, 14.32.xcarchive" 4000000 500
archive "$archives/2025-01-20" "Carnet 20-01-2025, 09.05.xcarchive" 3500000 250
archive "$archives/récent" "Carnet (bêta) 2.0.xcarchive" 3000000 5
archive "$archives" "Posée à la racine.xcarchive" 1000000 600
archive "$archives/2023-06-01" "Majuscules.XCARCHIVE" 1000000 600
