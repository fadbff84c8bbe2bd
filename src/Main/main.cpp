#include "CompositionRoot.h"

#include "App/MainWindow.h"
#include "App/ShortcutsActions.h"
#include "App/SingleInstance.h"
#include "Core/StandardServices.h"
#include "Platform/MainBundle.h"
#include "Platform/TestGuard.h"

#include <cstdio>
#include <memory>

#include <QApplication>
#include <QCoreApplication>

using namespace Qt::StringLiterals;

namespace {

// The system's Shortcuts actions, asked for on the command line: those that answer do so without a display,
// a window or the single-instance claim. Gives the exit code, or nothing to go on with the window (the
// action that opens a module, given back in `module`).
std::optional<int> answerAction(int argc, char* argv[], std::optional<ModuleID>& module)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (!Shortcuts::asksForAction(arguments))
        return std::nullopt;
    const std::optional<Shortcuts::Request> request = Shortcuts::parseArguments(arguments);
    if (!request) {
        std::fprintf(stderr, "%s", Shortcuts::usage().toLocal8Bit().constData());
        return 2;
    }
    if (request->action == Shortcuts::Action::open) {
        module = Shortcuts::moduleID(request->category.value_or(ScanCategory::smartScan));
        return std::nullopt;
    }
    const QCoreApplication core(argc, argv);
    QCoreApplication::setApplicationName(u"Quorvane Pro"_s);
    // Made here, on the one thread, before a scan's workers ask for the exclusions.
    const StandardServices services;
    const QString answer = Shortcuts::answer(*request, CompositionRoot::actionServices(services.exclusions));
    std::fprintf(stdout, "%s", answer.toLocal8Bit().constData());
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    std::optional<ModuleID> requestedModule;
    if (const std::optional<int> answered = answerAction(argc, argv, requestedModule))
        return *answered;

    QApplication app(argc, argv);
    QApplication::setApplicationName(u"Quorvane Pro"_s);
    QApplication::setApplicationDisplayName(u"Quorvane Pro"_s);

    // One copy per user session of the system; a copy started by a test runner, or outside a bundle, never checks.
    std::unique_ptr<SingleInstance> instance;
    const std::optional<QString> identifier = Platform::MainBundle::identifier();
    if (!Platform::TestGuard::isTestRun() && identifier) {
        instance = std::make_unique<SingleInstance>(*identifier);
        if (!instance->claim(requestedModule)) {
            const QString said = instance->answered()
                                     ? u"Quorvane Pro est déjà ouvert : sa fenêtre passe au premier plan."_s
                                     : u"Quorvane Pro est déjà ouvert, mais sa fenêtre ne répond pas."_s;
            std::fprintf(stderr, "%s\n", said.toLocal8Bit().constData());
            return 0;
        }
    }

    installApplicationLook();
    installFrenchQtTexts();
    CompositionRoot root;
    MainWindow& window = root.window();
    // A copy started to open a module with none running starts on the initial module, as any launch does.
    if (instance)
        root.answerOtherCopies(*instance);
    window.show();
    const int result = QApplication::exec();
    root.finishCleanings();
    return result;
}
