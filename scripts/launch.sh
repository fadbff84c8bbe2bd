#!/usr/bin/env bash
# launch.sh DEMO PROGRAM [ARGUMENTS…]: starts PROGRAM on the demonstration Mac DEMO.
# Only PROGRAM's own process gets the demonstration Mac's HOME, QUORVANE_ROOT, TMPDIR and runtime folder
# (XDG_RUNTIME_DIR, where the single-instance socket lives: one per Mac, so that two Macs never meet). The display
# and its helpers keep this machine's: a virtual display started with the Mac's TMPDIR would keep its authority
# file in the Mac's temporary folder, where a cleaning moves it to the Trash and every later X client is refused.
set -euo pipefail

# on_mac DEMO PROGRAM [ARGUMENTS…]: replaces this shell with PROGRAM, given the Mac's folders.
on_mac() {
    local demo="$1"
    shift
    local runtime
    runtime="$demo/private/var/run/quorvane-$(id -u)"
    mkdir -p "$runtime"
    chmod 700 "$runtime"
    # Whatever this session kept in its own runtime folder stays reachable: the Wayland display and the session
    # bus are named by full paths.
    local session=()
    if [ -n "${XDG_RUNTIME_DIR:-}" ]; then
        if [ -n "${WAYLAND_DISPLAY:-}" ] && [ "${WAYLAND_DISPLAY#/}" = "$WAYLAND_DISPLAY" ]; then
            session+=("WAYLAND_DISPLAY=$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY")
        fi
        if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ] && [ -S "$XDG_RUNTIME_DIR/bus" ]; then
            session+=("DBUS_SESSION_BUS_ADDRESS=unix:path=$XDG_RUNTIME_DIR/bus")
        fi
    fi
    exec env "${session[@]}" HOME="$demo/Users/demo" QUORVANE_ROOT="$demo" TMPDIR="$demo/private/var/folders/qp/T" \
        XDG_RUNTIME_DIR="$runtime" "$@"
}

# The virtual display a copy on the Mac DEMO shows on, recorded when it was started: the display and its authority
# file, one a line. Kept beside xvfb-run's own files, outside the Mac, which the program alone changes.
display_record() {
    local digest
    digest="$(printf '%s' "$1" | cksum)"
    printf '%s/quorvane-display-%s-%s' "${TMPDIR:-/tmp}" "$(id -u)" "${digest%% *}"
}

# live_display DEMO: whether the virtual display recorded for DEMO still runs, its authority file still there;
# if so, DISPLAY and XAUTHORITY name it. That display lives as long as the copy started on it.
live_display() {
    local record display authority server
    record="$(display_record "$1")"
    [ -f "$record" ] || return 1
    { IFS= read -r display && IFS= read -r authority; } < "$record" || return 1
    [ -n "$display" ] && [ -f "$authority" ] && [ -f "/tmp/.X${display#:}-lock" ] || return 1
    read -r server < "/tmp/.X${display#:}-lock" || return 1
    kill -0 "$server" 2> /dev/null || return 1
    export DISPLAY="$display" XAUTHORITY="$authority"
}

if [ "${1:-}" = "--copy-shown" ]; then
    # launch.sh --copy-shown DEMO: status 0 when a copy on DEMO shows on a virtual display that still runs.
    live_display "$(cd "$2" && pwd)"
    exit
fi

if [ "${1:-}" = "--on-virtual-display" ]; then
    # Inside xvfb-run: DISPLAY and XAUTHORITY now name the virtual display.
    shift
    demo="$1"
    shift
    printf '%s\n%s\n' "$DISPLAY" "${XAUTHORITY:-}" > "$(display_record "$demo")"
    echo "La fenêtre s'ouvre sur l'écran virtuel ${DISPLAY} ; pour la voir : XAUTHORITY='${XAUTHORITY:-}' xwd -root -silent -display ${DISPLAY} | xwdtopnm 2> /dev/null | pnmtopng > capture.png" >&2
    on_mac "$demo" "$@"
fi

if [ "$#" -lt 2 ]; then
    echo "usage : launch.sh DOSSIER_DU_MAC PROGRAMME [ARGUMENTS…]" >&2
    exit 2
fi
demo="$(cd "$1" && pwd)"
shift

# The actions answered on the command line ("--action …") open no window, so they need no display; "--action
# open" shows a module in a window: the running copy's, or that of the copy it starts, as a plain launch does.
windowless=0
previous=""
for argument in "${@:2}"; do
    if [ "$argument" = "--action" ] || [ "$argument" = "--category" ]; then
        windowless=1
    fi
    if [ "$previous" = "--action" ] && [ "$argument" = "open" ]; then
        windowless=0
        break
    fi
    previous="$argument"
done
if [ "$windowless" = 1 ]; then
    on_mac "$demo" "$@"
fi
# A copy already shown on a virtual display is asked there (it shows the module and this one ends), rather than
# on a second display of its own.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && live_display "$demo"; then
    on_mac "$demo" "$@"
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1400x900x24" bash "$0" --on-virtual-display "$demo" "$@"
fi
# The X server's cookie is found through HOME, which changes for the program alone.
export XAUTHORITY="${XAUTHORITY:-$HOME/.Xauthority}"
on_mac "$demo" "$@"
