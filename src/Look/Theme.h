#pragma once

#include "Core/ModuleID.h"

#include <QColor>
#include <QFont>
#include <QLinearGradient>

// The shared look of every screen: the palette (one opaque sRGB colour per module, several with a second role),
// the diagonal gradients, the designed fonts and the colour blend. Every value is built once, on first use, and
// read-only afterwards. The card background is CardModifier (CardModifier.h).
//
// Gradients run from the top-leading to the bottom-trailing corner of whatever they fill: they are kept in
// QGradient::ObjectMode, so (0, 0) is that corner and (1, 1) the opposite one. Sizes are device-independent
// pixels, the Mac's points.
namespace Theme {

const QColor& indigo();     // smartScan; accent gradient; information banners
const QColor& cyan();       // systemJunk; accent and healthy gradients
const QColor& mint();       // malware; healthy gradient
const QColor& amber();      // uninstaller; danger gradient; warning banners
const QColor& coral();      // largeOldFiles; danger gradient
const QColor& violet();     // optimization
const QColor& teal();       // mailAttachments
const QColor& slate();      // trashBins
const QColor& green();      // privacy
const QColor& periwinkle(); // maintenance
const QColor& orange();     // updater
const QColor& red();        // shredder
const QColor& pink();       // spaceMap
const QColor& sky();        // xcodeJunk
const QColor& sand();       // leftovers
const QColor& orchid();     // duplicates
const QColor& steel();      // snapshots

// The module's colour: the shade of the palette colour its row names; every colour of the palette is the tint of
// exactly one module.
const QColor& tint(ModuleID module);

const QLinearGradient& accentGradient();  // indigo → cyan
const QLinearGradient& dangerGradient();  // coral → amber
const QLinearGradient& healthyGradient(); // mint → cyan

// A gauge filled to `fraction`: healthy below 0.7, amber → coral below 0.9, danger from 0.9 on and for a
// fraction that is not a number. The middle band is built anew on each call.
QLinearGradient gaugeGradient(double fraction);

// A two-colour gradient from the top-leading to the bottom-trailing corner.
QLinearGradient diagonalGradient(const QColor& first, const QColor& second);

// The tint's own gradient: the tint blended 26 % toward white, then the tint.
QLinearGradient tintGradient(const QColor& tint);

// `base` moved `fraction` of the way toward `target` in sRGB, alpha included: 0 gives the base, 1 the target.
// An invalid colour takes part as the clear colour; a fraction that is not a number gives the base. The
// fraction is held to 0…1, as the Mac's own blend does.
QColor blend(const QColor& target, const QColor& base, double fraction);

enum class Design { standard, rounded, monospaced };

// The system font of `size` points. Qt sets a pixel size in whole pixels, so a half size (12.5) rounds up.
// There is no rounded face among the embedded fonts: the rounded design uses the standard family.
QFont systemFont(qreal size, QFont::Weight weight = QFont::Normal, Design design = Design::standard);

const QFont& titleFont();   // 26, bold, rounded: the module title
const QFont& heroFont();    // 44, bold, rounded: the freed-space figure
const QFont& captionFont(); // 12, semibold, small capitals: captions above groups of rows
const QFont& monoFont();    // 11, regular, monospaced: paths, commands, technical detail

// Registers the embedded text and icon fonts with the application, once; later calls return the first
// outcome. Needs the application object. The font getters call it themselves.
bool installFonts();

} // namespace Theme
