#pragma once

#include <QString>

class QIcon;

namespace Platform {

// The desktop around the program, as the screens use it: the file manager, the system's settings and the
// icons it shows for files. The screens receive one from whoever builds them; the desktop's own lives with the
// widgets (DesktopWorkspace), tests give a recording one. Only callers that draw ask for icons, so this layer
// names the icon type without using it.
class Workspace
{
public:
    virtual ~Workspace();

    // Shows the file manager at `path`, the item in view.
    virtual void reveal(const QString& path) = 0;
    // Opens a link: a System Settings location ("x-apple.systempreferences:…") or a web address. Whether
    // anything opened is not reported; callers have nothing to do either way.
    virtual void open(const QString& url) = 0;
    // Opens the application at a Mac location ("/System/Applications/Shortcuts.app"), placed under the system
    // root. As with open(), whether anything opened is not reported.
    virtual void openApplication(const QString& macPath) = 0;
    // The icon the file manager shows for `path`; a generic file icon for a path where nothing is.
    virtual QIcon icon(const QString& path) const = 0;

protected:
    Workspace() = default;
    Workspace(const Workspace&) = default;
    Workspace& operator=(const Workspace&) = default;
};

// The System Settings pane where the user grants Full Disk Access.
QString fullDiskAccessSettingsURL();

} // namespace Platform
