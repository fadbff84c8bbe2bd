#pragma once

#include "Platform/OpenPanel.h"

class FileChooser;

// The open panel of this desktop: the chooser of our own (FileChooser), in French, for one folder as for files and
// folders together, window-modal over the active window and answering when it closes. It opens on the caller's
// folder, else on the home folder (the Mac's). GUI thread only.
class DesktopOpenPanel final : public Platform::OpenPanel
{
public:
    DesktopOpenPanel() = default;

    void choose(const Request& request, Answer answer) override;

    // The chooser built for a request, not shown yet; the caller owns it. Exposed for the look's tests.
    static FileChooser* makeChooser(const Request& request);
};
