#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include "QtPrinters.h"

// A temporary folder inside the sandbox, filled from a compact description, one entry a line:
//
//   Caches/                      a folder (parents are made as needed)
//   Caches/a.bin 4096            a file of 4096 bytes ("x" repeated); without a size, empty
//   big.img ~1048576             a sparse file of that logical length
//   link -> Caches               a symbolic link with that target, as written
//   twin => Caches/a.bin         a hard link to an entry made above
//   "name with spaces\n.txt" 10  quoted names allow spaces and escapes: \n \t \" \\ and \xHH (raw bytes)
//
// Lines that are empty or begin with "#" are ignored.
class TempTree final
{
public:
    explicit TempTree(const QString& description = {});

    bool isValid() const { return m_dir.isValid(); }
    QString root() const { return m_dir.path(); }
    QString path(const QString& relative) const { return m_dir.path() + u'/' + relative; }
    QByteArray rawPath(const QByteArray& relative) const;

    // Adds the entries of another description; fails the running test on a malformed line.
    void add(const QString& description);

private:
    QTemporaryDir m_dir;
};

namespace TestSupport {

// Whether anything, a dangling link included, stands at `path`.
bool exists(const QString& path);

// The whole content of a file; empty when it cannot be read.
QByteArray contentOf(const QString& path);

// Writes `content` to the file at `path`, replacing it, its folders made as needed; fails the running test when
// it cannot.
void writeFile(const QString& path, const QByteArray& content);

// A symbolic link at `link` to `target`, as written; fails the running test when it cannot be made.
void makeLink(const QString& target, const QString& link);

} // namespace TestSupport
