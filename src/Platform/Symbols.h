#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// The SF Symbols names the interface draws, and the glyph of the embedded icon font (Material Icons) that
// stands for each. The names are the Mac's own, so that the code reads as it would on a Mac; only this
// table knows how they are drawn here.
namespace Platform {

// The code point in the icon font for a symbol name, or nothing for a name the table does not know.
std::optional<char32_t> symbolGlyph(QStringView name);

// Every name the table knows, in table order.
QStringList knownSymbols();

} // namespace Platform

// Marks a text literal as an SF Symbols name, as in sfSymbol(u"trash"). Write every symbol literal this way, or
// as the initialiser of a field named `symbol`, so that the symbol-table test finds it and checks it is drawn.
inline QString sfSymbol(QStringView name)
{
    return name.toString();
}
