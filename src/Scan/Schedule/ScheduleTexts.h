#pragma once

#include "Core/ModuleID.h"

#include <QString>

// What a scheduled run says when it ends: the outcome line shown in the settings and the notification it posts.
// Failures and items left for the module's screen are always said, and the history is offered for undo only
// when the run was journaled.
namespace ScheduleTexts {

// The run's outcomes, one per way a run can end.
QString unavailable(ModuleID module);
QString toExamine(ModuleID module, qint64 totalBytes);
QString nothingToClean(ModuleID module);
QString cleaned(ModuleID module, qint64 freedBytes, int failed, int toExamine);

// The notifications of a scheduled run.
QString notificationIdentifier(ModuleID module);
QString reportTitle();
QString reportBody(ModuleID module, qint64 totalBytes);
QString cleaningTitle();
QString cleaningBody(ModuleID module, qint64 freedBytes, int removed, int failed, int toExamine, bool journaled);

// The warning when the startup disk fills: the share in use is written in whole percents, rounded down.
QString diskPressureIdentifier();
QString diskPressureTitle();
QString diskPressureBody(qint64 usedBytes, qint64 totalBytes, qint64 freeBytes);

} // namespace ScheduleTexts
