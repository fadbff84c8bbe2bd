#pragma once

#include "Core/ModuleID.h"

#include <QObject>
#include <QString>

#include <optional>

class QLocalServer;

// Keeps one running copy per user session of the system. The first copy listens on a local socket named after
// the bundle identifier, the user id and, under a demonstration Mac, that Mac's root; a later copy finds it, asks
// it to bring its main window forward, waits for its answer and quits. The request may name a module ("activate
// leftovers"): the running copy shows that module. The socket lives in the user's runtime folder
// ($XDG_RUNTIME_DIR, which scripts/launch.sh gives each demonstration Mac inside it; else /tmp), never in the
// temporary folder that the system junk scan lists.
class SingleInstance final : public QObject
{
    Q_OBJECT

public:
    explicit SingleInstance(const QString& bundleIdentifier, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this copy may go on: no other copy answered. A socket left by a copy that died is removed.
    // `module`, when given, travels to the running copy with the request to come forward.
    bool claim(std::optional<ModuleID> module = std::nullopt);

    QString socketPath() const { return m_path; }
    // After a refused claim: whether the running copy answered that its window came forward.
    bool answered() const { return m_answered; }

signals:
    // Another copy asked this one to come forward.
    void activationRequested();
    // Another copy asked this one to show `module`; emitted just before activationRequested().
    void moduleRequested(ModuleID module);

private:
    QString m_path;
    QLocalServer* m_server = nullptr;
    bool m_answered = false;
};
