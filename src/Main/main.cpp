#include "Core/FileUtils.h"
#include "Core/Preferences.h"
#include "Platform/SystemRoot.h"

#include <cstdio>

#include <QCoreApplication>

using namespace Qt::StringLiterals;

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"Quorvane Pro"_s);
    // The settings come first: making them carries the earlier product's folder and settings over.
    Preferences::shared();
    const QString line = u"Quorvane Pro est construit ; la fenêtre principale arrivera avec le shell de "
                         u"l'application. Système : %1 — dossier personnel : %2"_s
                             .arg(Platform::systemRoot(), FileUtils::abbreviatedPath(Platform::homeFolder()));
    std::printf("%s\n", line.toUtf8().constData());
    return 0;
}
