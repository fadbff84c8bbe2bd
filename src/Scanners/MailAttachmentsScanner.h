#pragma once

#include "Scanners/ModuleScanner.h"

#include <QString>

class Exclusions;

// The scanner of the mail attachments module: the local copies Mail keeps of attachments (the
// "Attachments" folders of its mailboxes, each taken whole) and the files opened from messages (the
// children of Mail's downloads folder). One group at most; every item is ticked and goes to the Trash, since
// Mail downloads an attachment again when it is needed.
class MailAttachmentsScanner final : public ModuleScanner
{
public:
    MailAttachmentsScanner(const Exclusions& exclusions, ModuleID module)
        : m_exclusions(&exclusions), m_moduleID(module)
    {
    }

    // The name of the innermost mailbox ("INBOX" for …/INBOX.mbox/…/Attachments) holding an Attachments
    // folder; the folder's path with the home shown as "~" when no mailbox holds it.
    static QString mailboxName(const QString& attachments);

    ModuleID moduleID() const override { return m_moduleID; }
    QString emptyTitle() const override;
    QString emptyMessage() const override;
    bool requiresFullDiskAccess() const override { return true; }
    QList<ScanGroup> scan(const Progress& progress, std::stop_token stop) const override;

private:
    const Exclusions* m_exclusions; // what the scan leaves out
    ModuleID m_moduleID;
};
