#include "Core/Provenance.h"

#include "Core/BundleIdentifier.h"
#include "Core/FileUtils.h"
#include "Platform/Applications.h"
#include "Platform/FileSystem.h"
#include "Platform/Metadata.h"
#include "Platform/SystemRoot.h"

#include <QDir>
#include <QStringList>
#include <QTextBoundaryFinder>
#include <QUrl>
#include <QVariantList>

using namespace Qt::StringLiterals;

namespace {

// Last words of an identifier that name a flavour of the application rather than the application.
const QStringList& genericLastWords()
{
    static const QStringList words{u"client"_s, u"app"_s, u"desktop"_s, u"mac"_s, u"macos"_s, u"helper"_s};
    return words;
}

// The components of the path that a Mac would read as its own: those below the home folder, or below the
// system root, where the path lies there.
QStringList ownComponents(const QString& path)
{
    const QString home = Platform::homeFolder();
    QString relative = path;
    if (Platform::isEqualOrUnder(path, home))
        relative = path.mid(home.size());
    else if (const QString macPath = Platform::macPathOf(path); !macPath.isEmpty())
        relative = macPath;
    return relative.split(u'/', Qt::SkipEmptyParts);
}

} // namespace

Provenance Provenance::of(const QString& url)
{
    Provenance provenance;
    provenance.kind = kindForPath(url);
    provenance.owner = ownerOf(url);
    provenance.staleness = stalenessOf(url);
    provenance.downloadedFrom = downloadHost(url);
    return provenance;
}

Provenance::Kind Provenance::kindForPath(const QString& path)
{
    if (path.contains(u"/.Trash"_s) || path.contains(u"/Trash/"_s))
        return Kind::trash;
    if (path.contains(u"/Caches/"_s) || path.endsWith(u"/Caches"_s))
        return Kind::cache;
    if (path.contains(u"/Logs/"_s) || path.endsWith(u".log"_s))
        return Kind::log;
    if (path.contains(u"/Downloads/"_s))
        return Kind::download;
    if (path.contains(u"/Application Support/"_s) || path.contains(u"/Containers/"_s))
        return Kind::support;
    return Kind::unknown;
}

std::optional<Provenance::Owner> Provenance::ownerOf(const QString& url)
{
    const QString path = QDir::cleanPath(url);
    const QStringList components = ownComponents(path);
    for (qsizetype i = components.size() - 1; i >= 0; --i) {
        const QString& component = components[i];
        if (component.count(u'.') < 2)
            continue;
        // Every component but the last is a folder the entry lies in.
        bool isRegularFile = false;
        if (i == components.size() - 1) {
            const auto info = Platform::fileInfo(path);
            isRegularFile = info && info->isRegular();
        }
        const std::optional<QString> identifier = BundleIdentifier::fromEntryName(component, isRegularFile);
        if (!identifier)
            continue;
        const std::optional<QString> application = Platform::applicationForBundleIdentifier(*identifier);
        return Owner{*identifier, ownerName(*identifier, application), application.has_value()};
    }
    return std::nullopt;
}

QString Provenance::ownerName(const QString& bundleID, const std::optional<QString>& appURL)
{
    if (appURL)
        return Platform::displayName(*appURL).remove(u".app"_s);
    const QStringList pieces = bundleID.split(u'.', Qt::SkipEmptyParts);
    if (pieces.isEmpty())
        return capitalizingFirstLetter(bundleID);
    const QString& last = pieces.last();
    if (pieces.size() >= 2 && genericLastWords().contains(last.toLower()))
        return capitalizingFirstLetter(pieces[pieces.size() - 2]);
    return capitalizingFirstLetter(last);
}

QString Provenance::capitalizingFirstLetter(const QString& text)
{
    if (text.isEmpty())
        return text;
    // The first character as the reader sees it: a letter with its combining accents.
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    const qsizetype end = graphemes.toNextBoundary();
    const qsizetype length = end > 0 ? end : 1;
    // Upper-casing a character that already is upper-case changes nothing.
    return text.left(length).toUpper() + text.mid(length);
}

std::optional<QString> Provenance::downloadHost(const QString& url)
{
    const std::optional<QVariant> sources = Platform::Metadata::value(url, Platform::Metadata::whereFroms);
    if (!sources || sources->typeId() != QMetaType::QVariantList)
        return std::nullopt;
    const QVariantList list = sources->toList();
    for (const QVariant& source : list) {
        if (source.typeId() != QMetaType::QString)
            return std::nullopt;
    }
    for (const QVariant& source : list) {
        const QUrl address(source.toString(), QUrl::StrictMode);
        if (!address.isValid())
            continue;
        QString host = address.host();
        if (host.isEmpty())
            continue;
        if (host.startsWith(u"www."_s))
            host.remove(0, 4);
        if (!host.isEmpty())
            return host;
    }
    return std::nullopt;
}

std::optional<Provenance::Staleness> Provenance::stalenessOf(const QString& url)
{
    const std::optional<QVariant> lastUsed = Platform::Metadata::value(url, Platform::Metadata::lastUsedDate);
    if (lastUsed && lastUsed->typeId() == QMetaType::QDateTime && lastUsed->toDateTime().isValid())
        return Staleness::opened(lastUsed->toDateTime());
    if (const std::optional<QDateTime> modified = FileUtils::modificationDate(url))
        return Staleness::modified(*modified);
    return std::nullopt;
}
