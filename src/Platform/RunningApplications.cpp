#include "Platform/RunningApplications.h"

#include "Platform/Applications.h"
#include "Platform/FileSystem.h"
#include "Platform/SystemRoot.h"
#include "Platform/TestGuard.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <initializer_list>
#include <optional>

#include <dirent.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QVariantMap>

using namespace Qt::StringLiterals;

namespace Platform {

namespace {

// Whether the process's real and effective users are both the one running this program.
bool belongsToThisUser(int pid)
{
    QFile status(u"/proc/%1/status"_s.arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = status.readAll();
    for (const QByteArray& line : text.split('\n')) {
        if (!line.startsWith("Uid:"))
            continue;
        const QList<QByteArray> ids = line.mid(4).simplified().split(' ');
        if (ids.size() < 2)
            return false;
        bool realRead = false;
        bool effectiveRead = false;
        const uint real = ids[0].toUInt(&realRead);
        const uint effective = ids[1].toUInt(&effectiveRead);
        return realRead && effectiveRead && real == ::getuid() && effective == ::getuid();
    }
    return false;
}

// The "….app" folder whose Contents/MacOS holds the program the process runs; nothing when the process has
// ended, its program cannot be read or was deleted, or it lies in no bundle.
std::optional<QString> bundleOfProcess(int pid)
{
    char buffer[PATH_MAX];
    const QByteArray link = "/proc/" + QByteArray::number(pid) + "/exe";
    const ssize_t length = ::readlink(link.constData(), buffer, sizeof(buffer) - 1);
    if (length <= 0)
        return std::nullopt;
    buffer[length] = '\0';
    if (QByteArrayView(buffer, length).endsWith(" (deleted)") || !nameSurvivesDecoding(buffer))
        return std::nullopt;
    const QString program = QFile::decodeName(buffer);
    if (!program.startsWith(u'/'))
        return std::nullopt;
    const QStringList parts = program.split(u'/');
    // "", …, "Name.app", "Contents", "MacOS", program
    if (parts.size() < 5)
        return std::nullopt;
    const QString& bundleName = parts[parts.size() - 4];
    if (parts[parts.size() - 3] != u"Contents"_s || parts[parts.size() - 2] != u"MacOS"_s ||
        !bundleName.endsWith(u".app"_s) || bundleName.size() <= 4)
        return std::nullopt;
    return parts.mid(0, parts.size() - 3).join(u'/');
}

// The first of the keys that holds a text that is not empty.
QString firstText(const QVariantMap& dictionary, std::initializer_list<QString> keys)
{
    for (const QString& key : keys) {
        const QVariant value = dictionary.value(key);
        if (value.typeId() == QMetaType::QString && !value.toString().isEmpty())
            return value.toString();
    }
    return QString();
}

bool isTrue(const QVariant& value)
{
    return value.typeId() == QMetaType::Bool && value.toBool();
}

std::optional<RunningApplication> describe(int pid)
{
    if (!belongsToThisUser(pid))
        return std::nullopt;
    const std::optional<QString> bundle = bundleOfProcess(pid);
    if (!bundle || !isSystemProgram(*bundle))
        return std::nullopt;
    const std::optional<BundleInfo> info = readBundle(*bundle);
    if (!info)
        return std::nullopt;
    QString name = firstText(info->dictionary, {u"CFBundleDisplayName"_s, u"CFBundleName"_s});
    if (name.isEmpty())
        name = bundle->section(u'/', -1).chopped(4);
    const ActivationPolicy policy = isTrue(info->dictionary.value(u"LSUIElement"_s)) ? ActivationPolicy::accessory
                                    : isTrue(info->dictionary.value(u"LSBackgroundOnly"_s))
                                        ? ActivationPolicy::prohibited
                                        : ActivationPolicy::regular;
    return RunningApplication{pid, *bundle, info->identifier, name, policy};
}

QList<RunningApplication> readProcesses()
{
    QList<RunningApplication> applications;
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr)
        return applications;
    while (const dirent* entry = ::readdir(proc)) {
        bool isNumber = false;
        const int pid = QByteArrayView(entry->d_name).toInt(&isNumber);
        if (!isNumber || pid <= 0)
            continue;
        if (std::optional<RunningApplication> application = describe(pid))
            applications.append(std::move(*application));
    }
    ::closedir(proc);
    return applications;
}

} // namespace

bool isSystemProgram(const QString& program)
{
    return isEqualOrUnder(program, systemRoot()) || isEqualOrUnder(program, homeFolder());
}

QList<RunningApplication> runningApplications()
{
    return readProcesses();
}

bool terminate(const RunningApplication& application)
{
    if (application.processID <= 0 || TestGuard::check(application.bundlePath, u"arrêter l'app"_s))
        return false;
    // The descriptor holds on to the process the number names now: should that one end and its number be given
    // to another process before the check, the signal still goes only to the one opened here, and fails.
    // Called through syscall(): this C library's <sys/pidfd.h> declares them without C linkage for C++.
    const int process = int(::syscall(SYS_pidfd_open, application.processID, 0));
    if (process < 0)
        return false;
    const std::optional<RunningApplication> now = describe(application.processID);
    const bool sent = now && now->bundlePath == application.bundlePath &&
                      ::syscall(SYS_pidfd_send_signal, process, SIGTERM, nullptr, 0) == 0;
    ::close(process);
    return sent;
}

ApplicationProcesses::~ApplicationProcesses() = default;

namespace {

class SystemApplications final : public ApplicationProcesses
{
public:
    QList<RunningApplication> running() const override { return runningApplications(); }
    bool terminate(const RunningApplication& application) const override { return Platform::terminate(application); }
};

} // namespace

const ApplicationProcesses& systemApplications()
{
    static const SystemApplications system;
    return system;
}

} // namespace Platform
