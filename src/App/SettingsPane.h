#pragma once

#include <QColor>
#include <QScrollArea>
#include <QString>

class QVBoxLayout;
class TextLabel;

// One labelled setting of a settings page: its title and a wrapping explanation on the left, its control on the
// right. The row has no padding, background or divider of its own.
class SettingRow final : public QWidget
{
    Q_OBJECT

public:
    SettingRow(const QString& title, const QString& detail, QWidget* control, QWidget* parent = nullptr);

    QString title() const;
    QString detail() const;
    void setDetail(const QString& detail);
    QWidget* control() const { return m_control; }

private:
    TextLabel* m_title;
    TextLabel* m_detail;
    QWidget* m_control;
};

// A settings page: a scrolling column, on a faint wash of the text background, of a header (the pane's tile,
// title and wrapping subtitle) and the rows the page adds below it, dividers placed by the page itself.
class SettingsPane : public QScrollArea
{
    Q_OBJECT

public:
    SettingsPane(const QString& symbol, const QColor& tint, const QString& title, const QString& subtitle,
                 QWidget* parent = nullptr);

    // The header of icon tile, title and subtitle, shared with the exclusions pane, which does not scroll as a whole.
    static QWidget* makeHeader(const QString& symbol, const QColor& tint, const QString& title, const QString& subtitle,
                               QWidget* parent = nullptr);
    // The wash behind every settings page: the text background at a quarter of its strength over the window.
    static QColor background(const QWidget* widget);

protected:
    // Appends to the column, in order.
    void add(QWidget* widget);
    QWidget* addDivider();

private:
    QVBoxLayout* m_column;
};
