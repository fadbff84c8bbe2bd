#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

// Where a file comes from, as the card of a result row tells it: what kind of data it is, which application
// it belongs to and whether that application is still installed, when it was last opened or written, and from
// which host it was downloaded. Computed on demand from the path, the file's metadata and the installed
// applications; nothing is changed and nothing fails: what cannot be told is left absent (or `unknown`).
// Stateless; every function may run on any thread.
struct Provenance {
    enum class Kind { cache, log, support, download, trash, unknown };

    struct Owner {
        QString bundleID; // as derived from the path, case kept
        QString name;     // the name to show
        bool isInstalled = false;

        friend bool operator==(const Owner&, const Owner&) = default;
    };

    // The last use the system recorded for the file, else its content modification.
    struct Staleness {
        enum class Kind { opened, modified };
        Kind kind = Kind::modified;
        QDateTime date;

        static Staleness opened(const QDateTime& date) { return {Kind::opened, date}; }
        static Staleness modified(const QDateTime& date) { return {Kind::modified, date}; }

        friend bool operator==(const Staleness&, const Staleness&) = default;
    };

    Kind kind = Kind::unknown;
    std::optional<Owner> owner;
    std::optional<Staleness> staleness;
    std::optional<QString> downloadedFrom; // a host name, without a leading "www."

    friend bool operator==(const Provenance&, const Provenance&) = default;

    // The four fields, each found on its own. Reads the file system, the file's metadata and the installed
    // applications, so it is best called off the GUI thread.
    static Provenance of(const QString& url);

    // The kind from the path alone, by case-sensitive tests in a fixed order: the Trash first ("/.Trash",
    // "/Trash/"), then caches ("/Caches/" or a path ending in "/Caches"), logs ("/Logs/" or ending in ".log"),
    // downloads ("/Downloads/"), application data ("/Application Support/", "/Containers/"), else unknown.
    static Kind kindForPath(const QString& path);

    // The application of the deepest path component that names a bundle identifier. Only the components below
    // the home folder (or, outside it, below the system root) are read: the folders a Mac path starts with
    // are no application's. Nothing when no component names one.
    static std::optional<Owner> ownerOf(const QString& url);

    // With the installed application's bundle, the name the Finder shows for it without ".app". Without one,
    // the identifier's last part, or the part before it when the last is a generic word ("client", "app",
    // "desktop", "mac", "macos", "helper"), first letter capitalised: com.example.editor.client → Editor.
    static QString ownerName(const QString& bundleID, const std::optional<QString>& appURL);

    // The text with its first character upper-cased, unless it is already upper-case; "" stays "".
    static QString capitalizingFirstLetter(const QString& text);

    // The host of the first recorded download source that reads as an address with a host, without a
    // leading "www."; nothing when none does.
    static std::optional<QString> downloadHost(const QString& url);

    // The recorded last use, else the content modification date; nothing when neither can be read.
    static std::optional<Staleness> stalenessOf(const QString& url);
};
