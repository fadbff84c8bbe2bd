#include "Scan/History/AftermathBlock.h"

#include "Core/FileUtils.h"
#include "Core/ModuleID.h"
#include "Look/CardModifier.h"
#include "Look/Paint.h"
#include "Look/SymbolView.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"
#include "Scan/History/HistoryViewModel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QLabel* colouredLabel(const QString& text, const QFont& font, const QColor& colour, QWidget* parent = nullptr)
{
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    return label;
}

// The aftermath bar: a mint track and, from the leading edge, the amber share come back.
class ShareBar final : public QWidget
{
public:
    explicit ShareBar(QWidget* parent) : QWidget(parent) { setFixedHeight(6); }
    void setFraction(qreal fraction)
    {
        m_fraction = fraction;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        const QRectF track = rect();
        painter.fillPath(Paint::capsule(track), Paint::withOpacity(Theme::mint(), 0.25));
        if (m_fraction > 0) {
            const QRectF fill(track.left(), track.top(), track.width() * m_fraction, track.height());
            painter.fillPath(Paint::capsule(fill), Theme::amber());
        }
    }

private:
    qreal m_fraction = 0;
};

} // namespace

AftermathBlock::AftermathBlock(QWidget* parent) : QWidget(parent)
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(14, 14, 14, 0);
    auto* inner = new QWidget;
    auto* column = new QVBoxLayout(inner);
    column->setContentsMargins(14, 14, 14, 14);
    column->setSpacing(10);
    auto* header = new QHBoxLayout;
    header->addWidget(new TextLabel(u"Ce qui est revenu depuis"_s, Theme::systemFont(12, QFont::DemiBold)), 0,
                      Qt::AlignBaseline);
    header->addSpacing(8);
    header->addStretch(1);
    m_net = colouredLabel(QString(), Theme::systemFont(12, QFont::DemiBold, Theme::Design::rounded), Theme::mint());
    header->addWidget(m_net, 0, Qt::AlignBaseline);
    column->addLayout(header);
    m_bar = new ShareBar(inner);
    column->addWidget(m_bar);
    m_rows = new QVBoxLayout;
    m_rows->setSpacing(10);
    column->addLayout(m_rows);
    auto* note = new TextLabel(u"Mesuré sur les emplacements exacts qui ont été vidés, à l'instant. Un cache qui "_s
                               u"repousse n'est pas une anomalie — c'est son travail. Mais vous savez maintenant "_s
                               u"lequel vaut le geste."_s,
                               Theme::systemFont(10.5), Paint::Ink::tertiary);
    note->setWordWrap(true);
    column->addWidget(note);
    m_card = card(inner, 0, this);
    outer->addWidget(m_card);
    setVisible(false);
}

void AftermathBlock::show(const QList<Aftermath::Verdict>& verdicts, qint64 freed, qint64 returned)
{
    setVisible(freed > 0);
    qint64 net = 0;
    if (__builtin_sub_overflow(freed, returned, &net))
        net = 0;
    m_net->setText(HistoryViewModel::byteText(net) + u" nets sur "_s + HistoryViewModel::byteText(freed));
    m_fraction = freed > 0 ? std::min(double(returned) / double(freed), 1.0) : 0;
    static_cast<ShareBar*>(m_bar)->setFraction(m_fraction);

    while (QLayoutItem* item = m_rows->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (const Aftermath::Verdict& verdict : verdicts) {
        auto* row = new QWidget;
        row->setProperty("module", toRaw(verdict.module));
        auto* line = new QHBoxLayout(row);
        line->setContentsMargins(0, 0, 0, 0);
        auto* icon = new SymbolView(symbol(verdict.module), 10, Theme::tint(verdict.module));
        icon->setFixedWidth(16);
        line->addWidget(icon, 0, Qt::AlignTop);
        auto* texts = new QVBoxLayout;
        texts->setSpacing(2);
        auto* title = new TextLabel(::title(verdict.module), Theme::systemFont(11.5, QFont::Medium));
        title->setObjectName(u"verdictTitle"_s);
        auto* sentence = new TextLabel(verdict.summary(), Theme::systemFont(11), Paint::Ink::secondary);
        sentence->setObjectName(u"verdictSentence"_s);
        sentence->setWordWrap(true);
        texts->addWidget(title);
        texts->addWidget(sentence);
        line->addLayout(texts, 1);
        line->addSpacing(8);
        const QString share = QString::asprintf("%lld", qint64(HistoryViewModel::sharePercent(verdict))) + u" %"_s;
        const QFont shareFont = Theme::systemFont(11.5, QFont::DemiBold, Theme::Design::rounded);
        QLabel* figure = HistoryViewModel::shareIsHigh(verdict)
                             ? colouredLabel(share, shareFont, Theme::amber())
                             : new TextLabel(share, shareFont, Paint::Ink::secondary);
        figure->setObjectName(u"verdictShare"_s);
        line->addWidget(figure, 0, Qt::AlignTop);
        m_rows->addWidget(row);
    }
}

QString AftermathBlock::netLine() const
{
    return m_net->text();
}

QList<QStringList> AftermathBlock::rows() const
{
    QList<QStringList> rows;
    for (int i = 0; i < m_rows->count(); ++i) {
        QWidget* row = m_rows->itemAt(i)->widget();
        rows.append({row->findChild<QLabel*>(u"verdictTitle"_s)->text(),
                     row->findChild<QLabel*>(u"verdictSentence"_s)->text(),
                     row->findChild<QLabel*>(u"verdictShare"_s)->text()});
    }
    return rows;
}
