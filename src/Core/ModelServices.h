#pragma once

class Exclusions;
class History;
class Preferences;
class WorkInFlight;

namespace Removal {
class Engine;
}

// The services a view model works with, made once by the composition root and handed to every model through
// its constructor; tests hand their own instances. The references outlive every model.
struct ModelServices {
    Exclusions& exclusions;
    Preferences& preferences;
    History& history;
    Removal::Engine& removal;
    // Removals that must be journaled before the program ends hold a ticket of it.
    WorkInFlight& inFlight;
};
