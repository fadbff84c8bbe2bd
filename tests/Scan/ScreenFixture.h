#pragma once

// What the tests of the module screen share: a model in a sandbox whose scan has published given groups, the
// screen around it, and lookups of the widgets on screen by objectName.

#include "Core/Exclusions.h"
#include "Core/History.h"
#include "Core/Preferences.h"
#include "LatchedScanner.h"
#include "Platform/Access.h"
#include "RecordingWorkspace.h"
#include "Sandbox.h"
#include "Scan/Screen/ScanModuleView.h"
#include "Scan/Screen/ScanViewModel.h"
#include "ShownWidgets.h"
#include "TestServices.h"
#include "WaitFor.h"

#include <memory>

#include <QAbstractButton>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

namespace ScreenTest {

using TestSupport::allShown;
using TestSupport::click;
using TestSupport::labelText;
using TestSupport::shown;
using TestSupport::waitFor;

class Fixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestSupport::installStandIns();
        kit.preferences.setTakesSnapshotBeforeCleaning(false);
    }
    void TearDown() override
    {
        view.reset();
        model.reset();
    }

    // A model of `module` around a held scanner, not scanned yet.
    ScanViewModel& idleModel(ModuleID module = ModuleID::systemJunk, bool needsFullDiskAccess = false)
    {
        view.reset();
        scanner = std::make_shared<TestSupport::LatchedScanner>(module, needsFullDiskAccess);
        scanner->control()->advisories.clear();
        model = std::make_unique<ScanViewModel>(scanner, kit.services);
        return *model;
    }

    // A model whose scan has published `groups`.
    ScanViewModel& scanned(QList<ScanGroup> groups, ModuleID module = ModuleID::systemJunk)
    {
        idleModel(module);
        scanner->control()->groups = std::move(groups);
        scanner->control()->release();
        model->scan();
        EXPECT_TRUE(waitFor([&] { return model->phase() == ScanViewModel::Phase::results; }));
        return *model;
    }

    // The screen of the model, shown offscreen at a window's size.
    ScanModuleView& show(bool hasFullDiskAccess = true)
    {
        view = std::make_unique<ScanModuleView>(model ? model->scanner().moduleID() : ModuleID::duplicates, model.get(),
                                                hasFullDiskAccess, workspace);
        view->resize(1000, 760);
        view->show();
        return *view;
    }

    TestSupport::TestServices kit;
    TestSupport::RecordingWorkspace workspace;
    std::shared_ptr<TestSupport::LatchedScanner> scanner;
    std::unique_ptr<ScanViewModel> model;
    std::unique_ptr<ScanModuleView> view;
};

} // namespace ScreenTest
