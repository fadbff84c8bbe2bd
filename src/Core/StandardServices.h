#pragma once

#include "Core/Exclusions.h"
#include "Core/History.h"
#include "Core/ModelServices.h"
#include "Core/Preferences.h"
#include "Core/RemovalEngine.h"
#include "Core/WorkInFlight.h"

// The services of one run at their standard places in the home folder: the settings, the exclusions, the journal,
// the removal engine over the exclusions and the removals in flight. The composition root, the command line and
// the screen gallery each make one, on the GUI thread before any background job starts, so that every object
// lives there and a job's signals reach it. The members are made in their order here: the settings first, as
// making them carries the earlier product's data over before the exclusions and the journal are read.
class StandardServices final
{
public:
    StandardServices();
    StandardServices(const StandardServices&) = delete;
    StandardServices& operator=(const StandardServices&) = delete;

    Preferences preferences;
    Exclusions exclusions;
    History history;
    Removal::Engine removal;
    WorkInFlight inFlight;
    // The same objects, as the view models take them.
    ModelServices services;
};
