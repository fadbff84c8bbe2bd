#include "CompositionRoot.h"

#include "RecordingAsk.h"
#include "RecordingOpenPanel.h"
#include "RecordingWorkspace.h"
#include "TestServices.h"

#include <memory>

#include <QWidget>

#include <gtest/gtest.h>

namespace {

// Figures for screens made outside an app-wide state.
class Figures final : public Modules::AppFigures
{
public:
    const SystemSnapshot& snapshot() const override { return m_snapshot; }
    bool hasFullDiskAccess() const override { return true; }
    qint64 totalFreedBytes() const override { return 0; }
    void onChanged(QObject*, std::function<void()>) const override {}

private:
    SystemSnapshot m_snapshot;
};

} // namespace

// The table the program runs with: every module is in it and gets a screen, its own or the one saying it is
// not there yet, and each cleaning module with a scanner gets a scan view model.
TEST(ModuleTable, everyModuleHasAnEntryAndAScreen)
{
    TestSupport::RecordingOpenPanel openPanel;
    TestSupport::RecordingAsk ask;
    const Modules::Registry registry = CompositionRoot::assembleModules(openPanel, ask);
    TestSupport::RecordingWorkspace workspace;
    TestSupport::TestServices services;
    const Figures figures;
    for (const ModuleID module : Modules::allModules()) {
        SCOPED_TRACE(toRaw(module).toStdString());
        EXPECT_TRUE(registry.contains(module));
        EXPECT_TRUE(registry.entry(module).scanner);
        // A tool screen gets the model its module makes at each visit, as the window hands it over.
        std::unique_ptr<QObject> model;
        if (registry.entry(module).lifetime == Modules::Lifetime::visit)
            model = registry.makeModel(module, services.services, figures);
        const std::unique_ptr<QWidget> screen(
            registry.makeScreen(Modules::ScreenContext{module, model.get(), workspace, figures}));
        EXPECT_NE(screen, nullptr);
        if (screen && model)
            model.release()->setParent(screen.get());
    }
    for (const ModuleID module : {ModuleID::systemJunk, ModuleID::trashBins}) {
        EXPECT_EQ(registry.entry(module).lifetime, Modules::Lifetime::run);
        EXPECT_TRUE(registry.entry(module).screen);
    }
}
