#pragma once

#include "Core/Exclusions.h"
#include "Core/History.h"
#include "Core/ModelServices.h"
#include "Core/Preferences.h"
#include "Core/RemovalEngine.h"
#include "Core/WorkInFlight.h"
#include "Platform/UserDefaults.h"
#include "RecordingAccess.h"
#include "Sandbox.h"
#include "WatchedExclusions.h"

#include <QUuid>

namespace TestSupport {

// The services of one test, each its own instance over files of its own in the sandbox, so that no test
// sees what another left in the sandbox home's standard ones. The removal engine asks `access` who can write
// where: the system's answer until the test sets a rule. The exclusions show the test each path a scanner built
// on them judges, once it sets a rule.
class TestServices final
{
public:
    TestServices()
        : m_stem(sandbox() + QStringLiteral("/services-") + QUuid::createUuid().toString(QUuid::WithoutBraces)),
          exclusions(Platform::UserDefaults::atPath(m_stem + QStringLiteral("-defaults.plist"))),
          preferences(Platform::UserDefaults::atPath(m_stem + QStringLiteral("-defaults.plist"))),
          history(m_stem + QStringLiteral("-history.json")),
          removal(exclusions, access), services{exclusions, preferences, history, removal, inFlight}
    {
    }
    TestServices(const TestServices&) = delete;
    TestServices& operator=(const TestServices&) = delete;

private:
    QString m_stem;

public:
    WatchedExclusions exclusions;
    Preferences preferences;
    History history;
    RecordingAccess access;
    Removal::Engine removal;
    WorkInFlight inFlight;
    ModelServices services;
};

} // namespace TestSupport
