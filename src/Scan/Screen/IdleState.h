#pragma once

#include "Core/ModuleID.h"

#include <QWidget>

#include <functional>

// The module screen before a scan: the module's halo, "Prêt à analyser" and the scan button (objectName
// "scanButton"), which runs `action`. Centred in all the room it is given.
class IdleState final : public QWidget
{
    Q_OBJECT

public:
    static constexpr qreal haloDiameter = 176;

    IdleState(ModuleID module, std::function<void()> action, QWidget* parent = nullptr);
};
