#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The one way the program runs an external command, and the one way it asks for administrator rights.
// Both block the calling thread until the command ends; they keep no state and may run on several threads.
namespace OptimizationService {

struct ProcessResult {
    int status = -1; // the exit status; -1 when the program could not be started
    QString output;  // standard output (and standard error when merged), untrimmed

    friend bool operator==(const ProcessResult&, const ProcessResult&) = default;
};

// Runs the program at the Mac location `executable` (placed under the system root) with `arguments`
// as they are, without a shell. Standard error joins the output when `mergeStandardError` is true and is
// discarded otherwise. Output that is not valid UTF-8 is decoded with replacement characters.
ProcessResult run(const QString& executable, const QStringList& arguments, bool mergeStandardError);

// Runs one shell command line with administrator rights through the system's authorisation prompt
// (osascript). Nothing on success; otherwise a French reason: "Annulé." when the prompt was dismissed, the
// command's trimmed error output when it said something, else "Échec (code N).".
std::optional<QString> runAsAdministrator(const QString& command);

// The command as an AppleScript string body: backslashes doubled, then double quotes escaped.
QString appleScriptEscaped(const QString& command);

// A text as one single-quoted shell word: every "'" inside is written "'\''".
QString shellQuoted(const QString& text);

// The shell condition that changes into the absolute `folder` with "cd -P" and holds only when the folder
// reached is the one written, physically: no folder on the way is a link, whoever swapped one in since the
// program looked. Root then works relative to the current folder alone. The "." after pwd keeps a folder
// name that ends with line breaks whole through the command substitution.
QString enterFolderAsWritten(const QString& folder);

} // namespace OptimizationService
