#!/usr/bin/env bash
# The layer check on a scratch tree: it passes a tree that keeps to its layers and fails, naming file and
# include, on an upward include and on widget or GUI headers where they have no place.
set -euo pipefail
check="$(cd "$(dirname "$0")/../.." && pwd)/scripts/check-layers.sh"
scratch=$(mktemp -d "${TMPDIR:-/tmp}/check-layers.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

plant() { mkdir -p "$(dirname "$scratch/$1")"; printf '%s\n' "${@:2}" > "$scratch/$1"; }
expect() {
    if ! grep -qF -- "$1" "$scratch/out"; then
        echo "FAIL: expected a line with: $1" >&2
        cat "$scratch/out" >&2
        exit 1
    fi
}

plant src/Platform/Seam.h '#include <QString>' '#include "Platform/Other.h"'
plant src/Core/Model.cpp '#include "Core/Model.h"' '#include "Platform/Seam.h"' '#include <QtCore/QObject>'
plant src/Scan/ScanViewModel.cpp '#include "Scan/ScanViewModel.h"' '#include "Scanners/ModuleScanner.h"'
plant src/Scan/Screen.cpp '#include <QWidget>' '#include "Look/Theme.h"' '#include "Scan/ScanViewModel.h"'
plant src/App/Window.cpp '#include <QtWidgets/QMainWindow>' '#include "Tools/SpaceMap.h"'
if ! bash "$check" "$scratch" > "$scratch/out" 2>&1; then
    echo "FAIL: a tree that keeps to its layers was refused" >&2
    cat "$scratch/out" >&2
    exit 1
fi

plant src/Core/Upward.cpp '#include "Core/Model.h"' '#include "Scan/ScanViewModel.h"'
plant src/Scanners/Tint.cpp '#include <QColor>' '#  include <QtGui/QPainter>' '#include <QtWidgets>'
plant src/Scan/ScanViewModel.cpp '#include "Scan/ScanViewModel.h"' '#include <QPixmap>'
plant src/Tools/Sibling.cpp '#include "Performance/Gauge.h"'
if bash "$check" "$scratch" > "$scratch/out" 2>&1; then
    echo "FAIL: the check passed a tree that breaks its layers" >&2
    cat "$scratch/out" >&2
    exit 1
fi
expect 'src/Core/Upward.cpp:2: includes "Scan/ScanViewModel.h"; Core may include only from Platform, Core'
expect 'src/Scanners/Tint.cpp:1: includes <QColor>, a widget or GUI header'
expect 'src/Scanners/Tint.cpp:2: includes <QtGui/QPainter>'
expect 'src/Scanners/Tint.cpp:3: includes <QtWidgets>'
expect 'src/Scan/ScanViewModel.cpp:2: includes <QPixmap>, a widget or GUI header, in a view-model file'
expect 'src/Tools/Sibling.cpp:1: includes "Performance/Gauge.h"'
[[ $(grep -c '^src/' "$scratch/out") -eq 6 ]] || { echo "FAIL: unexpected lines" >&2; cat "$scratch/out" >&2; exit 1; }
echo "PASS"
