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
#include "Scan/ScanModuleView.h"
#include "Scan/ScanViewModel.h"
#include "TestServices.h"

#include <memory>

#include <QAbstractButton>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

namespace ScreenTest {

inline bool waitFor(const std::function<bool()>& condition)
{
    return QTest::qWaitFor(condition, 10000);
}

// The widgets of that name inside `root` that are on screen with it, in creation order. Widgets on their way out
// are hidden at once, so they never count.
template <class T = QWidget> QList<T*> allShown(const QWidget& root, const QString& name)
{
    QList<T*> found;
    for (T* widget : root.findChildren<T*>(name)) {
        if (widget->isVisibleTo(&root))
            found.append(widget);
    }
    return found;
}

template <class T = QWidget> T* shown(const QWidget& root, const QString& name)
{
    const QList<T*> found = allShown<T>(root, name);
    return found.isEmpty() ? nullptr : found.first();
}

// The text of the label of that name on screen, or "<hidden>" when there is none.
inline QString labelText(const QWidget& root, const QString& name)
{
    auto* label = shown<QLabel>(root, name);
    return label ? label->text() : QStringLiteral("<hidden>");
}

inline void click(QWidget* widget)
{
    ASSERT_NE(widget, nullptr);
    QTest::mouseClick(widget, Qt::LeftButton);
}

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
        Platform::setUserCanWriteOverride({});
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
