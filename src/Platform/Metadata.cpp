#include "Platform/Metadata.h"

#include "Platform/ExtendedAttributes.h"
#include "Platform/PropertyList.h"

#include <QVariantList>

using namespace Qt::StringLiterals;

namespace Platform::Metadata {

std::optional<QVariant> value(const QString& path, QStringView attribute)
{
    if (const auto raw = extendedAttribute(path, u"user.com.apple.metadata:"_s + attribute.toString())) {
        if (auto parsed = PropertyList::parse(*raw))
            return parsed;
    }
    if (attribute != whereFroms)
        return std::nullopt;
    const auto origin = extendedAttribute(path, u"user.xdg.origin.url"_s);
    if (!origin)
        return std::nullopt;
    // Some writers keep the C string's terminator.
    const QString address = QString::fromUtf8(*origin).remove(QChar(0)).trimmed();
    if (address.isEmpty())
        return std::nullopt;
    return QVariant(QVariantList{address});
}

} // namespace Platform::Metadata
