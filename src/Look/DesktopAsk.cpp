#include "Look/DesktopAsk.h"

#include "Look/Paint.h"
#include "Look/StyledButton.h"
#include "Look/Theme.h"
#include "Platform/Symbols.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

// A push button, so that the box can make it its default, in one of the look's two button styles.
class AskButton final : public QPushButton
{
public:
    AskButton(const QString& title, const StyledButton::Style& style) : QPushButton(title), m_style(style)
    {
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }

    QSize sizeHint() const override { return StyledButton::sizeFor(m_style, text()); }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        StyledButton::paintLook(painter, *this, m_style, text(), isDown());
        if (hasFocus()) {
            // Where the keyboard is: a thin ring inside the capsule, in the accent colour.
            painter.setPen(QPen(Paint::withOpacity(Theme::indigo(), 0.6), 1.5));
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(Paint::capsule(QRectF(rect()).adjusted(1, 1, -1, -1)));
        }
    }

private:
    StyledButton::Style m_style;
};

QPixmap warningSymbol(qreal ratio)
{
    QPixmap pixmap(QSize(DesktopAsk::symbolSide, DesktopAsk::symbolSide) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = DesktopAsk::symbolSide;
    painter.setPen(Qt::NoPen);
    painter.setBrush(Paint::withOpacity(Theme::amber(), 0.16));
    painter.drawPath(Paint::continuousRoundedRect(QRectF(0, 0, side, side), 12));
    Paint::drawSymbol(painter, sfSymbol(u"exclamationmark.triangle.fill"), QPointF(side / 2, side / 2), 24,
                      Theme::amber());
    return pixmap;
}

} // namespace

QMessageBox* DesktopAsk::makeBox(const Question& question)
{
    QWidget* over = QApplication::activeWindow();
    auto* box = new QMessageBox(over);
    box->setWindowTitle(question.title);
    box->setTextFormat(Qt::PlainText);
    box->setText(question.title);
    box->setInformativeText(question.message);
    box->setIconPixmap(warningSymbol(over ? over->devicePixelRatioF() : qApp->devicePixelRatio()));
    // The look's texts: the question in semibold, what it does under it, secondary, at a width that reads in two
    // or three lines rather than a narrow column.
    if (auto* text = box->findChild<QLabel*>(u"qt_msgbox_label"_s))
        text->setFont(Theme::systemFont(14, QFont::DemiBold));
    if (auto* message = box->findChild<QLabel*>(u"qt_msgbox_informativelabel"_s)) {
        message->setFont(Theme::systemFont(12.5));
        QPalette palette = message->palette();
        palette.setColor(QPalette::WindowText, Paint::ink(nullptr, Paint::Ink::secondary));
        message->setPalette(palette);
        message->setMinimumWidth(messageWidth);
    }
    box->addButton(new AskButton(question.destructive, PrimaryButtonStyle{Theme::dangerGradient(), true}),
                   QMessageBox::DestructiveRole);
    auto* cancel = new AskButton(question.cancel, QuietButtonStyle{});
    box->addButton(cancel, QMessageBox::RejectRole);
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    box->setWindowModality(Qt::WindowModal);
    return box;
}

void DesktopAsk::ask(const Question& question, Answer answer)
{
    QMessageBox* box = makeBox(question);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // Read which button closed the box rather than the result code: a destructive button gives no accepted code.
    QObject::connect(box, &QMessageBox::finished, box, [box, answer = std::move(answer)](int) {
        const bool confirmed =
            box->clickedButton() != nullptr && box->buttonRole(box->clickedButton()) == QMessageBox::DestructiveRole;
        if (answer)
            answer(confirmed);
    });
    box->open();
}
