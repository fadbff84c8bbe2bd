#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

// An information or warning banner above a screen's content: the kind's symbol in the kind's colour, a title
// and a wrapping message, and, only when both an action title and an action are given, a quiet button
// (objectName "noticeActionButton") that runs the action. Behind it, a rounded rectangle washed with the kind's
// colour and edged with it.
class NoticeBanner final : public QWidget
{
    Q_OBJECT

public:
    enum class Kind { info, warning };

    static const QColor& kindColor(Kind kind); // indigo, amber
    static QString kindSymbol(Kind kind);      // "info.circle.fill", "exclamationmark.triangle.fill"
    static bool showsButton(const std::optional<QString>& actionTitle, const std::function<void()>& action);
    static constexpr qreal cornerRadius = 14;
    static constexpr qreal fillOpacity = 0.1;
    static constexpr qreal edgeOpacity = 0.25;

    NoticeBanner(Kind kind, const QString& title, const QString& message,
                 const std::optional<QString>& actionTitle = std::nullopt, std::function<void()> action = {},
                 QWidget* parent = nullptr);

    Kind kind() const { return m_kind; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Kind m_kind;
    std::function<void()> m_action;
};
