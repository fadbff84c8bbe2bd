#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <mutex>

namespace Platform {
class UserDefaults;
}

// The user's list of files and folders left out of every analysis, stored under "exclusions" as an array of
// absolute standardised paths. An entry covers itself and everything under it, under both of its names
// ("/var/x" also as "/private/var/x").
//
// Lives on the GUI thread: `paths()`, add(), remove() and persist() are called there. The two coverage
// tests read a lock-guarded copy of the list and may be called from any thread (scanners, the removal
// engine); that copy changes together with the stored list, the published one follows on the GUI thread.
class Exclusions : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Exclusions)

public:
    // Reads the stored list (none, or anything but an array of texts, reads as empty) and brings it to its
    // normal form, without writing it back.
    explicit Exclusions(std::shared_ptr<Platform::UserDefaults> defaults, QObject* parent = nullptr);
    ~Exclusions() override;

    // The list in normal form, as the settings pane shows it.
    QStringList paths() const { return m_paths; }

    // Whether `url` is an entry or lies under one, under either of its names. Also the test that add()
    // uses to refuse what is covered already.
    bool isExcluded(const QString& url) const;

    // Whether removing `url` would touch an excluded location: it is excluded, or an entry lies under it.
    // Scanners and the removal engine ask this of their candidates, so that an excluded folder is never
    // removed with its parent. Every scanner judges what it finds here, which lets a test watch each path a
    // scan judges (and act at that point) through exclusions of its own.
    virtual bool isExcludedOrHoldsExclusion(const QString& url) const;

    // Adds the standardised path of `url`, dropping the entries under it; false, with nothing changed, for
    // the root, an empty or relative path, or a path already covered.
    bool add(const QString& url);

    // Removes the entries equal to `path` (exact text) and stores the rest, even when nothing was removed.
    void remove(const QString& path);

    // Makes `list` the whole list: the copy read by other threads, the store, then the published paths
    // (queued to the GUI thread when called elsewhere).
    void persist(const QStringList& list);

    // The normal form: each entry standardised, entries that are empty, relative or the root dropped,
    // duplicates removed (first kept), then a stable sort of their "~" forms in the Finder's order
    // (case ignored, digits compared as numbers).
    static QStringList normalize(const QStringList& list);

signals:
    void changed();

private:
    QStringList snapshot() const;
    void publish(const QStringList& list);

    std::shared_ptr<Platform::UserDefaults> m_defaults;
    QStringList m_paths;
    mutable std::mutex m_lock; // guards m_snapshot only
    QStringList m_snapshot;
    std::mutex m_persistLock; // keeps the copy and the store write of one persist() together
};
