#pragma once

#include "Platform/OpenPanel.h"

class FileChooser;
class QFileDialog;

// The open panel of this desktop, window-modal over the active window and answering when it closes: one folder
// through Qt's own file dialog (the same on every desktop, and one whose accept button takes the caller's
// title); files and folders together through a chooser of our own, since Qt's dialog picks one or the other.
// GUI thread only.
class DesktopOpenPanel final : public Platform::OpenPanel
{
public:
    DesktopOpenPanel() = default;

    void choose(const Request& request, Answer answer) override;

    // The dialogs built for a request of their mode, not shown yet; the caller owns them. Exposed for the look's
    // tests.
    static QFileDialog* makeDialog(const Request& request);
    static FileChooser* makeChooser(const Request& request);
};
