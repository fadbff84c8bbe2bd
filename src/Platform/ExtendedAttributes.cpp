#include "Platform/ExtendedAttributes.h"

#include <cerrno>

#include <sys/xattr.h>

#include <QFile>

namespace Platform {

std::optional<QByteArray> extendedAttribute(const QString& path, const QString& name, int* errorNumber)
{
    const QByteArray file = QFile::encodeName(path);
    const QByteArray key = name.toUtf8();
    // The value may grow between the size query and the read; ask again a few times, then give up.
    for (int attempt = 0; attempt < 4; ++attempt) {
        const ssize_t size = ::lgetxattr(file.constData(), key.constData(), nullptr, 0);
        if (size < 0)
            break;
        QByteArray value(qsizetype(size), Qt::Uninitialized);
        const ssize_t read = ::lgetxattr(file.constData(), key.constData(), value.data(), size_t(value.size()));
        if (read >= 0) {
            value.truncate(qsizetype(read));
            return value;
        }
        if (errno != ERANGE)
            break;
    }
    if (errorNumber)
        *errorNumber = errno;
    return std::nullopt;
}

} // namespace Platform
