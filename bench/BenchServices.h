#pragma once

// The services a benchmark's view model is given, over files of its work folder.

#include "Core/Exclusions.h"
#include "Core/History.h"
#include "Core/ModelServices.h"
#include "Core/Preferences.h"
#include "Core/RemovalEngine.h"
#include "Core/WorkInFlight.h"
#include "Platform/UserDefaults.h"

#include <QFile>

#include <string>

namespace Bench {

// Settings and exclusions in `work`/defaults.plist, the journal in `work`/history.json.
struct Services {
    explicit Services(const std::string& work)
        : exclusions(Platform::UserDefaults::atPath(QFile::decodeName((work + "/defaults.plist").c_str()))),
          preferences(Platform::UserDefaults::atPath(QFile::decodeName((work + "/defaults.plist").c_str()))),
          history(QFile::decodeName((work + "/history.json").c_str())), removal(exclusions)
    {
    }

    ModelServices models() { return ModelServices{exclusions, preferences, history, removal, inFlight}; }

    Exclusions exclusions;
    Preferences preferences;
    History history;
    Removal::Engine removal;
    WorkInFlight inFlight;
};

} // namespace Bench
