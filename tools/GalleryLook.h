#pragma once

// The look both galleries draw in: the Fusion style, the embedded fonts and a light window, the same on every
// machine. Call it once the application object exists.

#include "Look/Theme.h"

#include <cstdio>

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>

inline bool prepareGalleryLook(const char* program)
{
    using namespace Qt::StringLiterals;
    QApplication::setStyle(QStyleFactory::create(u"Fusion"_s));
    if (!Theme::installFonts()) {
        std::fprintf(stderr, "%s: the embedded fonts did not load\n", program);
        return false;
    }
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Window, QColor(0xEC, 0xEC, 0xEC));
    palette.setColor(QPalette::WindowText, QColor(0x1D, 0x1D, 0x1F));
    QApplication::setPalette(palette);
    QApplication::setFont(Theme::systemFont(13));
    return true;
}
