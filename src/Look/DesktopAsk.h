#pragma once

#include "Platform/Ask.h"

class QMessageBox;

// The question of this desktop: a warning message box, window-modal over the active window, with the destructive
// button and the cancel button it is given (the cancel one is the default, so Return does not destroy), answering
// when it closes. GUI thread only.
class DesktopAsk final : public Platform::Ask
{
public:
    DesktopAsk() = default;

    void ask(const Question& question, Answer answer) override;

    // The box built for `question`, not shown yet; the caller owns it. Exposed for the look's tests.
    static QMessageBox* makeBox(const Question& question);
};
