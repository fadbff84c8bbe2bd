#pragma once

#include "Core/ModelServices.h"
#include "Core/ModuleID.h"
#include "Core/SystemSnapshot.h"
#include "Scanners/ModuleScanner.h"

#include <QObject>

class Exclusions;

#include <functional>
#include <map>
#include <memory>
#include <optional>

class QWidget;

namespace Platform {
class Workspace;
}

// The module registry: one table from ModuleID to what a module needs, so that a new module adds entries
// rather than a branch in the app-wide state or the main window.
//
//   scanner  makes the module's scanner over the exclusions it is handed; the empty scanner unless the module
//            registers its own (nothing, when its factory makes nothing, for a module not available yet)
//   model    makes the module's view model (any QObject), from its scanner, the services and the app's figures
//   lifetime run: one model for the whole run, made on first use, kept by the app-wide state (cleaning
//            modules, whose results outlive their screen); visit: a new model for each visit of the screen,
//            owned by that screen (tool screens)
//   screen   makes the module's screen around its model
//
// Each library registers the modules it owns with a function of its own, `register…Modules(Registry&)`:
// src/Scanners the scanners (registerScannerModules), src/Scan the generic scan screen and its model
// (registerScanModules), and each later library its own. The composition root calls them once, in layer
// order; a later registration of a column replaces an earlier one, so a tool library overrides the
// placeholder model that src/Scan gives every module with a scanner. A module without a screen shows the
// fallback screen, which says that it is not available yet.
//
// A tool module registers its model and its screen, and keeps the empty scanner; src/Developer does, whole:
//
//   void registerDeveloperModules(Modules::Registry& registry)
//   {
//       registry.setModel(ModuleID::xcodeJunk, Modules::Lifetime::visit, [](const Modules::ModelContext& context) {
//           return std::make_unique<XcodeViewModel>(context.services);
//       });
//       registry.setScreen(ModuleID::xcodeJunk, [](const Modules::ScreenContext& context) -> QWidget* {
//           auto* model = qobject_cast<XcodeViewModel*>(context.model);
//           return model ? new XcodeView(*model) : nullptr;
//       });
//   }
//
// A cleaning module with a screen of its own keeps the scan model and registers only its screen, which reads
// the app-wide figures through the context (src/Scan):
//
//   QWidget* smartScanScreen(const Modules::ScreenContext& context)
//   {
//       return makeSmartScanScreen(qobject_cast<ScanViewModel*>(context.model), context.figures.hasFullDiskAccess(),
//                                  context.workspace, context.figures);
//   }
//   …
//       registry.setScreen(ModuleID::smartScan, smartScanScreen);
//
// A new module is then its case in ModuleID with its row in the module table beside it (texts, section, colour),
// its own files (and their line in its library's CMakeLists.txt), and one registration in its library. A cleaning
// module's registration is its row in src/Scanners' table of scanners (ScannerFactory.cpp), which also says
// whether its results show on the generic scan screen; src/Scan then gives it that screen and the scan model.
//
// The registry is filled once on the GUI thread before the window is built, then only read.
namespace Modules {

// The app-wide figures that a screen or a model may read (the smart scan shows them), without reaching the
// app-wide state itself. GUI thread.
class AppFigures
{
public:
    virtual ~AppFigures() = default;

    virtual const SystemSnapshot& snapshot() const = 0;
    virtual bool hasFullDiskAccess() const = 0;
    // What the cleanings of this run freed.
    virtual qint64 totalFreedBytes() const = 0;
    // Calls `changed` on the GUI thread after each new reading of the machine, until `context` is gone.
    virtual void onChanged(QObject* context, std::function<void()> changed) const = 0;
};

enum class Lifetime { run, visit };

struct ModelContext {
    ModuleID module;
    std::optional<ScannerPtr> scanner; // what the module's scanner factory made; nothing when it has none
    const ModelServices& services;
    const AppFigures& figures;
};

struct ScreenContext {
    ModuleID module;
    QObject* model; // the module's view model; null when it has none (a screen must then say so)
    Platform::Workspace& workspace;
    const AppFigures& figures;
};

// Each scanner leaves out what the given list covers: the one the removal engine judges against.
using ScannerFactory = std::function<std::optional<ScannerPtr>(ModuleID, const Exclusions&)>;
// Nothing made means the module is not available.
using ModelFactory = std::function<std::unique_ptr<QObject>(const ModelContext&)>;
// The screen is handed to the window, which parents it.
using ScreenFactory = std::function<QWidget*(const ScreenContext&)>;

// The scanner of a module that has none of its own (a tool with a screen of its own): it finds nothing.
std::optional<ScannerPtr> emptyScanner(ModuleID module, const Exclusions& exclusions);

// Where a module's scan results are shown: on the generic scan screen, or on a screen the module registers.
enum class ResultsScreen { generic, own };

struct Entry {
    ScannerFactory scanner = emptyScanner; // until the module registers its own
    ResultsScreen results = ResultsScreen::own;
    ModelFactory model;
    Lifetime lifetime = Lifetime::run;
    ScreenFactory screen;
};

class Registry final
{
public:
    void setScanner(ModuleID module, ScannerFactory factory, ResultsScreen results = ResultsScreen::own);
    void setModel(ModuleID module, Lifetime lifetime, ModelFactory factory);
    void setScreen(ModuleID module, ScreenFactory factory);
    // What a module without a screen of its own shows; its context carries no model.
    void setFallbackScreen(ScreenFactory factory);

    // Whether anything is registered for the module.
    bool contains(ModuleID module) const;
    // The module's entry; an empty one when nothing is registered.
    const Entry& entry(ModuleID module) const;

    // The module's scanner over `exclusions`; the empty scanner for a module registered without one of its own,
    // nothing for a module not registered at all.
    std::optional<ScannerPtr> makeScanner(ModuleID module, const Exclusions& exclusions) const;
    // The module's model over a new scanner; null when the module has no model factory or it made nothing.
    std::unique_ptr<QObject> makeModel(ModuleID module, const ModelServices& services, const AppFigures& figures) const;
    // The module's own screen when it has one, else the fallback screen (without a model); null when neither is
    // registered.
    QWidget* makeScreen(const ScreenContext& context) const;

private:
    std::map<ModuleID, Entry> m_entries;
    ScreenFactory m_fallback;
};

} // namespace Modules
