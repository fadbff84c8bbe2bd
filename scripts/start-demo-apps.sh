#!/usr/bin/env bash
# start-demo-apps.sh DEMO: starts the demonstration Mac's applications as real processes (their programs are
# copies of sleep), some with an auxiliary process, and the supervisor that restarts Relais's background
# service every few seconds (what the diagnosis sees restarting). Prints the id of each process it started,
# one a line, for the caller to end them, by these ids, when it is done.
set -euo pipefail
if [ $# -ne 1 ] || [ ! -f "$1/.quorvane-demo-mac" ]; then
    echo "usage: $0 DEMO-MAC" >&2
    exit 64
fi
demo="$(cd "$1" && pwd)"
shown="$demo/Applications/Démonstration"
start() { # PROGRAM
    "$1" 86400 < /dev/null > /dev/null 2>&1 &
    echo $!
}
for name in Boussole Éclipse Girouette Kiosque Lanterne Métronome Nuancier Origami Palette "Dessin Libre" \
            Aquarelle Horizon Calepin; do
    start "$shown/$name.app/Contents/MacOS/$name"
done
start "$shown/Aquarelle.app/Contents/MacOS/Aquarelle Helper"
start "$shown/Fanfare.app/Contents/MacOS/Fanfare"
start "$shown/Fanfare.app/Contents/MacOS/Fanfare"
start "$shown/Horizon.app/Contents/Frameworks/Aperçu Rapide.app/Contents/MacOS/Aperçu Rapide"
start "$demo/Applications/Ondine.app/Contents/MacOS/Ondine"
# The supervisor: each run of the service lasts three seconds, then it starts again under a new id.
relais="$shown/Relais.app/Contents/MacOS/Relais"
bash -c 'while :; do "$1" 3; done' supervisor "$relais" < /dev/null > /dev/null 2>&1 &
echo $!
