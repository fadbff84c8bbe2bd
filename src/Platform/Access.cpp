#include "Platform/Access.h"

#include "Platform/SystemRoot.h"

#include <vector>

#include <pwd.h>
#include <unistd.h>

#include <QFile>

using namespace Qt::StringLiterals;

namespace Platform {

bool userCanWrite(const QString& folder)
{
    if (systemRoot() != u"/"_s) {
        for (const QString& owned : {systemPath(u"/Library"_s), systemPath(u"/System"_s)}) {
            if (isEqualOrUnder(folder, owned))
                return false;
        }
    }
    return ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
}

unsigned userID()
{
    return ::getuid();
}

QString userShortName()
{
    const QString home = homeFolder();
    const qsizetype slash = home.lastIndexOf(u'/');
    if (slash > 0 && home.left(slash) == systemPath(u"/Users"_s))
        return home.mid(slash + 1);
    // getpwuid_r, as the answer may be asked for on several threads at once.
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr)
        return QFile::decodeName(found->pw_name);
    return QString();
}

WriteAccess::~WriteAccess() = default;

namespace {

class SystemWriteAccess final : public WriteAccess
{
public:
    bool userCanWrite(const QString& folder) const override { return Platform::userCanWrite(folder); }
};

} // namespace

const WriteAccess& systemWriteAccess()
{
    static const SystemWriteAccess system;
    return system;
}

} // namespace Platform
