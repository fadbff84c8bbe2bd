#pragma once

#include "Platform/OpenPanel.h"

class QFileDialog;

// The open panel of this desktop: Qt's own file dialog (the same on every desktop, and one whose accept button
// takes the caller's title), window-modal over the active window, answering when it closes. GUI thread only.
class DesktopOpenPanel final : public Platform::OpenPanel
{
public:
    DesktopOpenPanel() = default;

    void choose(const Request& request, Answer answer) override;

    // The dialog built for `request`, not shown yet; the caller owns it. Exposed for the look's tests.
    static QFileDialog* makeDialog(const Request& request);
};
