#pragma once

#include "Developer/XcodeService.h"
#include "Look/BandedRows.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class TriStateBox;

// What the developer-cleanup rows and screen write, kept apart from the widgets so that the wording is
// checked without drawing.
namespace XcodeTexts {

// "0 Ko" at zero or less, else the shared byte formatter's text.
QString byteText(qint64 bytes);
// "1 appareil", "2 appareils": the singular below 2.
QString countText(qsizetype count, const QString& singular, const QString& plural);
// "Rien de sélectionné", or "N élément(s) sélectionné(s) · size".
QString selectionText(int count, qint64 bytes);
QString freedText(qint64 bytes);

bool isBooted(const QString& state);
// "allumé" when booted, then "runtime absent" when unavailable.
QStringList deviceLabels(const XcodeService::Device& device);
// The runtime name and the last use: "iOS 17.2 · utilisé il y a 3 jours", "… · jamais utilisé".
QString deviceDetail(const XcodeService::Device& device);
// "iOS 17.2 (21C62)".
QString runtimeTitle(const XcodeService::Runtime& runtime);
// The device count, else "fournie par Xcode" for a runtime the tool keeps, else nothing.
std::optional<QString> runtimeLabel(const XcodeService::Runtime& runtime);
QString runtimeDetail(const XcodeService::Runtime& runtime);
// "archivée il y a 2 mois", or the bundle's place with "~" for the home folder when it has no date.
QString archiveDetail(const XcodeService::Archive& archive);

} // namespace XcodeTexts

// One selectable line: the check box (dimmed to 30 % when the row is disabled), then the caller's content.
// A click anywhere on the row, blank space included, toggles it while it is enabled; the pointer lights an
// enabled row only.
class SelectableRow final : public QWidget
{
    Q_OBJECT

public:
    static constexpr qreal hoverOpacity = 0.04;
    static constexpr qreal disabledBoxOpacity = 0.3;

    SelectableRow(bool isSelected, bool isEnabled, const QColor& tint, std::function<void()> toggle, QWidget* trailing,
                  QWidget* parent = nullptr);

    bool isSelected() const { return m_isSelected; }
    bool isRowEnabled() const { return m_isEnabled; }
    bool isHovering() const { return m_isHovering; }
    qreal boxOpacity() const;
    void setSelected(bool selected);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    bool m_isSelected;
    bool m_isEnabled;
    std::function<void()> m_toggle;
    TriStateBox* m_box;
    bool m_isHovering = false;
};

// The three item rows, built on SelectableRow.
SelectableRow* makeDeviceRow(const XcodeService::Device& device, bool isSelected, std::function<void()> toggle);
SelectableRow* makeRuntimeRow(const XcodeService::Runtime& runtime, bool isRemovable, bool isSelected,
                              std::function<void()> toggle);
SelectableRow* makeArchiveRow(const XcodeService::Archive& archive, bool isSelected, std::function<void()> toggle);

// A titled card of rows: a soft icon, the title and its note (wrapping as far as it needs), a divider, then
// the rows edge to edge. Rows exist only for the band the screen asks for with showBand(), so hundreds of
// simulators cost what the visible ones cost.
class XcodeSection final : public QWidget
{
    Q_OBJECT

public:
    using RowFactory = std::function<SelectableRow*(int index)>;
    using RowSelected = std::function<bool(int index)>;

    XcodeSection(const QString& title, const QString& note, const QString& symbol, const QColor& tint, int rowCount,
                 RowFactory makeRow, RowSelected isSelected, QWidget* parent = nullptr);

    int rowCount() const { return m_rowCount; }
    static int rowHeight();
    // Builds the rows that meet [top, bottom) in the section's own coordinates and drops the others.
    void showBand(int top, int bottom);
    // Shows each built row's selection afresh.
    void refreshSelection();
    QList<SelectableRow*> builtRows() const { return m_rows.builtRows<SelectableRow>(); }

private:
    int m_rowCount;
    RowSelected m_isSelected;
    QWidget* m_rowsArea;
    BandedRows m_rows; // in the rows area's coordinates
};
