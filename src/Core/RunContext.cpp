#include "Core/RunContext.h"

#include "Platform/MainBundle.h"
#include "Platform/TestGuard.h"

#include <QtGlobal>

using namespace Qt::StringLiterals;

bool isRunningAsAppBundle()
{
    if (Platform::TestGuard::isTestRun())
        return false;
    if (!Platform::MainBundle::identifier())
        return false;
    return Platform::MainBundle::path().endsWith(u".app"_s);
}
