#include "CompositionRoot.h"

#include "App/MainWindow.h"
#include "App/SingleInstance.h"
#include "Platform/MainBundle.h"
#include "Platform/TestGuard.h"

#include <cstdio>
#include <memory>

#include <QApplication>

using namespace Qt::StringLiterals;

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"Quorvane Pro"_s);
    QApplication::setApplicationDisplayName(u"Quorvane Pro"_s);

    // One copy per user; a copy started by a test runner, or outside a bundle, never checks.
    std::unique_ptr<SingleInstance> instance;
    const std::optional<QString> identifier = Platform::MainBundle::identifier();
    if (!Platform::TestGuard::isTestRun() && identifier) {
        instance = std::make_unique<SingleInstance>(*identifier);
        if (!instance->claim()) {
            const QString said = instance->answered()
                                     ? u"Quorvane Pro est déjà ouvert : sa fenêtre passe au premier plan."_s
                                     : u"Quorvane Pro est déjà ouvert, mais sa fenêtre ne répond pas."_s;
            std::fprintf(stderr, "%s\n", said.toLocal8Bit().constData());
            return 0;
        }
    }

    installApplicationLook();
    CompositionRoot root;
    MainWindow& window = root.window();
    if (instance) {
        QObject::connect(instance.get(), &SingleInstance::activationRequested, &window, [&window] {
            window.showNormal();
            window.raise();
            window.activateWindow();
        });
    }
    window.show();
    const int result = QApplication::exec();
    root.finishCleanings();
    return result;
}
