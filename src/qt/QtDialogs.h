#pragma once

#include "dialogs/Dialogs.h"

#include <QMessageBox>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>

namespace tessarin::qt {

class AboutWindow;
class CustomWindow;
class FormDialog;
class HelpWindow;
class InputWindow;
class MessageWindow;
class RecordsWindow;

// The game's dialogs as Qt windows. Each is created on first use and then
// only shown and hidden; a modal show runs a nested event loop, so the
// main window's timers and paints go on meanwhile.
class QtDialogs : public QObject, public Dialogs {
    Q_OBJECT
public:
    explicit QtDialogs(int scale = 1, QObject* parent = nullptr);
    ~QtDialogs() override;

    void ShowModal(InputForm& form) override;
    void ShowModal(MessageForm& form) override;
    void ShowModal(Custom& form) override;
    void ShowModal(DuelResult& form) override;
    void ShowModal(About& form) override;
    void SystemMessage(const std::string& text, const std::string& title) override;
    bool StartProgram(const std::string& commandLine) override;
    void ShowHelp() override;
    void EndProgram() override;

    // Runs before every modal show: the main window brings itself up to
    // date, so the dialog opens over what the game shows now.
    void setBeforeModal(std::function<void()> f) { beforeModal_ = std::move(f); }
    // Runs once when the program ends, after the dialogs have closed: stop
    // the timers and leave the application's event loop.
    void setOnEnd(std::function<void()> f) { onEnd_ = std::move(f); }
    // Where the screen starts, in pixels.
    void setScreenOrigin(QPoint origin) { screenOrigin_ = origin; }
    bool ended() const { return ended_; }

    // The windows, once created (tests and tools).
    InputWindow* inputWindow() const { return input_.get(); }
    MessageWindow* messageWindow() const { return message_.get(); }
    CustomWindow* customWindow() const { return custom_.get(); }
    RecordsWindow* recordsWindow() const { return records_.get(); }
    AboutWindow* aboutWindow() const { return about_.get(); }
    HelpWindow* helpWindow() const { return help_.get(); }
    // The system message box while it is open.
    QMessageBox* systemMessage() const { return systemMessage_; }

private:
    template <typename Window, typename Form>
    void showModal(std::unique_ptr<Window>& window, Form& form);

    int scale_;
    QPoint screenOrigin_;
    std::unique_ptr<InputWindow> input_;
    std::unique_ptr<MessageWindow> message_;
    std::unique_ptr<CustomWindow> custom_;
    std::unique_ptr<RecordsWindow> records_;
    std::unique_ptr<AboutWindow> about_;
    std::unique_ptr<HelpWindow> help_;
    QPointer<QMessageBox> systemMessage_;
    std::function<void()> beforeModal_;
    std::function<void()> onEnd_;
    bool ended_ = false;
};

} // namespace tessarin::qt
