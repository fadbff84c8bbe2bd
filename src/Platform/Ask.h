#pragma once

#include <QString>

#include <functional>

namespace Platform {

// A question put to the user before something that cannot be taken back (an uninstall, a shredding): a title, a
// message, one destructive button and one cancel button. The screens receive one from whoever builds them; the
// desktop's own lives with the widgets (DesktopAsk), tests give a recording one that answers from a script. The
// answer always comes through the callback, later or at once, never through a nested event loop.
class Ask
{
public:
    struct Question {
        QString title;
        QString message;
        QString destructive; // the button that goes ahead ("Désinstaller")
        QString cancel;      // the button that does nothing ("Annuler")
    };

    // True when the user chose the destructive button; false on the cancel button or when the question was closed.
    using Answer = std::function<void(bool confirmed)>;

    virtual ~Ask();

    // Puts the question and returns; `answer` is called once, on the GUI thread, when the user is done.
    virtual void ask(const Question& question, Answer answer) = 0;

protected:
    Ask() = default;
    Ask(const Ask&) = default;
    Ask& operator=(const Ask&) = default;
};

} // namespace Platform
