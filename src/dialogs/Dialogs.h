#pragma once

#include <string>

namespace tessarin {

class InputForm;
class MessageForm;
class Custom;
class DuelResult;
class About;

// What the game asks of the window system beyond its own window: modal
// dialogs, the system message box, starting another program, and ending
// the program. Each ShowModal returns once the dialog's window has been
// hidden by its own logic (an Ok, a Cancel, a close); while it is open the
// Qt side keeps delivering timer and paint events, and a test double may
// advance virtual time. The logic of every dialog lives in its class; the
// window system only shows its state and forwards its events.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual void ShowModal(InputForm& form) = 0;
    virtual void ShowModal(MessageForm& form) = 0;
    virtual void ShowModal(Custom& form) = 0;
    virtual void ShowModal(DuelResult& form) = 0;
    virtual void ShowModal(About& form) = 0;
    // A system message box with an OK button and the application's title.
    virtual void SystemMessage(const std::string& text, const std::string& title) = 0;
    // Starts a command line as a separate program, without waiting; false
    // when it could not be started.
    virtual bool StartProgram(const std::string& commandLine) = 0;
    // Opens the game's own How to Play window.
    virtual void ShowHelp() = 0;
    // Ends the program at once: no further window event runs.
    virtual void EndProgram() = 0;
};

} // namespace tessarin
