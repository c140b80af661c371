#pragma once

// A Dialogs double for tests and tools. Every modal show runs a script for
// its kind of form: a function that may inspect the form and call its
// handlers (type a name and press Ok, press keys in the key boxes, press
// Ok), and every call is recorded. A show with no script left closes the
// form the natural way (Ok, Enter), so nothing hangs; a script that leaves
// the window open fails the test and the window is closed for it.

#include "dialogs/About.h"
#include "dialogs/Custom.h"
#include "dialogs/Dialogs.h"
#include "dialogs/DuelResult.h"
#include "dialogs/Forms.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace tessarin {

class ScriptedDialogs : public Dialogs {
public:
    // The scripts of one kind of form. Steps given to then() run once each,
    // in order, for the next shows; after them every show runs the step
    // given to always(), or, without one, the form's natural close.
    template <class Form> class Script {
    public:
        using Step = std::function<void(Form&)>;
        Script& then(Step step) {
            queue_.push_back(std::move(step));
            return *this;
        }
        void always(Step step) { always_ = std::move(step); }
        void clear() {
            queue_.clear();
            always_ = nullptr;
        }
        std::size_t pending() const { return queue_.size(); }

    private:
        friend class ScriptedDialogs;
        Step next() {
            if (!queue_.empty()) {
                Step s = std::move(queue_.front());
                queue_.pop_front();
                return s;
            }
            return always_;
        }
        std::deque<Step> queue_;
        Step always_;
    };

    enum class Kind {
        Input,
        Message,
        Custom,
        DuelResult,
        About,
        SystemMessage,
        StartProgram,
        Help,
        EndProgram
    };

    // One call, as it was made. For a modal show: the window's caption and
    // the text it shows (the prompt of the name window, the message of the
    // message window) at the moment it opened, and for the name window the
    // text its box held then. For a system message: its title and text. For
    // a started program: its command line as text.
    struct Call {
        Kind kind;
        std::string caption;
        std::string text;
        std::string box;
    };

    Script<InputForm> input;
    Script<MessageForm> message;
    Script<Custom> custom;
    Script<DuelResult> duelResult;
    Script<About> about;

    // Runs at the start of every modal show and system message, before the
    // script: a place to advance virtual time while a dialog is open.
    std::function<void()> whileOpen;
    // What StartProgram answers.
    bool startProgramResult = true;

    std::vector<Call> calls;
    bool programEnded = false;

    // ---- Ready-made steps

    static Script<InputForm>::Step typeAndOk(std::string text) {
        return [text = std::move(text)](InputForm& f) {
            f.Text1 = text;
            f.cmdOk_Click();
        };
    }
    static Script<InputForm>::Step cancelInput(std::string typedFirst = {}) {
        return [typedFirst = std::move(typedFirst)](InputForm& f) {
            if (!typedFirst.empty())
                f.Text1 = typedFirst;
            f.cmdCancel_Click();
        };
    }

    // ---- Queries

    std::size_t count(Kind kind) const {
        std::size_t n = 0;
        for (const Call& c : calls)
            n += c.kind == kind ? 1 : 0;
        return n;
    }
    std::vector<Call> callsOf(Kind kind) const {
        std::vector<Call> out;
        for (const Call& c : calls)
            if (c.kind == kind)
                out.push_back(c);
        return out;
    }
    // Captions of the modal windows shown, in order.
    std::vector<std::string> captions() const {
        std::vector<std::string> out;
        for (const Call& c : calls)
            if (isModalShow(c.kind))
                out.push_back(c.caption);
        return out;
    }
    // The captions, or the box texts as they opened, of the name windows
    // shown, in order.
    std::vector<std::string> inputCaptions() const {
        std::vector<std::string> out;
        for (const Call& c : callsOf(Kind::Input))
            out.push_back(c.caption);
        return out;
    }
    std::vector<std::string> inputBoxes() const {
        std::vector<std::string> out;
        for (const Call& c : callsOf(Kind::Input))
            out.push_back(c.box);
        return out;
    }
    // The texts of the messages shown, in order.
    std::vector<std::string> messages() const {
        std::vector<std::string> out;
        for (const Call& c : callsOf(Kind::Message))
            out.push_back(c.text);
        return out;
    }
    // The texts of the system messages, in order.
    std::vector<std::string> systemMessages() const {
        std::vector<std::string> out;
        for (const Call& c : callsOf(Kind::SystemMessage))
            out.push_back(c.text);
        return out;
    }

    static const char* name(Kind kind) {
        switch (kind) {
        case Kind::Input:
            return "name input";
        case Kind::Message:
            return "message";
        case Kind::Custom:
            return "control keys";
        case Kind::DuelResult:
            return "records and duel results";
        case Kind::About:
            return "about";
        case Kind::SystemMessage:
            return "system message";
        case Kind::StartProgram:
            return "start program";
        case Kind::Help:
            return "help";
        case Kind::EndProgram:
            return "end program";
        }
        return "?";
    }

    // ---- Dialogs

    void ShowModal(InputForm& form) override {
        run(
            Kind::Input, form, input, form.Label1.Caption, [](InputForm& f) { f.cmdOk_Click(); },
            form.Text1);
    }
    void ShowModal(MessageForm& form) override {
        run(Kind::Message, form, message, form.Label1.Caption,
            [](MessageForm& f) { f.Form_KeyDown(13, 0); });
    }
    void ShowModal(Custom& form) override {
        run(Kind::Custom, form, custom, {}, [](Custom& f) {
            f.Command1_Click(0); // Ok; refused keys leave it open, then Cancel
            if (f.TheWindow.Visible)
                f.Command1_Click(1);
        });
    }
    void ShowModal(DuelResult& form) override {
        run(Kind::DuelResult, form, duelResult, {}, [](DuelResult& f) { f.Command1_Click(); });
    }
    void ShowModal(About& form) override {
        run(Kind::About, form, about, {}, [](About& f) { f.cmdOk_Click(); });
    }
    void SystemMessage(const std::string& text, const std::string& title) override {
        calls.push_back({Kind::SystemMessage, title, text, {}});
        if (whileOpen)
            whileOpen();
    }
    bool StartProgram(const std::string& commandLine) override {
        calls.push_back({Kind::StartProgram, {}, commandLine, {}});
        return startProgramResult;
    }
    void ShowHelp() override { calls.push_back({Kind::Help, {}, {}, {}}); }
    void EndProgram() override {
        calls.push_back({Kind::EndProgram, {}, {}, {}});
        programEnded = true;
    }

private:
    static bool isModalShow(Kind kind) {
        return kind == Kind::Input || kind == Kind::Message || kind == Kind::Custom ||
               kind == Kind::DuelResult || kind == Kind::About;
    }

    template <class Form, class Close>
    void run(Kind kind, Form& form, Script<Form>& script, std::string text, Close naturalClose,
             std::string box = {}) {
        calls.push_back({kind, form.TheWindow.Caption, std::move(text), std::move(box)});
        form.TheWindow.Visible = true; // a modal show shows the window
        if (whileOpen)
            whileOpen();
        if (!form.TheWindow.Visible)
            return; // closed while time ran on
        if (auto step = script.next()) {
            step(form);
            if (form.TheWindow.Visible) {
                ADD_FAILURE() << "the script left the " << name(kind) << " window open";
                form.TheWindow.Visible = false;
            }
            return;
        }
        naturalClose(form);
        if (form.TheWindow.Visible) {
            ADD_FAILURE() << "the " << name(kind) << " window did not close on its own";
            form.TheWindow.Visible = false;
        }
    }
};

} // namespace tessarin
