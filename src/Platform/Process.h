#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace Platform {

struct ProcessOutput {
    bool started = false;
    int status = -1; // the exit status, or 128 + the signal number when a signal ended the program
    QByteArray output;
};

// Starts `program` (an absolute path) with `arguments` as its argument list, no shell in between, the
// environment and working folder inherited, standard input from /dev/null. Reads its output to the end,
// then waits for it. Usable from any thread.
ProcessOutput runProcess(const QString& program, const QStringList& arguments, bool mergeStandardError);

} // namespace Platform
