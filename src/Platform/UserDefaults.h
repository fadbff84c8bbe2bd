#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <memory>
#include <mutex>
#include <optional>

namespace Platform {

// A user-defaults domain: the property-list file ~/Library/Preferences/<domain>.plist, as a dictionary whose
// values keep their property-list types (see PropertyList.h). There is one store object per file, shared by
// every user of it: each change rewrites the whole dictionary, so two objects over one file would undo each
// other's keys. Every call is safe from any thread.
//
// A file that is not a dictionary property list (truncated, garbage, another root type) reads as an empty
// domain; before the first write replaces it, it is kept aside beside itself as "<name>.unreadable-<time>".
class UserDefaults final
{
public:
    // The application's own domain, "com.ostrek.quorvanepro".
    static std::shared_ptr<UserDefaults> standard();

    // The one store of a domain in the user's Preferences folder.
    static std::shared_ptr<UserDefaults> forDomain(const QString& domain);

    // The one store over the property list at `path`; the file need not exist.
    static std::shared_ptr<UserDefaults> atPath(const QString& path);

    ~UserDefaults();
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    QString filePath() const { return m_path; }

    // The value stored under `key`, of whatever type; nothing when the key is absent.
    std::optional<QVariant> value(const QString& key) const;

    // The value under `key` when it is text; nothing when it is absent or of another type.
    std::optional<QString> string(const QString& key) const;

    // Every key and value of the domain.
    QVariantMap dictionary() const;

    // Stores `value` under `key` and rewrites the file atomically; it then reads back with the type the file
    // gives it (a QStringList as a QVariantList). A value that a property list cannot carry is refused and
    // changes nothing. A failed write keeps the value for this process and returns the French
    // reason.
    std::optional<QString> setValue(const QString& key, const QVariant& value);

    // Removes `key` (nothing to do when absent) and rewrites the file.
    std::optional<QString> removeValue(const QString& key);

private:
    explicit UserDefaults(QString path);
    std::optional<QString> saveLocked();

    const QString m_path;
    mutable std::mutex m_mutex;
    QVariantMap m_values;
    bool m_unreadableFile = false; // the file on disk could not be read and has not been kept aside yet
};

} // namespace Platform
