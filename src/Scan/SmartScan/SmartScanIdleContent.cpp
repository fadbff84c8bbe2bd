#include "Scan/SmartScan/SmartScanIdleContent.h"

#include "Look/HaloArt.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"
#include "Platform/Symbols.h"
#include "Scan/Screen/ScanViewModel.h"
#include "Scan/SmartScan/SmartScanView.h"

using namespace Qt::StringLiterals;

SmartScanIdleContent::SmartScanIdleContent(ScanViewModel& model) : SmartScanContent(u"idleContent"_s, model)
{
    add(new HaloArt(sfSymbol(u"sparkles"), Theme::indigo(), 186, true));
    auto* invitation = new TextLabel(u"Une passe sur les fichiers inutiles, les corbeilles et les menaces connues."_s,
                                     Theme::systemFont(12), Paint::Ink::secondary);
    invitation->setObjectName(u"invitationText"_s);
    invitation->setWordWrap(true);
    invitation->setAlignment(Qt::AlignCenter);
    invitation->setMaximumWidth(SmartScanView::invitationWidth);
    addStretched(invitation);
    auto* scan = button(u"Analyser"_s, primary(), u"scanButton"_s);
    connect(scan, &QAbstractButton::clicked, this, [this] { m_model.scan(); });
    add(scan);
}
