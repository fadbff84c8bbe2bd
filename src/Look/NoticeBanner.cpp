#include "Look/NoticeBanner.h"

#include "Look/Paint.h"
#include "Look/StyledButton.h"
#include "Look/SymbolView.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"
#include "Platform/Symbols.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

const QColor& NoticeBanner::kindColor(Kind kind)
{
    return kind == Kind::info ? Theme::indigo() : Theme::amber();
}

QString NoticeBanner::kindSymbol(Kind kind)
{
    return kind == Kind::info ? sfSymbol(u"info.circle.fill") : sfSymbol(u"exclamationmark.triangle.fill");
}

bool NoticeBanner::showsButton(const std::optional<QString>& actionTitle, const std::function<void()>& action)
{
    return actionTitle.has_value() && static_cast<bool>(action);
}

NoticeBanner::NoticeBanner(Kind kind, const QString& title, const QString& message,
                           const std::optional<QString>& actionTitle, std::function<void()> action, QWidget* parent)
    : QWidget(parent), m_kind(kind), m_action(std::move(action))
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(14, 14, 14, 14);
    row->setSpacing(12);
    row->addWidget(new SymbolView(kindSymbol(kind), 16, kindColor(kind)), 0, Qt::AlignTop);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(3);
    auto* titleLabel = new TextLabel(title, Theme::systemFont(13, QFont::DemiBold));
    titleLabel->setObjectName(u"noticeTitle"_s);
    auto* messageLabel = new TextLabel(message, Theme::systemFont(12), Paint::Ink::secondary);
    messageLabel->setObjectName(u"noticeMessage"_s);
    messageLabel->setWordWrap(true);
    texts->addWidget(titleLabel);
    texts->addWidget(messageLabel);
    row->addLayout(texts, 1);

    if (showsButton(actionTitle, m_action)) {
        auto* button = new StyledButton(*actionTitle, QuietButtonStyle{});
        button->setObjectName(u"noticeActionButton"_s);
        connect(button, &QAbstractButton::clicked, this, [this] { m_action(); });
        row->addWidget(button, 0, Qt::AlignTop);
    }
}

void NoticeBanner::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = rect();
    const QColor& color = kindColor(m_kind);
    painter.fillPath(Paint::continuousRoundedRect(frame, cornerRadius), Paint::withOpacity(color, fillOpacity));
    painter.strokePath(Paint::insetRoundedRect(frame, cornerRadius, 1),
                       QPen(Paint::withOpacity(color, edgeOpacity), 1));
}
