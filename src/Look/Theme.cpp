#include "Look/Theme.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include <QFontDatabase>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace Theme {

namespace {

QColor srgb(double red, double green, double blue)
{
    return QColor::fromRgbF(static_cast<float>(red), static_cast<float>(green), static_cast<float>(blue), 1.0f);
}

struct Families {
    bool installed = false;
    QString text = u"Inter"_s;
    QString mono = u"DejaVu Sans Mono"_s;
};

const Families& families()
{
    static const Families loaded = [] {
        Families f;
        bool ok = true;
        const auto add = [&ok](const QString& resource) {
            const int id = QFontDatabase::addApplicationFont(resource);
            ok = ok && id >= 0;
            return id < 0 ? QStringList() : QFontDatabase::applicationFontFamilies(id);
        };
        for (const QString& weight : {u"Regular"_s, u"Medium"_s, u"SemiBold"_s, u"Bold"_s}) {
            const QStringList names = add(u":/fonts/Inter-"_s + weight + u".otf"_s);
            if (!names.isEmpty())
                f.text = names.first();
        }
        const QStringList mono = add(u":/fonts/DejaVuSansMono.ttf"_s);
        if (!mono.isEmpty())
            f.mono = mono.first();
        add(u":/fonts/MaterialIcons-Regular.ttf"_s);
        f.installed = ok;
        return f;
    }();
    return loaded;
}

} // namespace

const QColor& indigo()
{
    static const QColor c = srgb(0.36, 0.42, 0.98);
    return c;
}

const QColor& cyan()
{
    static const QColor c = srgb(0.22, 0.78, 0.90);
    return c;
}

const QColor& mint()
{
    static const QColor c = srgb(0.24, 0.83, 0.62);
    return c;
}

const QColor& amber()
{
    static const QColor c = srgb(0.98, 0.71, 0.24);
    return c;
}

const QColor& coral()
{
    static const QColor c = srgb(0.97, 0.40, 0.42);
    return c;
}

const QColor& violet()
{
    static const QColor c = srgb(0.62, 0.38, 0.95);
    return c;
}

const QColor& teal()
{
    static const QColor c = srgb(0.13, 0.70, 0.72);
    return c;
}

const QColor& slate()
{
    static const QColor c = srgb(0.38, 0.56, 0.72);
    return c;
}

const QColor& green()
{
    static const QColor c = srgb(0.16, 0.72, 0.51);
    return c;
}

const QColor& periwinkle()
{
    static const QColor c = srgb(0.45, 0.47, 0.90);
    return c;
}

const QColor& orange()
{
    static const QColor c = srgb(0.96, 0.55, 0.24);
    return c;
}

const QColor& red()
{
    static const QColor c = srgb(0.87, 0.26, 0.31);
    return c;
}

const QColor& pink()
{
    static const QColor c = srgb(0.92, 0.38, 0.62);
    return c;
}

const QColor& sky()
{
    static const QColor c = srgb(0.30, 0.66, 0.94);
    return c;
}

const QColor& sand()
{
    static const QColor c = srgb(0.84, 0.65, 0.35);
    return c;
}

const QColor& orchid()
{
    static const QColor c = srgb(0.71, 0.42, 0.76);
    return c;
}

const QColor& steel()
{
    static const QColor c = srgb(0.47, 0.52, 0.60);
    return c;
}

const QColor& tint(ModuleID module)
{
    switch (paletteTint(module)) {
    case ModuleTint::indigo:
        return indigo();
    case ModuleTint::cyan:
        return cyan();
    case ModuleTint::sky:
        return sky();
    case ModuleTint::teal:
        return teal();
    case ModuleTint::slate:
        return slate();
    case ModuleTint::mint:
        return mint();
    case ModuleTint::green:
        return green();
    case ModuleTint::violet:
        return violet();
    case ModuleTint::periwinkle:
        return periwinkle();
    case ModuleTint::amber:
        return amber();
    case ModuleTint::sand:
        return sand();
    case ModuleTint::orange:
        return orange();
    case ModuleTint::coral:
        return coral();
    case ModuleTint::orchid:
        return orchid();
    case ModuleTint::steel:
        return steel();
    case ModuleTint::red:
        return red();
    case ModuleTint::pink:
        return pink();
    }
    return indigo();
}

QLinearGradient diagonalGradient(const QColor& first, const QColor& second)
{
    QLinearGradient gradient(0, 0, 1, 1);
    gradient.setCoordinateMode(QGradient::ObjectMode);
    gradient.setColorAt(0, first);
    gradient.setColorAt(1, second);
    return gradient;
}

const QLinearGradient& accentGradient()
{
    static const QLinearGradient g = diagonalGradient(indigo(), cyan());
    return g;
}

const QLinearGradient& dangerGradient()
{
    static const QLinearGradient g = diagonalGradient(coral(), amber());
    return g;
}

const QLinearGradient& healthyGradient()
{
    static const QLinearGradient g = diagonalGradient(mint(), cyan());
    return g;
}

QLinearGradient gaugeGradient(double fraction)
{
    // Written so that NaN fails both tests and lands in the top band.
    if (fraction < 0.7)
        return healthyGradient();
    if (fraction < 0.9)
        return diagonalGradient(amber(), coral());
    return dangerGradient();
}

QLinearGradient tintGradient(const QColor& tint)
{
    return diagonalGradient(blend(Qt::white, tint, 0.26), tint);
}

QColor blend(const QColor& target, const QColor& base, double fraction)
{
    const auto inSrgb = [](const QColor& c) { return c.isValid() ? c.toRgb() : QColor(Qt::transparent); };
    const QColor from = inSrgb(base);
    if (std::isnan(fraction))
        return from;
    const QColor to = inSrgb(target);
    const float f = static_cast<float>(std::clamp(fraction, 0.0, 1.0));
    const auto mix = [f](float a, float b) { return a + (b - a) * f; };
    return QColor::fromRgbF(mix(from.redF(), to.redF()), mix(from.greenF(), to.greenF()), mix(from.blueF(), to.blueF()),
                            mix(from.alphaF(), to.alphaF()));
}

QFont systemFont(qreal size, QFont::Weight weight, Design design)
{
    const Families& f = families();
    QFont font(design == Design::monospaced ? f.mono : f.text);
    font.setStyleHint(design == Design::monospaced ? QFont::Monospace : QFont::SansSerif);
    // A point here is a device-independent pixel: a point size would be scaled by the screen's 96 dpi.
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(size))));
    font.setWeight(weight);
    return font;
}

const QFont& titleFont()
{
    static const QFont f = systemFont(26, QFont::Bold, Design::rounded);
    return f;
}

const QFont& heroFont()
{
    static const QFont f = systemFont(44, QFont::Bold, Design::rounded);
    return f;
}

const QFont& captionFont()
{
    static const QFont f = [] {
        QFont font = systemFont(12, QFont::DemiBold);
        font.setCapitalization(QFont::SmallCaps);
        return font;
    }();
    return f;
}

const QFont& monoFont()
{
    static const QFont f = systemFont(11, QFont::Normal, Design::monospaced);
    return f;
}

bool installFonts()
{
    return families().installed;
}

} // namespace Theme
