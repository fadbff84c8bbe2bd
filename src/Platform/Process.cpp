#include "Platform/Process.h"

#include <cerrno>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>

extern char** environ;

namespace Platform {

ProcessOutput runProcess(const QString& program, const QStringList& arguments, bool mergeStandardError)
{
    ProcessOutput result;
    const QByteArray path = QFile::encodeName(program);
    std::vector<QByteArray> storage;
    storage.reserve(std::size_t(arguments.size()) + 1);
    storage.push_back(path);
    for (const QString& argument : arguments)
        storage.push_back(argument.toUtf8());
    std::vector<char*> argv;
    for (QByteArray& bytes : storage)
        argv.push_back(bytes.data());
    argv.push_back(nullptr);

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return result;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    if (mergeStandardError)
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, path.constData(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned != 0) {
        ::close(pipeFds[0]);
        return result;
    }

    // Read to the end first: a child blocked on a full pipe would never exit.
    char buffer[65536];
    while (true) {
        const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
        if (n > 0) {
            result.output.append(buffer, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;
    }
    ::close(pipeFds[0]);

    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return result;
    }
    // glibc's posix_spawn reports an exec failure as exit status 127 of the child.
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127 && ::access(path.constData(), X_OK) != 0)
        return result;
    result.started = true;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

} // namespace Platform
