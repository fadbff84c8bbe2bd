#include "Platform/Workspace.h"

using namespace Qt::StringLiterals;

namespace Platform {

Workspace::~Workspace() = default;

QString fullDiskAccessSettingsURL()
{
    return u"x-apple.systempreferences:com.apple.preference.security?Privacy_AllFiles"_s;
}

} // namespace Platform
