#pragma once

class Exclusions;
class History;
class Preferences;

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
};
