#pragma once

#include "Core/ScanModel.h"

#include <functional>

class QWidget;

namespace Platform {
class Workspace;
}

// What the views of a module screen use from outside their model. The screen owns it and hands its views a
// reference; they read it at the moment they act, so a later change reaches rows already on screen.
struct ScreenServices {
    Platform::Workspace& workspace;
    // Opens the provenance card of `item` beside `anchor`, the row's info button. While empty, rows offer no
    // info button.
    std::function<void(QWidget* anchor, const ScanItem& item)> openProvenance;
};
