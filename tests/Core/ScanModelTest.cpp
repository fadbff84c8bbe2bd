#include "Core/ScanModel.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

ScanItem item(bool selected)
{
    return ScanItem{QUuid::createUuid(),    u"/x"_s,     u"x"_s, 1, std::nullopt, std::nullopt, selected, false,
                    Removal::Mode::trash(), std::nullopt};
}

ScanGroup groupOf(std::initializer_list<bool> selection)
{
    ScanGroup group;
    for (const bool selected : selection)
        group.items.append(item(selected));
    return group;
}

} // namespace

TEST(ThreatSeverity, rawValuesLabelsAndOrder)
{
    EXPECT_EQ(threatSeverityFromRaw(0), ThreatSeverity::suspicious);
    EXPECT_EQ(threatSeverityFromRaw(2), ThreatSeverity::confirmed);
    EXPECT_FALSE(threatSeverityFromRaw(3).has_value());
    EXPECT_FALSE(threatSeverityFromRaw(-1).has_value());
    EXPECT_LT(ThreatSeverity::suspicious, ThreatSeverity::likely);
    EXPECT_LT(ThreatSeverity::likely, ThreatSeverity::confirmed);
    EXPECT_EQ(label(ThreatSeverity::suspicious), u"À vérifier"_s);
    EXPECT_EQ(label(ThreatSeverity::likely), u"Probable"_s);
    EXPECT_EQ(label(ThreatSeverity::confirmed), u"Confirmé"_s);
}

TEST(Threat, summaryJoinsLabelFamilyAndFirstReason)
{
    struct Case {
        Threat threat;
        QString expected;
    };
    const Case cases[] = {
        {{ThreatSeverity::confirmed, u"F"_s, {u"R1"_s, u"R2"_s}, std::nullopt},
         u"Confirmé — famille «\u00A0F\u00A0» · R1"_s},
        {{ThreatSeverity::likely, u"Genieo"_s, {}, std::nullopt}, u"Probable — famille «\u00A0Genieo\u00A0»"_s},
        {{ThreatSeverity::suspicious, std::nullopt, {u"R1"_s, u"R2"_s}, std::nullopt}, u"À vérifier · R1"_s},
        {{ThreatSeverity::suspicious, std::nullopt, {}, u"com.x"_s}, u"À vérifier"_s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.threat.summary(), c.expected);
}

TEST(ScanGroup, selectionStateIsTrueFalseOrMixed)
{
    EXPECT_EQ(groupOf({}).selectionState(), std::optional<bool>(false));
    EXPECT_EQ(groupOf({false, false, false}).selectionState(), std::optional<bool>(false));
    EXPECT_EQ(groupOf({true, true, true}).selectionState(), std::optional<bool>(true));
    EXPECT_EQ(groupOf({true, false, false}).selectionState(), std::nullopt);
}

TEST(ScanItem, equalityComparesEveryFieldButHashingOnlyTheIdentity)
{
    const ScanItem a = item(true);
    ScanItem b = a;
    EXPECT_EQ(a, b);
    b.isSelected = false;
    EXPECT_NE(a, b);
    EXPECT_EQ(qHash(a), qHash(b));
    EXPECT_EQ(std::hash<ScanItem>{}(a), std::hash<ScanItem>{}(b));
    b = a;
    b.removalMode = Removal::Mode::deletion();
    EXPECT_NE(a, b);
}

TEST(ScanItem, threatIsAValueCopiedAndComparedByContent)
{
    const Threat threat{ThreatSeverity::likely, u"F"_s, {u"R1"_s}, u"com.x"_s};
    ScanItem a = item(true);
    a.threat = threat;
    ScanItem b = a;
    EXPECT_EQ(a, b);
    EXPECT_NE(&*a.threat, &*b.threat); // a copy of its own, not the same threat
    a = item(true);
    EXPECT_FALSE(a.threat.has_value());
    EXPECT_EQ(b.threat, threat);
    b.threat = Threat{ThreatSeverity::likely, u"F"_s, {u"R1"_s}, u"com.x"_s};
    EXPECT_EQ(b.threat, threat);
    ScanItem c = b;
    c.threat = Threat{ThreatSeverity::likely, u"F"_s, {u"R2"_s}, u"com.x"_s};
    EXPECT_NE(b, c);
    c.threat = std::nullopt;
    EXPECT_NE(b, c);
    EXPECT_TRUE(c.threat == std::nullopt);
    c = std::move(b);
    EXPECT_EQ(c.threat->reasons, QStringList{u"R1"_s});
}

TEST(RemovalMode, equalityLooksAtTheCaseAndItsOwnValue)
{
    using Removal::Mode;
    EXPECT_EQ(Mode::shred(3), Mode::shred(3));
    EXPECT_NE(Mode::shred(3), Mode::shred(7));
    EXPECT_EQ(Mode::threat(std::nullopt), Mode::threat(std::nullopt));
    EXPECT_EQ(Mode::threat(u"com.a"_s), Mode::threat(u"com.a"_s));
    EXPECT_NE(Mode::threat(u"com.a"_s), Mode::threat(std::nullopt));
    EXPECT_NE(Mode::trash(), Mode::deletion());
    Mode odd = Mode::trash();
    odd.passes = 9; // a payload that belongs to another case plays no part
    EXPECT_EQ(odd, Mode::trash());
}
