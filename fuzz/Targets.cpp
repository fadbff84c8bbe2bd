#include "Targets.h"

#include "Core/HistoryFile.h"
#include "Platform/FileOperations.h"
#include "Platform/FileSystem.h"
#include "Platform/ProcText.h"
#include "Platform/PropertyList.h"
#include "Platform/UserDefaults.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace FuzzTargets {

QString propertyList(QByteArrayView input)
{
    using namespace Platform::PropertyList;
    const std::optional<QVariant> value = parse(input.toByteArray());
    if (!value)
        return {};
    serialize(*value, Format::Xml); // only for what the library might do with it
    const std::optional<QByteArray> written = serialize(*value, Format::Binary);
    if (!written)
        return u"a value read could not be written"_s;
    const std::optional<QVariant> again = parse(*written);
    if (!again)
        return u"what was written could not be read"_s;
    if (serialize(*again, Format::Binary) != written)
        return u"reading what was written gave another value"_s;
    return {};
}

QString userDefaults(QByteArrayView input, const QString& folder)
{
    for (const Platform::FileInfo& entry : Platform::listFolder(folder))
        Platform::removeItem(entry.path);
    const QString file = folder + u"/fuzz.plist"_s;
    if (auto failure = Platform::writeFileAtomically(file, input.toByteArray()))
        return u"the input could not be laid out: "_s + *failure;
    QVariantMap expected;
    {
        const std::shared_ptr<Platform::UserDefaults> store = Platform::UserDefaults::atPath(file);
        expected = store->dictionary();
        if (auto failure = store->setValue(u"fuzz.other"_s, true))
            return u"another key could not be written: "_s + *failure;
        expected.insert(u"fuzz.other"_s, true);
    }
    const std::optional<QVariant> stored = Platform::PropertyList::readFile(file);
    if (!stored)
        return u"the written file could not be read"_s;
    // Compared as written bytes: a NaN is never equal to itself.
    if (Platform::PropertyList::serialize(*stored) != Platform::PropertyList::serialize(expected))
        return u"the written file does not hold what the store held"_s;
    return {};
}

QString journal(QByteArrayView input)
{
    const std::optional<QList<CleaningSession>> whole = HistoryFile::decode(input);
    for (const int pieces : {1, 2, 3, 8}) {
        if (HistoryFile::decode(input, pieces) != whole)
            return u"reading in %1 pieces gave other sessions"_s.arg(pieces);
    }
    if (!whole)
        return {};
    QByteArray text;
    bool exact = false;
    const bool encoded = HistoryFile::encode(
        *whole,
        [&text](QByteArrayView bytes) {
            text.append(bytes);
            return true;
        },
        &exact);
    if (!encoded)
        return u"sessions read could not be written"_s;
    const std::optional<QList<CleaningSession>> again = HistoryFile::decode(text);
    if (!again)
        return u"the written journal could not be read"_s;
    if (exact && *again != *whole)
        return u"an exact journal read back otherwise"_s;
    if (HistoryFile::encode(*again) != text)
        return u"decode, encode, decode is not stable"_s;
    return {};
}

QString procText(QByteArrayView input)
{
    const QByteArray text = input.toByteArray();
    if (const auto memory = Platform::ProcText::parseMeminfo(text)) {
        if (memory->active < 0 || memory->wired < 0 || memory->compressed < 0)
            return u"a memory figure below zero"_s;
    }
    if (const auto ticks = Platform::ProcText::parseStat(text)) {
        for (const double value : {ticks->user, ticks->system, ticks->idle, ticks->nice}) {
            if (!std::isfinite(value) || value < 0)
                return u"a processor figure below zero or not finite"_s;
        }
    }
    if (const auto uptime = Platform::ProcText::parseUptime(text)) {
        if (!std::isfinite(*uptime) || *uptime < 0)
            return u"an uptime below zero or not finite"_s;
    }
    return {};
}

} // namespace FuzzTargets
