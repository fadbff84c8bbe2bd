#pragma once

// The set-up every screen benchmark shares: a home inside the work folder, reached before anything of the
// program runs so that nothing can touch the real one, and the application's look on an offscreen display.

#include "Look/Theme.h"
#include "Platform/FileOperations.h"

#include <QApplication>
#include <QFile>
#include <QStyleFactory>

#include <cstdlib>
#include <string>

namespace Bench {

// Before the QApplication: points HOME at `work`/home and asks for the offscreen display unless one is named.
// Returns the home.
inline std::string screenHome(const std::string& work)
{
    const std::string home = work + "/home";
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return home;
}

// After the QApplication: the application's style and fonts, and the home folder made.
inline void lookLikeTheApplication(const std::string& home)
{
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    Theme::installFonts();
    Platform::createFolder(QFile::decodeName(home.c_str()));
}

} // namespace Bench
