#pragma once

#include "CompositionRoot.h"

#include "App/MainWindow.h"
#include "MacFixtures.h"
#include "Sandbox.h"
#include "Scan/Screen/ScanViewModel.h"
#include "ScopedEnvironment.h"
#include "ShownWidgets.h"
#include "WaitFor.h"

#include <optional>

#include <QAbstractButton>
#include <QSize>
#include <QTest>
#include <QUuid>
#include <QWidget>

#include <gtest/gtest.h>

namespace EndToEndSupport {

// Lays out the demonstration Mac in the sandbox and points the process at it.
struct DemoMac {
    DemoMac() { TestSupport::layOutDemoMac(root); }
    QString path(const QString& mac) const { return root + mac; }

    const QString root = TestSupport::temporary() + QStringLiteral("/demo-mac");
    const TestSupport::ScopedEnvironment system{"QUORVANE_ROOT", root};
    const TestSupport::ScopedEnvironment home{"HOME", root + QStringLiteral("/Users/demo")};
    const TestSupport::ScopedEnvironment tmp{"TMPDIR", root + QStringLiteral("/private/var/folders/qp/T")};
};

// The item of that name in the model's results, and its group's id in `group` when asked.
inline const ScanItem* itemNamed(const ScanViewModel& model, const QString& name, QUuid* group = nullptr)
{
    for (const ScanGroup& candidate : model.groups()) {
        for (const ScanItem& item : candidate.items) {
            if (item.name == name) {
                if (group)
                    *group = candidate.id;
                return &item;
            }
        }
    }
    return nullptr;
}

// Clicks the window's scan button and waits until its clean button is enabled; returns that button, or null when
// there was no scan button or no clean button came.
inline QAbstractButton* scanUntilCleanable(const QWidget& window)
{
    QAbstractButton* scan = TestSupport::enabledButton(window, QStringLiteral("scanButton"));
    if (scan == nullptr)
        return nullptr;
    QTest::mouseClick(scan, Qt::LeftButton);
    QAbstractButton* clean = nullptr;
    TestSupport::waitFor(
        [&] { return (clean = TestSupport::enabledButton(window, QStringLiteral("cleanButton"))) != nullptr; });
    return clean;
}

} // namespace EndToEndSupport

// The whole program on the demonstration Mac, one case at a time: the Mac is laid out and the process pointed at
// it before the case runs; the case prepares what else it needs there, then starts the program. A case that
// passed lets its cleanings finish and be journaled before the program goes, and the program goes before the Mac.
class EndToEnd : public ::testing::Test
{
protected:
    // The application's fonts, or Qt's own where the case never had them.
    enum class Look { application, qtDefault };

    // Builds the program's object graph, once per case.
    CompositionRoot& startApplication(Look look = Look::application)
    {
        if (look == Look::application)
            installApplicationLook();
        m_application.emplace();
        return *m_application;
    }

    // The started program's main window, at `size` when one is given, shown.
    MainWindow& showWindow(QSize size = {})
    {
        MainWindow& window = m_application.value().window();
        if (size.isValid())
            window.resize(size);
        window.show();
        return window;
    }

    void TearDown() override
    {
        if (m_application && !HasFailure())
            m_application->finishCleanings();
        m_application.reset();
    }

    const EndToEndSupport::DemoMac demo;

private:
    std::optional<CompositionRoot> m_application;
};
