#pragma once

#include "Platform/Ask.h"

#include <QList>

namespace TestSupport {

// A question that writes down every request and answers it at once from a script: the next scripted answer, or a
// cancel when the script is used up.
class RecordingAsk final : public Platform::Ask
{
public:
    void ask(const Question& question, Answer answer) override
    {
        questions.append(question);
        const bool confirmed = script.isEmpty() ? false : script.takeFirst();
        if (answer)
            answer(confirmed);
    }

    QList<bool> script; // one entry per answer: true goes ahead, false cancels
    QList<Question> questions;
};

} // namespace TestSupport
