#pragma once

#include "dialogs/About.h"
#include "dialogs/Custom.h"
#include "dialogs/Dialogs.h"
#include "dialogs/DuelResult.h"
#include "dialogs/Forms.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace tessarin {

// A scripted Dialogs for tests of the mode set-up and the menus. The name
// dialog answers from a queue: each answer puts its text into the box and
// presses Ok or Cancel; with the queue empty it presses Cancel. Every modal
// show is recorded and the window is closed the way its own Ok (or close
// button) would close it.
class ModeTestDialogs : public Dialogs {
public:
    struct Answer {
        std::string text;
        bool ok = true;
    };

    void type(const std::string& text) { answers.push_back({text, true}); }
    void cancel(const std::string& typedFirst = {}) { answers.push_back({typedFirst, false}); }

    void ShowModal(InputForm& form) override {
        inputTitles.push_back(form.TheWindow.Caption);
        inputDefaults.push_back(form.Text1);
        if (onInput)
            onInput(form);
        Answer a{form.Text1, false};
        if (!answers.empty()) {
            a = answers.front();
            answers.pop_front();
        }
        form.Text1 = a.text;
        if (a.ok)
            form.cmdOk_Click();
        else
            form.cmdCancel_Click();
    }
    void ShowModal(MessageForm& form) override {
        messages.push_back(form.Label1.Caption);
        form.Label1_Click();
    }
    void ShowModal(Custom& form) override {
        ++customShown;
        form.Form_Unload();
    }
    void ShowModal(DuelResult& form) override {
        ++duelResultShown;
        form.Command1_Click();
    }
    void ShowModal(About& form) override {
        ++aboutShown;
        if (onAbout)
            onAbout();
        form.cmdOk_Click();
    }
    void SystemMessage(const std::string& text, const std::string&) override {
        systemMessages.push_back(text);
    }
    bool StartProgram(const std::string& commandLine) override {
        startedPrograms.push_back(commandLine);
        return startProgramSucceeds;
    }
    void ShowHelp() override { ++helpShown; }
    void EndProgram() override { ++endProgramCalls; }

    // Script
    std::deque<Answer> answers;
    bool startProgramSucceeds = true;
    std::function<void(InputForm&)> onInput; // runs as the name dialog opens
    std::function<void()> onAbout;           // runs as the about box opens

    // Record
    std::vector<std::string> inputTitles;
    std::vector<std::string> inputDefaults; // the text in the box as it opened
    std::vector<std::string> messages;
    std::vector<std::string> systemMessages;
    std::vector<std::string> startedPrograms;
    int customShown = 0;
    int duelResultShown = 0;
    int aboutShown = 0;
    int helpShown = 0;
    int endProgramCalls = 0;
};

} // namespace tessarin
