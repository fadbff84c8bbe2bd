#include "Core/ProcessRunner.h"

#include "Sandbox.h"
#include "TempTree.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using OptimizationService::ProcessResult;
using TestSupport::contentOf;

namespace {

class ProcessRunner : public ::testing::Test
{
protected:
    void SetUp() override { TestSupport::installStandIns(); }
    void TearDown() override { qunsetenv("QUORVANE_OSASCRIPT_CANCEL"); }
};

} // namespace

TEST_F(ProcessRunner, runsUnderTheSystemRootWithoutAShell)
{
    EXPECT_EQ(OptimizationService::run(u"/usr/bin/missing-tool"_s, {}, true), (ProcessResult{-1, QString()}));
    EXPECT_EQ(OptimizationService::run(u"/bin/sh"_s, {u"-c"_s, u"printf '%s|' \"$@\""_s, u"sh"_s, u"a b"_s, u"$HOME"_s},
                                       true),
              (ProcessResult{0, u"a b|$HOME|"_s}));
    EXPECT_EQ(OptimizationService::run(u"/bin/sh"_s, {u"-c"_s, u"exit 7"_s}, false).status, 7);
}

TEST_F(ProcessRunner, mergesOrDiscardsStandardError)
{
    const QStringList arguments{u"-c"_s, u"echo out; echo err >&2"_s};
    EXPECT_EQ(OptimizationService::run(u"/bin/sh"_s, arguments, false).output, u"out\n"_s);
    const QString merged = OptimizationService::run(u"/bin/sh"_s, arguments, true).output;
    EXPECT_TRUE(merged.contains(u"out\n"_s));
    EXPECT_TRUE(merged.contains(u"err\n"_s));
}

TEST_F(ProcessRunner, readsLargeAndInvalidOutputToTheEnd)
{
    const ProcessResult big =
        OptimizationService::run(u"/bin/sh"_s, {u"-c"_s, u"head -c 300000 /dev/zero | tr '\\0' a"_s}, false);
    EXPECT_EQ(big.status, 0);
    EXPECT_EQ(big.output.size(), 300000);
    const ProcessResult bad = OptimizationService::run(u"/bin/sh"_s, {u"-c"_s, u"printf 'ok \\377 été'"_s}, false);
    EXPECT_EQ(bad.output, u"ok \uFFFD été"_s);
}

TEST_F(ProcessRunner, administratorCommandsReachTheShellUnchanged)
{
    const TempTree tree;
    const QString target = tree.path(u"out.txt"_s);
    const QString text = u"a\"b\\c 'q' $HOME `id` \\\" é\nline"_s;
    const QString command = u"printf '%s' "_s + OptimizationService::shellQuoted(text) + u" > "_s +
                            OptimizationService::shellQuoted(target);
    EXPECT_EQ(OptimizationService::runAsAdministrator(command), std::nullopt);
    EXPECT_EQ(QString::fromUtf8(contentOf(target)), text);
}

TEST_F(ProcessRunner, everyCharacterOfAnAdministratorCommandReachesTheShell)
{
    // Control characters included: a stand-in that took 0x01 for a separator made 'a\x01b' name "ab".
    QString text;
    for (char16_t c = 1; c < 0x100; ++c)
        text += QChar(c);
    text += u"\\\n\n"_s;
    const TempTree tree;
    const QString target = tree.path(u"out.txt"_s);
    const QString command = u"printf '%s' "_s + OptimizationService::shellQuoted(text) + u" > "_s +
                            OptimizationService::shellQuoted(target);
    EXPECT_EQ(OptimizationService::runAsAdministrator(command), std::nullopt);
    EXPECT_EQ(QString::fromUtf8(contentOf(target)), text);
}

TEST_F(ProcessRunner, administratorFailuresAreFrench)
{
    EXPECT_EQ(OptimizationService::runAsAdministrator(u"exit 3"_s), u"Échec (code 3)."_s);
    EXPECT_EQ(OptimizationService::runAsAdministrator(u"echo '  rm: impossible  ' >&2; exit 1"_s), u"rm: impossible"_s);
    qputenv("QUORVANE_OSASCRIPT_CANCEL", "1");
    EXPECT_EQ(OptimizationService::runAsAdministrator(u"true"_s), u"Annulé."_s);
    // A tool that never started says so rather than quoting a status it never had.
    EXPECT_EQ(OptimizationService::failureText({-1, QString()}), u"L'outil n'a pas pu démarrer."_s);
    EXPECT_EQ(OptimizationService::failureText({2, QString()}), u"Échec (code 2)."_s);
}

TEST(AppleScriptEscaping, backslashesFirstThenQuotes)
{
    EXPECT_EQ(OptimizationService::appleScriptEscaped(u"a\\\"b"_s), u"a\\\\\\\"b"_s);
    EXPECT_EQ(OptimizationService::shellQuoted(u"it's"_s), u"'it'\\''s'"_s);
}
