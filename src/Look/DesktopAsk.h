#pragma once

#include "Platform/Ask.h"

class QMessageBox;

// The question of this desktop: a message box in the program's look, window-modal over the active window: the
// look's warning symbol on an amber tile, the question in semibold over what it does, at a width that reads, and
// the destructive button (primary, danger gradient) beside the cancel button (quiet). The cancel one is the
// default, so Return does not destroy. It answers when it closes. GUI thread only.
class DesktopAsk final : public Platform::Ask
{
public:
    DesktopAsk() = default;

    static constexpr int symbolSide = 44;
    static constexpr int messageWidth = 360; // the least width of the explanation

    void ask(const Question& question, Answer answer) override;

    // The box built for `question`, not shown yet; the caller owns it. Exposed for the look's tests.
    static QMessageBox* makeBox(const Question& question);
};
