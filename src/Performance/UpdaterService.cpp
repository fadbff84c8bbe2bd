#include "Performance/UpdaterService.h"

#include "Core/SystemInfo.h"
#include "Platform/Applications.h"
#include "Platform/Symbols.h"
#include "Platform/SystemRoot.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStringList>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace OptimizationService {

std::optional<QString> brewPath()
{
    for (const QString& candidate : {QStringLiteral("/opt/homebrew/bin/brew"), QStringLiteral("/usr/local/bin/brew")}) {
        const QFileInfo file(Platform::systemPath(candidate));
        if (file.isFile() && file.isExecutable())
            return candidate;
    }
    return std::nullopt;
}

} // namespace OptimizationService

namespace UpdaterService {

namespace {

// Spaces and tabs at both ends, not line ends: the tools' fields are padded with those only.
QString trimmedBlanks(QStringView text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (start < end && blank(text[start]))
        ++start;
    while (end > start && blank(text[end - 1]))
        --end;
    return text.sliced(start, end - start).toString();
}

} // namespace

QString toRaw(Source source)
{
    switch (source) {
    case Source::homebrew:
        return u"Homebrew"_s;
    case Source::appStore:
        return u"App Store"_s;
    case Source::sparkle:
        return u"Éditeur"_s;
    }
    return {};
}

std::optional<Source> sourceFromRaw(const QString& raw)
{
    for (Source source : {Source::homebrew, Source::appStore, Source::sparkle}) {
        if (toRaw(source) == raw)
            return source;
    }
    return std::nullopt;
}

bool isSafeCaskName(const QString& name)
{
    if (name.isEmpty() || name.startsWith(u'-'))
        return false;
    return std::all_of(name.begin(), name.end(), [](QChar c) {
        return c.isLetterOrNumber() || c == u'@' || c == u'+' || c == u'.' || c == u'_' || c == u'/' || c == u'-';
    });
}

std::vector<Update> outdatedCasksFrom(const QString& output, const QString& brewProgram)
{
    std::vector<Update> updates;
    for (const QString& line : output.split(u'\n', Qt::SkipEmptyParts)) {
        const qsizetype open = line.indexOf(u'(');
        const qsizetype close = line.indexOf(u')');
        const qsizetype different = line.indexOf(u"!="_s);
        // A ")" before the "(" leaves no installed version to cut out.
        if (open < 0 || close < 0 || different < 0 || close < open)
            continue;
        const QString name = trimmedBlanks(QStringView(line).first(open));
        const QString installed = line.mid(open + 1, close - open - 1);
        const QString latest = trimmedBlanks(QStringView(line).sliced(different + 2));
        // The name reaches a shell: anything but a plain cask name is skipped like a malformed line.
        if (!isSafeCaskName(name) || installed == latest)
            continue;
        Update update;
        update.name = name;
        update.currentVersion = installed;
        update.newVersion = latest;
        update.source = Source::homebrew;
        update.icon = UpdateIcon{UpdateIcon::Kind::symbol, sfSymbol(u"shippingbox.fill")};
        update.command = OptimizationService::shellQuoted(brewProgram) + u" upgrade --cask "_s +
                         OptimizationService::shellQuoted(name);
        updates.push_back(std::move(update));
    }
    return updates;
}

std::vector<Update> systemUpdatesFrom(const QString& output, const QString& systemVersion)
{
    std::vector<Update> updates;
    if (!output.contains(u'*'))
        return updates;
    // The label only opens an entry; its title line gives the update.
    std::optional<QString> pending;
    for (const QString& raw : output.split(u'\n', Qt::SkipEmptyParts)) {
        const QString line = trimmedBlanks(raw);
        if (line.startsWith(u"* Label:"_s)) {
            pending = trimmedBlanks(QStringView(line).sliced(8));
            continue;
        }
        if (!pending || !line.startsWith(u"Title:"_s))
            continue;
        const QStringList pieces = line.split(u',');
        Update update;
        update.name = trimmedBlanks(QString(pieces.first()).remove(u"Title:"_s));
        update.newVersion = unknownVersion.toString();
        for (const QString& piece : pieces) {
            if (piece.contains(u"Version:"_s)) {
                update.newVersion = trimmedBlanks(QString(piece).remove(u"Version:"_s));
                break;
            }
        }
        update.currentVersion = systemVersion;
        update.source = Source::appStore;
        update.icon = UpdateIcon{UpdateIcon::Kind::symbol, sfSymbol(u"apple.logo")};
        updates.push_back(std::move(update));
        pending.reset();
    }
    return updates;
}

std::optional<Update> selfUpdatingAppFrom(const QString& bundle, const QVariantMap& info)
{
    if (!info.contains(u"SUFeedURL"_s) && !info.contains(u"SUEnableAutomaticChecks"_s))
        return std::nullopt;
    const QVariant displayName = info.value(u"CFBundleDisplayName"_s);
    const QVariant version = info.value(u"CFBundleShortVersionString"_s);
    Update update;
    if (displayName.typeId() == QMetaType::QString) {
        update.name = displayName.toString();
    } else {
        update.name = Platform::displayName(bundle);
        update.name.chop(4); // ".app"
    }
    update.currentVersion = version.typeId() == QMetaType::QString ? version.toString() : unknownVersion.toString();
    update.newVersion = u"Vérifier dans l'app"_s;
    update.source = Source::sparkle;
    update.icon = UpdateIcon{UpdateIcon::Kind::bundle, bundle};
    return update;
}

void sortByName(std::vector<Update>& updates)
{
    QCollator collator(QLocale(QLocale::French, QLocale::France));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(updates.begin(), updates.end(),
                     [&collator](const Update& a, const Update& b) { return collator.compare(a.name, b.name) < 0; });
}

bool installSucceeded(const OptimizationService::ProcessResult& result)
{
    return result.status == 0 && !result.output.contains(u"error"_s, Qt::CaseInsensitive);
}

std::vector<Update> outdatedCasks()
{
    const std::optional<QString> brew = OptimizationService::brewPath();
    if (!brew)
        return {};
    const OptimizationService::ProcessResult result =
        OptimizationService::run(*brew, {u"outdated"_s, u"--cask"_s, u"--greedy"_s, u"--verbose"_s}, false);
    // The install command runs through a shell, which needs the program where it really is.
    return outdatedCasksFrom(result.output, Platform::systemPath(*brew));
}

std::vector<Update> systemUpdates()
{
    const OptimizationService::ProcessResult result =
        OptimizationService::run(u"/usr/sbin/softwareupdate"_s, {u"-l"_s}, false);
    return systemUpdatesFrom(result.output, SystemInfo::osVersionString());
}

std::vector<Update> selfUpdatingApps()
{
    std::vector<Update> updates;
    // Only the folders' direct entries: an application in a sub-folder is not examined.
    const QString folders[] = {Platform::systemPath(u"/Applications"_s),
                               QDir::cleanPath(Platform::homeFolder() + u"/Applications"_s)};
    for (const QString& folder : folders) {
        const QFileInfoList entries = QDir(folder).entryInfoList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
        for (const QFileInfo& entry : entries) {
            if (entry.suffix() != u"app"_s || entry.fileName().size() <= 4)
                continue;
            const std::optional<Platform::BundleInfo> bundle = Platform::readBundle(entry.filePath());
            if (!bundle || bundle->dictionary.isEmpty())
                continue;
            if (std::optional<Update> update = selfUpdatingAppFrom(entry.filePath(), bundle->dictionary))
                updates.push_back(std::move(*update));
        }
    }
    sortByName(updates);
    return updates;
}

InstallOutcome installOutcome(const OptimizationService::ProcessResult& result)
{
    if (installSucceeded(result))
        return {true};
    // The tool's own words, as the maintenance rows show them: the last line that says what went wrong.
    const QStringList lines = result.output.split(u'\n', Qt::SkipEmptyParts);
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        if (line->contains(u"error"_s, Qt::CaseInsensitive))
            return {false, line->trimmed()};
    }
    if (result.status < 0)
        return {false, u"L'installation n'a pas pu démarrer."_s};
    return {false, OptimizationService::failureText(result)};
}

QString installFailureText(const QString& reason)
{
    if (reason.isEmpty())
        return u"L'installation a échoué."_s;
    if (!reason.contains(u"error"_s, Qt::CaseInsensitive))
        return reason;
    return reason.contains(u"download"_s, Qt::CaseInsensitive) ? u"Le téléchargement a échoué."_s
                                                               : u"L'installation a échoué."_s;
}

InstallOutcome install(const Update& update)
{
    if (!update.command)
        return {false, u"Cette mise à jour ne s'installe pas d'ici."_s};
    return installOutcome(OptimizationService::run(u"/bin/sh"_s, {u"-c"_s, *update.command}, true));
}

} // namespace UpdaterService
