#include "Scan/SmartScan/SmartScanEmptyContent.h"

#include "Look/SuccessArt.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"
#include "Scan/Screen/ScanViewModel.h"

using namespace Qt::StringLiterals;

SmartScanEmptyContent::SmartScanEmptyContent(ScanViewModel& model) : SmartScanContent(u"emptyContent"_s, model)
{
    add(new SuccessArt(150, Theme::mint()));
    auto* line = new TextLabel(u"Rien à nettoyer pour l'instant."_s, Theme::systemFont(13), Paint::Ink::secondary);
    line->setObjectName(u"emptyMessage"_s);
    add(line);
    auto* again = button(u"Relancer"_s, QuietButtonStyle{}, u"rescanButton"_s);
    connect(again, &QAbstractButton::clicked, this, [this] { m_model.scan(); });
    add(again);
}
