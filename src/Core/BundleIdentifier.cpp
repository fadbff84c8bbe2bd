#include "Core/BundleIdentifier.h"

#include <algorithm>

#include <QChar>
#include <QList>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace BundleIdentifier {

namespace {

// The data files applications keep under their identifier's name.
const QStringList& fileExtensions()
{
    static const QStringList extensions{u".plist"_s, u".db"_s,  u".sqlite"_s, u".sqlite3"_s,      u".log"_s,
                                        u".json"_s,  u".txt"_s, u".xml"_s,    u".binarycookies"_s};
    return extensions;
}

// Tried in this order, each dropped when the name ends with it.
const QStringList& systemSuffixes()
{
    static const QStringList suffixes{u".savedState"_s, u".sfl3"_s, u".sfl2"_s, u".LSSharedFileList"_s};
    return suffixes;
}

bool isTeamPrefix(QStringView part)
{
    const QList<uint> characters = part.toUcs4();
    if (characters.size() != 10)
        return false;
    for (const uint c : characters) {
        const QChar::Category category = QChar::category(c);
        if (category != QChar::Letter_Uppercase && category != QChar::Letter_Titlecase &&
            category != QChar::Number_DecimalDigit)
            return false;
    }
    return true;
}

bool isDigitsOnly(QStringView piece)
{
    for (const QChar c : piece) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

} // namespace

std::optional<QString> fromEntryName(const QString& name, bool isRegularFile)
{
    QString s = name;
    if (isRegularFile) {
        for (const QString& extension : fileExtensions()) {
            if (s.endsWith(extension, Qt::CaseInsensitive)) {
                s.chop(extension.size());
                break;
            }
        }
    }
    if (s.startsWith(u"group."_s))
        s.remove(0, 6);
    if (const qsizetype dot = s.indexOf(u'.'); dot >= 0 && isTeamPrefix(QStringView(s).left(dot)))
        s.remove(0, dot + 1);
    for (const QString& suffix : systemSuffixes()) {
        if (s.endsWith(suffix))
            s.chop(suffix.size());
    }

    const QStringList pieces = s.split(u'.');
    if (pieces.size() < 3)
        return std::nullopt;
    for (const QString& piece : pieces) {
        if (piece.isEmpty() || piece.contains(u' ') || isDigitsOnly(piece))
            return std::nullopt;
    }
    const QList<uint> characters = s.toUcs4();
    for (const uint c : characters) {
        if (!QChar::isLetterOrNumber(c) && c != u'.' && c != u'-' && c != u'_')
            return std::nullopt;
    }
    if (!QChar::isLetter(characters.first()))
        return std::nullopt;
    return s;
}

namespace {

const QStringList& systemPrefixes()
{
    static const QStringList prefixes{u"com.apple."_s, u"group.com.apple."_s, u"apple."_s,
                                      u"com.microsoft.autoupdate"_s, u"systemgroup."_s};
    return prefixes;
}

// The folders the system keeps in the user's Library under plain names, lower-case: the device backups, the
// iCloud Drive and sync stores, the address book, call history and usage databases, the crash reports.
const QStringList& systemFolderNames()
{
    static const QStringList names{
        u"mobilesync"_s,   u"clouddocs"_s,     u"knowledge"_s,
        u"addressbook"_s,  u"callhistorydb"_s, u"callhistorytransactions"_s,
        u"syncservices"_s, u"fileprovider"_s,  u"icloud"_s,
        u"cloudkit"_s,     u"crashreporter"_s, u"diagnosticreports"_s,
        u"familycircle"_s, u"animoji"_s,       u"differentialprivacy"_s,
    };
    return names;
}

} // namespace

bool isSystem(const QString& identifier)
{
    const QString lowered = identifier.toLower();
    return std::any_of(systemPrefixes().cbegin(), systemPrefixes().cend(),
                       [&](const QString& prefix) { return lowered.startsWith(prefix); });
}

bool isSystemEntry(const QString& name, bool isRegularFile)
{
    if (isSystem(name))
        return true;
    if (const std::optional<QString> identifier = fromEntryName(name, isRegularFile);
        identifier && isSystem(*identifier))
        return true;
    const QString lowered = name.toLower();
    return std::any_of(systemFolderNames().cbegin(), systemFolderNames().cend(), [&](const QString& folder) {
        return lowered == folder || lowered.startsWith(folder + u'.') || lowered.startsWith(folder + u'-');
    });
}

bool isOwnName(const QString& identifier)
{
    const QStringList parts = identifier.split(u'.');
    if (parts.size() < 2 ||
        std::any_of(parts.cbegin(), parts.cend(), [](const QString& part) { return part.isEmpty(); }))
        return false;
    if (isSystem(identifier))
        return false;
    const QString dotted = identifier.toLower() + u'.';
    return std::none_of(systemPrefixes().cbegin(), systemPrefixes().cend(),
                        [&](const QString& prefix) { return prefix.startsWith(dotted); });
}

} // namespace BundleIdentifier
