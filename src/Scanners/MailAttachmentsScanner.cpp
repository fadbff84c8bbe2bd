#include "Scanners/MailAttachmentsScanner.h"

#include "Core/FileUtils.h"
#include "Platform/FileSystem.h"
#include "Scanners/ScanFilter.h"
#include "Scanners/ScanItems.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int kProgressEvery = 500;

} // namespace

QString MailAttachmentsScanner::emptyTitle() const
{
    return u"Aucune pièce jointe en cache"_s;
}

QString MailAttachmentsScanner::emptyMessage() const
{
    return u"Mail ne conserve rien de volumineux en local."_s;
}

QString MailAttachmentsScanner::mailboxName(const QString& attachments)
{
    // The folder's own extension is not looked at: only its ancestors name a mailbox.
    QStringView folder(attachments);
    for (qsizetype slash = folder.lastIndexOf(u'/'); slash > 0; slash = folder.lastIndexOf(u'/')) {
        folder = folder.left(slash);
        const QStringView name = folder.mid(folder.lastIndexOf(u'/') + 1);
        if (name.size() > 5 && name.endsWith(u".mbox")) // ".mbox" alone is a hidden name, not an extension
            return name.chopped(5).toString();
    }
    return FileUtils::abbreviatedPath(attachments);
}

QList<ScanGroup> MailAttachmentsScanner::scan(const Progress& progress, std::stop_token stop) const
{
    const auto report = [&](double fraction, const QString& label) {
        if (progress)
            progress(fraction, label);
    };
    QList<ScanItem> items;

    report(0.1, u"Boîtes aux lettres…"_s);
    long walked = 0;
    Platform::walkTree(
        FileUtils::libraryURL({u"Mail"_s}),
        [&](const Platform::FileInfo& entry, int) {
            if (entry.name.startsWith(u'.'))
                return Platform::WalkStep::SkipDescendants; // hidden: neither counted nor entered
            ++walked;
            if (walked % kProgressEvery == 0)
                report(std::min(0.1 + double(walked) / 20000.0, 0.8), FileUtils::abbreviatedPath(entry.path));
            // Exactly "Attachments", and a real folder: a file or a link of that name is not one.
            if (entry.name != u"Attachments" || !entry.isDirectory())
                return Platform::WalkStep::Continue;
            if (std::optional<ScanItem> item = ScanItems::measured(*m_exclusions, entry.path, Removal::Mode::trash(),
                                                                   stop, mailboxName(entry.path)))
                items.append(std::move(*item));
            return Platform::WalkStep::SkipDescendants; // taken whole
        },
        stop);

    report(0.9, u"Téléchargements Mail…"_s);
    const QString downloads =
        FileUtils::libraryURL({u"Containers"_s, u"com.apple.mail"_s, u"Data"_s, u"Library"_s, u"Mail Downloads"_s});
    for (const QString& child : ModuleScanner::directoryContents(downloads)) {
        // Listed even after a stop, as the walk's findings are: the folder is small.
        if (std::optional<ScanItem> item =
                ScanItems::measured(*m_exclusions, child, Removal::Mode::trash(), {}, u"Ouvert depuis Mail"_s))
            items.append(std::move(*item));
    }
    report(1.0, QString());

    // An exclusion added while the scan ran still takes effect.
    items.removeIf([this](const ScanItem& item) { return ScanFilter::isSkipped(*m_exclusions, item.url); });
    if (std::optional<ScanGroup> group =
            ScanItems::group(u"Copies locales de pièces jointes"_s, u"paperclip"_s,
                             u"Les messages restent intacts ; Mail retéléchargera à la demande."_s, std::move(items)))
        return {std::move(*group)};
    return {};
}
