#!/usr/bin/env bash
# A new cleaning module on a scratch copy of the tree: its own scanner files plus edits to at most three existing
# files (its case and row in ModuleID.h, its row in the scanner table, its sources in the scanners' CMakeLists)
# build, and the module appears in the sidebar under its section. Run by CI; it builds the application's tests in
# the copy with the ci preset, inside this tree's build folder, so that a compiler cache whose base folder is this
# tree (as CI sets it) serves every file the module leaves unchanged.
#
# Usage: tests/scripts/new-module-check.sh [BUILD-JOBS]
set -euo pipefail
here="$(cd "$(dirname "$0")/../.." && pwd)"
mkdir -p "$here/build"
scratch=$(mktemp -d "$here/build/new-module.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
cd "$here"
git ls-files -z | tar --null -T - -cf - | tar -xf - -C "$scratch"
cd "$scratch"
git init -q . && git add -A && git -c user.name=check -c user.email=check@localhost commit -qm base

# The module's own files.
cat > src/Scanners/FontCacheScanner.h <<'CPP'
#pragma once

#include "Scanners/ModuleScanner.h"

class Exclusions;

// Finds nothing yet: enough for the module to be listed and scanned.
class FontCacheScanner final : public ModuleScanner
{
public:
    FontCacheScanner(const Exclusions&, ModuleID module) : m_module(module) {}
    ModuleID moduleID() const override { return m_module; }
    bool requiresFullDiskAccess() const override { return false; }
    QList<ScanGroup> scan(const Progress&, std::stop_token) const override { return {}; }

private:
    ModuleID m_module;
};
CPP
cat > src/Scanners/FontCacheScanner.cpp <<'CPP'
#include "Scanners/FontCacheScanner.h"
CPP

# The three edits.
python3 - <<'PY'
import re
p = 'src/Core/ModuleID.h'
s = open(p).read()
s = s.replace('    duplicates,\n', '    duplicates,\n    fontCache,\n', 1)
row = ('    {ModuleID::fontCache, u"fontCache", u"Caches de polices", u"Les caches que le système refait seul.",\n'
       '     u"trash.slash", ModuleSection::cleanup, ModuleTint::teal},\n')
s = re.sub(r'(    \{ModuleID::snapshots,)', row.replace('\\', '\\\\') + r'\1', s, count=1)
open(p, 'w').write(s)
p = 'src/Scanners/ScannerFactory.cpp'
s = open(p).read()
s = s.replace('#include "Scanners/DuplicatesScanner.h"\n',
              '#include "Scanners/DuplicatesScanner.h"\n#include "Scanners/FontCacheScanner.h"\n', 1)
s = s.replace('const ScannerRow kScanners[] = {\n', 'const ScannerRow kScanners[] = {\n'
              '    {ModuleID::fontCache, ResultsScreen::generic,\n'
              '     [](ModuleID module, const Exclusions& exclusions) -> ScannerPtr {\n'
              '         return std::make_shared<const FontCacheScanner>(exclusions, module);\n'
              '     }},\n', 1)
open(p, 'w').write(s)
p = 'src/Scanners/CMakeLists.txt'
s = open(p).read()
s = s.replace('    DuplicatesScanner.cpp DuplicatesScanner.h\n',
              '    DuplicatesScanner.cpp DuplicatesScanner.h\n    FontCacheScanner.cpp FontCacheScanner.h\n', 1)
open(p, 'w').write(s)
PY
changed=$(git diff --name-only | wc -l)
if [[ $changed -gt 3 ]]; then
    echo "FAIL: a new module edited $changed existing files:" >&2
    git diff --name-only >&2
    exit 1
fi
[[ $changed -eq 3 ]] || { echo "FAIL: the edits did not apply" >&2; git diff --stat >&2; exit 1; }

# The check itself, beside the application's tests (not part of the module).
cat > tests/App/NewModuleCheck.cpp <<'CPP'
#include "App/AppState.h"
#include "App/SidebarView.h"
#include "AppTestSupport.h"

#include <QListWidget>

#include <gtest/gtest.h>

TEST(NewModule, isListedInItsSection)
{
    AppTest::Kit kit;
    AppState state(kit.registry, kit.services.services);
    SidebarView sidebar(state);
    QStringList rows;
    for (int i = 0; i < sidebar.list()->count(); ++i)
        rows << sidebar.list()->item(i)->text();
    const qsizetype at = rows.indexOf(QStringLiteral("Caches de polices"));
    ASSERT_GE(at, 0) << rows.join(QLatin1Char('|')).toStdString();
    EXPECT_LT(rows.indexOf(QStringLiteral("Nettoyage")), at);
    EXPECT_GT(rows.indexOf(QStringLiteral("Protection")), at);
    EXPECT_TRUE(kit.registry.makeScanner(ModuleID::fontCache, kit.services.exclusions).has_value());
}
CPP
sed -i 's/SOURCES AppStateTest.cpp/SOURCES NewModuleCheck.cpp AppStateTest.cpp/' tests/App/CMakeLists.txt

cmake --preset ci > build.log 2>&1 || { cat build.log >&2; exit 1; }
cmake --build build/ci --target qp_app_tests -j "${1:-$(nproc)}" >> build.log 2>&1 ||
    { tail -40 build.log >&2; echo "FAIL: the tree with a new module does not build" >&2; exit 1; }
QT_QPA_PLATFORM=offscreen build/ci/tests/App/qp_app_tests --gtest_filter='NewModule.*:Sidebar.badgesCountResultsOnlyWhileTheyAreShown' ||
    { echo "FAIL: the new module is not in the sidebar" >&2; exit 1; }
echo "PASS: a new module took $changed existing files and appears in the sidebar"
