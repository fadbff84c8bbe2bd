#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// Keeps one running copy per user. The first copy listens on a local socket named after the bundle
// identifier and the user id; a later copy finds it, asks it to bring its main window forward, waits for its
// answer and quits.
// The socket lives in the user's runtime folder ($XDG_RUNTIME_DIR, else /tmp), never in the temporary
// folder that the system junk scan lists.
class SingleInstance final : public QObject
{
    Q_OBJECT

public:
    explicit SingleInstance(const QString& bundleIdentifier, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this copy may go on: no other copy answered. A socket left by a copy that died is removed.
    bool claim();

    QString socketPath() const { return m_path; }
    // After a refused claim: whether the running copy answered that its window came forward.
    bool answered() const { return m_answered; }

signals:
    // Another copy asked this one to come forward.
    void activationRequested();

private:
    QString m_path;
    QLocalServer* m_server = nullptr;
    bool m_answered = false;
};
