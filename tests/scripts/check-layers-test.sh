#!/usr/bin/env bash
# The layer check on a scratch tree: it passes a tree that keeps to its layers and fails, naming file and
# include, on an upward include and on widget or GUI headers where they have no place; it refuses a service
# (the exclusions, the preferences, the journal) kept for the whole process, and a test setter in src.
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

# A service kept for the whole process is refused in every folder, the composition root's and its own files
# included; its nested types and statics of other types stay free.
rm -rf "$scratch/src"
plant src/Core/History.h 'static QString defaultFileURL();' 'static constexpr int sessionLimit = 200;'
plant src/App/Tally.cpp 'static History::RestoreTally tally;' 'static const QString kHistory = QString();'
if ! bash "$check" "$scratch" > "$scratch/out" 2>&1; then
    echo "FAIL: a tree that makes no service process-wide was refused" >&2
    cat "$scratch/out" >&2
    exit 1
fi
plant src/Core/Exclusions.cpp 'Exclusions& Exclusions::shared()' '{' \
    '    static SharedInstance<Exclusions> instance(make);' '}'
plant src/Core/Preferences.h '    static Preferences& shared();' '    // static Preferences& shared();'
plant src/Main/Root.cpp 'History& history = History::shared();'
plant src/App/Keep.cpp 'static QPointer<History> kept;' 'static const Exclusions* list = nullptr;'
if bash "$check" "$scratch" > "$scratch/out" 2>&1; then
    echo "FAIL: the check passed a service made process-wide" >&2
    cat "$scratch/out" >&2
    exit 1
fi
expect 'src/Core/Exclusions.cpp:1: defines Exclusions::shared()'
expect 'src/Core/Exclusions.cpp:3: names SharedInstance'
expect 'src/Core/Preferences.h:1: keeps Preferences in a static'
expect 'src/Main/Root.cpp:1: reaches History::shared()'
expect 'src/App/Keep.cpp:1: keeps History in a static'
expect 'src/App/Keep.cpp:2: keeps Exclusions in a static'
[[ $(grep -c '^src/' "$scratch/out") -eq 6 ]] || { echo "FAIL: unexpected lines" >&2; cat "$scratch/out" >&2; exit 1; }

# A test setter is refused wherever it is declared or defined, the composition root included; comments naming one,
# the `override` keyword and names that merely hold the word stay free.
rm -rf "$scratch/src"
plant src/Core/Reader.h 'class Reader final : public Source' '{' '    bool read() const override;' \
    '    // Once held setFaultForTests(), now a seam.' '    QString OverrideTitle() const;' '};'
if ! bash "$check" "$scratch" > "$scratch/out" 2>&1; then
    echo "FAIL: a tree without a test setter was refused" >&2
    cat "$scratch/out" >&2
    exit 1
fi
plant src/Platform/Reading.h '#include <functional>' \
    'void setFaultForTests(std::function<bool(const QString& path)> fault);'
plant src/Main/Root.cpp 'void Root::setUserCanWriteOverride (bool can) // until a seam' '{' '}'
if bash "$check" "$scratch" > "$scratch/out" 2>&1; then
    echo "FAIL: the check passed a test setter in src" >&2
    cat "$scratch/out" >&2
    exit 1
fi
expect 'src/Platform/Reading.h:2: names setFaultForTests(), a test setter'
expect 'src/Main/Root.cpp:1: names setUserCanWriteOverride(), a test setter'
[[ $(grep -c '^src/' "$scratch/out") -eq 2 ]] || { echo "FAIL: unexpected lines" >&2; cat "$scratch/out" >&2; exit 1; }
echo "PASS"
