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

// What a command that failed without a word of its own comes to, in French: that it could not start, else its
// exit status ("Échec (code N).").
QString failureText(const ProcessResult& result);

// What the administrator runner answers when the authorisation prompt was dismissed.
inline const QString administratorPromptDismissed = QStringLiteral("Annulé.");

// Runs one shell command line with administrator rights through the system's authorisation prompt
// (osascript). Nothing on success; otherwise a French reason: "Annulé." when the prompt was dismissed, the
// command's trimmed error output when it said something, else failureText().
std::optional<QString> runAsAdministrator(const QString& command);

// A script too long for one program argument (the kernel allows 128 KiB) starts nothing, so long scripts go
// to the administrator runner in pieces, each well under that limit; on a Mac one authorisation covers the
// runner's calls for a few minutes, so the user still answers one prompt. Every piece is `head`, then the
// parts added to it separated by `separator`, then `tail`. A part is never cut; one too long for any piece
// gets a piece of its own.
class AdministratorPieces
{
public:
    // The longest piece, measured as the runner's argument carries it.
    static constexpr qsizetype budget = 48 * 1024;

    // The size `scriptText` takes in the runner's argument when run as "/bin/sh -c <script>"; no less than
    // when it is run as it is.
    static qsizetype argumentSize(const QString& scriptText);

    AdministratorPieces(const QString& head, const QString& separator, const QString& tail);

    // What `part` adds to a piece, at most.
    qsizetype sizeOf(const QString& part) const;
    // Whether `size` more still fits the piece being filled.
    bool fits(qsizetype size) const;
    // Whether `size` would fit a piece holding nothing else.
    bool fitsAlone(qsizetype size) const { return m_frame + size <= budget; }
    // Whether nothing was added to the piece being filled yet.
    bool isEmpty() const { return m_body.isEmpty(); }
    // Adds `part`, counted as `size`, to the piece being filled; returns that piece's index.
    qsizetype append(const QString& part, qsizetype size);
    // Adds `part`, first ending the piece being filled when it does not fit there; returns the index of the
    // piece it went into.
    qsizetype add(const QString& part);
    // Ends the piece being filled, when anything was added to it.
    void close();
    // Every piece, in order, the one being filled ended.
    QStringList take();

private:
    QString m_head;
    QString m_separator;
    QString m_tail;
    qsizetype m_frame = 0;
    QString m_body;
    qsizetype m_size = 0;
    QStringList m_pieces;
};

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
