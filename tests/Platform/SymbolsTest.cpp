#include "Platform/Symbols.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Every symbol name that the screens, the scanners and the shared look are written to use, whether or not the
// code that names it exists yet.
const QStringList kNamedByTheInterface = {
    u"app.badge.checkmark"_s,
    u"app.dashed"_s,
    u"apple.logo"_s,
    u"archivebox"_s,
    u"arrow.down.circle"_s,
    u"arrow.down.doc"_s,
    u"arrow.triangle.2.circlepath"_s,
    u"arrow.up.forward.app"_s,
    u"arrow.uturn.backward"_s,
    u"arrow.uturn.backward.circle.fill"_s,
    u"arrow.uturn.forward"_s,
    u"bolt"_s,
    u"bolt.badge.clock"_s,
    u"calendar"_s,
    u"calendar.badge.clock"_s,
    u"chart.pie"_s,
    u"checkmark"_s,
    u"checkmark.circle"_s,
    u"checkmark.circle.fill"_s,
    u"checkmark.seal"_s,
    u"checkmark.seal.fill"_s,
    u"chevron.right"_s,
    u"clock"_s,
    u"clock.arrow.2.circlepath"_s,
    u"clock.arrow.circlepath"_s,
    u"clock.badge.exclamationmark"_s,
    u"cpu"_s,
    u"doc"_s,
    u"doc.fill"_s,
    u"doc.on.doc"_s,
    u"doc.richtext"_s,
    u"doc.text"_s,
    u"doc.viewfinder"_s,
    u"exclamationmark.circle.fill"_s,
    u"exclamationmark.shield"_s,
    u"exclamationmark.triangle.fill"_s,
    u"externaldrive.badge.minus"_s,
    u"externaldrive.badge.timemachine"_s,
    u"externaldrive.trianglebadge.exclamationmark"_s,
    u"film"_s,
    u"flame"_s,
    u"folder.badge.questionmark"_s,
    u"folder.fill"_s,
    u"gearshape"_s,
    u"globe"_s,
    u"hammer"_s,
    u"hand.point.up.left"_s,
    u"hand.raised"_s,
    u"hand.raised.slash"_s,
    u"hand.tap"_s,
    u"hourglass"_s,
    u"info.circle"_s,
    u"info.circle.fill"_s,
    u"internaldrive"_s,
    u"iphone"_s,
    u"list.bullet.rectangle"_s,
    u"lock.fill"_s,
    u"lock.rotation"_s,
    u"macwindow"_s,
    u"magnifyingglass"_s,
    u"memorychip"_s,
    u"network"_s,
    u"opticaldiscdrive"_s,
    u"paperclip"_s,
    u"power"_s,
    u"puzzlepiece.extension"_s,
    u"questionmark.circle"_s,
    u"safari"_s,
    u"scissors"_s,
    u"shield.lefthalf.filled"_s,
    u"shippingbox"_s,
    u"shippingbox.fill"_s,
    u"sparkles"_s,
    u"speedometer"_s,
    u"square.and.pencil"_s,
    u"square.stack.3d.up.slash"_s,
    u"stethoscope"_s,
    u"textformat"_s,
    u"trash"_s,
    u"trash.slash"_s,
    u"waveform"_s,
    u"wrench.and.screwdriver"_s,
    u"xmark.circle.fill"_s,
};

// Symbol literals as the code writes them: sfSymbol(u"…") calls and `.symbol = u"…"` initialisers.
QStringList symbolLiteralsInSources()
{
    static const QRegularExpression pattern(uR"re((?:\bsfSymbol\s*\(\s*|\.symbol\s*=\s*)u"([^"]*)")re"_s);
    QStringList found;
    QDirIterator files(QStringLiteral(QP_SOURCE_DIR "/src"), {u"*.cpp"_s, u"*.h"_s}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString text = QString::fromUtf8(file.readAll());
        for (const QRegularExpressionMatch& match : pattern.globalMatch(text))
            found.append(match.captured(1));
    }
    return found;
}

} // namespace

TEST(Symbols, everyNameTheInterfaceUsesHasAGlyph)
{
    for (const QString& name : kNamedByTheInterface)
        EXPECT_TRUE(Platform::symbolGlyph(name).has_value()) << name.toStdString();
}

TEST(Symbols, everySymbolLiteralInTheSourcesHasAGlyph)
{
    const QStringList literals = symbolLiteralsInSources();
    // The shared look names some itself (the banner kinds, the check marks); none found means the pattern broke.
    ASSERT_TRUE(literals.contains(u"exclamationmark.triangle.fill"_s));
    ASSERT_TRUE(literals.contains(u"checkmark"_s));
    for (const QString& name : literals)
        EXPECT_TRUE(Platform::symbolGlyph(name).has_value()) << name.toStdString();
}

TEST(Symbols, tableIsExactAboutNames)
{
    const QStringList known = Platform::knownSymbols();
    EXPECT_EQ(QSet<QString>(known.begin(), known.end()).size(), known.size()) << "a name listed twice";
    for (const QString& name : known)
        EXPECT_GE(*Platform::symbolGlyph(name), 0xE000u) << "outside the icon font's private-use area";
    EXPECT_EQ(Platform::symbolGlyph(u"trash"), U'\xE872');
    for (const auto* unknown : {u"", u"Trash", u"trash ", u"trash.fill.nothing"})
        EXPECT_FALSE(Platform::symbolGlyph(QStringView(unknown)).has_value());
}
