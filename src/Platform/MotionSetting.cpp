#include "Platform/MotionSetting.h"

#include <QByteArray>
#include <QtGlobal>

namespace Platform {

bool reduceMotion()
{
    const QByteArray value = qgetenv("QUORVANE_REDUCE_MOTION").trimmed().toLower();
    return value == "1" || value == "true" || value == "yes";
}

} // namespace Platform
