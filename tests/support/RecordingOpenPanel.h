#pragma once

#include "Platform/OpenPanel.h"

#include <QList>
#include <QStringList>

namespace TestSupport {

// An open panel that writes down every request and answers it at once from a script: the next scripted choice,
// or a cancel (no paths) when the script is used up.
class RecordingOpenPanel final : public Platform::OpenPanel
{
public:
    void choose(const Request& request, Answer answer) override
    {
        requests.append(request);
        const QStringList chosen = script.isEmpty() ? QStringList() : script.takeFirst();
        if (answer)
            answer(chosen);
    }

    QList<QStringList> script; // one entry per answer; an empty entry is a cancel
    QList<Request> requests;
};

} // namespace TestSupport
