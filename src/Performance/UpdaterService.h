#pragma once

#include "Core/ProcessRunner.h"

#include <QString>
#include <QUuid>
#include <QVariantMap>

#include <optional>
#include <vector>

namespace OptimizationService {

// The Mac location of the `brew` executable: the first of "/opt/homebrew/bin/brew" and "/usr/local/bin/brew"
// that is an executable file under the system root (a folder, or a file without execute permission, is not).
std::optional<QString> brewPath();

} // namespace OptimizationService

// Finds software with a newer version: Homebrew casks, the system's own updates and applications that update
// themselves, and installs a Homebrew update. The probes block their thread on the tools they run; call them off
// the GUI thread. None fails: a tool or folder that cannot be read gives an empty list, a line of an unexpected
// shape is skipped by itself.
namespace UpdaterService {

enum class Source { homebrew, appStore, sparkle };

// "Homebrew", "App Store", "Éditeur".
QString toRaw(Source source);
std::optional<Source> sourceFromRaw(const QString& raw);

// What a row draws as its icon: a symbol by name, or the file manager's icon of an application bundle. Kept as a
// description so that records stay free of drawing types; the screen makes the image.
struct UpdateIcon {
    enum class Kind { symbol, bundle };
    Kind kind = Kind::symbol;
    QString name; // the symbol's name, or the bundle's path

    friend bool operator==(const UpdateIcon&, const UpdateIcon&) = default;
};

struct Update {
    QUuid id = QUuid::createUuid();
    QString name;
    QString currentVersion; // "—" when the application does not state it
    QString newVersion;     // "—" when the tool does not state it; "Vérifier dans l'app" for a self-updating one
    Source source = Source::homebrew;
    std::optional<UpdateIcon> icon;
    // The shell command line that installs the update from here; only Homebrew updates have one.
    std::optional<QString> command;
};

// The text shown for a version the tool or the application does not state.
inline constexpr QStringView unknownVersion = u"—";

// Readers of the tools' text, pure: `brew outdated --cask --greedy --verbose` ("name (installed) != latest"
// lines) with the `brew` program as the shell must reach it, and `softwareupdate -l` ("* Label:" lines each
// followed by its "Title:, Version:, Size:" line) with the running system's version text.
std::vector<Update> outdatedCasksFrom(const QString& output, const QString& brewProgram);
std::vector<Update> systemUpdatesFrom(const QString& output, const QString& systemVersion);
// The record of a self-updating application from its bundle path and Info.plist dictionary; nothing when the
// dictionary has neither "SUFeedURL" nor "SUEnableAutomaticChecks".
std::optional<Update> selfUpdatingAppFrom(const QString& bundle, const QVariantMap& info);

// Whether a cask name from the tool may stand as one word after "upgrade --cask": not an option (a leading "-")
// and only letters, digits and "@+._/-".
bool isSafeCaskName(const QString& name);

// Sorts by name, ascending, French collation ignoring case; equal names keep their order.
void sortByName(std::vector<Update>& updates);

// The install run's verdict: exit status 0 and no "error", in any case, in the output.
bool installSucceeded(const OptimizationService::ProcessResult& result);

// How an install ended: on failure, the reason the user reads in the update's row.
struct InstallOutcome {
    bool succeeded = false;
    QString reason; // empty on success

    InstallOutcome() = default;
    // An outcome said as a bare verdict, without a reason of its own.
    InstallOutcome(bool ok) : succeeded(ok) {}
    InstallOutcome(bool ok, QString why) : succeeded(ok), reason(std::move(why)) {}
    explicit operator bool() const { return succeeded; }
};

// The outcome of an install run: on failure, the tool's last line that names an error, else its exit status.
InstallOutcome installOutcome(const OptimizationService::ProcessResult& result);

// What the update's row says of a failed install whose reason is `reason`: the tool's own English words come to
// what failed, in French (the download, else the install), and stay in the row's tooltip; a reason already in
// French stands.
QString installFailureText(const QString& reason);

// The probes, in the order a check runs them.
std::vector<Update> outdatedCasks();
std::vector<Update> systemUpdates();
std::vector<Update> selfUpdatingApps();

// Runs the update's command through /bin/sh; a failure without running anything when it has no command.
InstallOutcome install(const Update& update);

} // namespace UpdaterService
