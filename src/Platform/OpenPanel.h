#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace Platform {

// The system's panel for choosing files or folders to work on. The screens receive one from whoever builds them;
// the desktop's own lives with the widgets (DesktopOpenPanel), tests give a recording one that answers from a
// script. The answer always comes through the callback, later or at once, never through a nested event loop.
class OpenPanel
{
public:
    // What the panel lets the user pick.
    enum class Mode {
        oneFolder,       // folders only, exactly one
        filesAndFolders, // files and folders together, several at once
    };

    struct Request {
        Mode mode = Mode::oneFolder;
        QString prompt;    // the accept button's title ("Analyser")
        QString directory; // where the panel opens; empty for the home folder (the Mac's)
        QString message;   // a line above the list, when not empty
    };

    // The chosen paths, absolute and cleaned; empty when the user cancelled or chose nothing.
    using Answer = std::function<void(const QStringList& chosen)>;

    virtual ~OpenPanel();

    // Shows the panel and returns; `answer` is called once, on the GUI thread, when the user is done.
    virtual void choose(const Request& request, Answer answer) = 0;

protected:
    OpenPanel() = default;
    OpenPanel(const OpenPanel&) = default;
    OpenPanel& operator=(const OpenPanel&) = default;
};

} // namespace Platform
