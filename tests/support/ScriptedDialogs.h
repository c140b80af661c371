#pragma once

// A Dialogs double: records every call; a modal show runs the next script step
// for its form, or else closes it (Ok; Cancel for the keys). Left open: a failure.

#include "dialogs/About.h"
#include "dialogs/Custom.h"
#include "dialogs/DuelResult.h"
#include "dialogs/Forms.h"

#include <deque>
#include <functional>
#include <gtest/gtest.h>

namespace tessarin {

class ScriptedDialogs : public Dialogs {
public:
    // Steps given to then() run once each; after them the step given to always().
    template <class Form> class Script {
    public:
        using Step = std::function<void(Form&)>;
        Script& then(Step step) {
            queue_.push_back(std::move(step));
            return *this;
        }
        void always(Step step) { always_ = std::move(step); }
        Step next() {
            if (queue_.empty())
                return always_;
            Step step = std::move(queue_.front());
            queue_.pop_front();
            return step;
        }

    private:
        std::deque<Step> queue_;
        Step always_;
    };

    // clang-format off
    enum class Kind { Input, Message, Custom, DuelResult, About, // the modal shows
                      SystemMessage, StartProgram, Help, EndProgram };
    // clang-format on

    using Texts = std::vector<std::string>;
    struct Call {
        Kind kind;
        std::string caption, text, box; // text: prompt, message, command line
    };

    Script<InputForm> input;
    Script<MessageForm> message;
    Script<tessarin::Custom> custom;
    Script<tessarin::DuelResult> duelResult;
    Script<tessarin::About> about;
    std::function<void()> whileOpen; // as each dialog opens: virtual time may run on
    bool startProgramResult = true;
    std::vector<Call> calls;
    bool programEnded = false;

    static Script<InputForm>::Step typeAndOk(std::string text) {
        return [text](InputForm& f) {
            f.Text1 = text;
            f.cmdOk_Click();
        };
    }
    static Script<InputForm>::Step cancelInput(std::string typedFirst = {}) {
        return [typedFirst](InputForm& f) {
            f.Text1 = typedFirst.empty() ? f.Text1 : typedFirst;
            f.cmdCancel_Click();
        };
    }

    std::size_t count(Kind kind) const { return callsOf(kind).size(); }
    std::vector<Call> callsOf(Kind kind) const {
        std::vector<Call> out;
        for (const Call& c : calls)
            if (c.kind == kind)
                out.push_back(c);
        return out;
    }
    Texts captions() const { return field(Kind::About, &Call::caption, true); } // modal shows
    Texts inputCaptions() const { return field(Kind::Input, &Call::caption); }
    Texts inputBoxes() const { return field(Kind::Input, &Call::box); }
    Texts systemMessages() const { return field(Kind::SystemMessage, &Call::text); }

    void ShowModal(InputForm& f) override { run(Kind::Input, f, input, f.Label1.Caption, f.Text1); }
    void ShowModal(MessageForm& f) override { run(Kind::Message, f, message, f.Label1.Caption); }
    void ShowModal(tessarin::Custom& f) override { run(Kind::Custom, f, custom); }
    void ShowModal(tessarin::DuelResult& f) override { run(Kind::DuelResult, f, duelResult); }
    void ShowModal(tessarin::About& f) override { run(Kind::About, f, about); }
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
    Texts field(Kind kind, std::string Call::*member, bool upTo = false) const {
        Texts out;
        for (const Call& c : calls)
            if (c.kind == kind || (upTo && c.kind < kind))
                out.push_back(c.*member);
        return out;
    }

    static void closeNaturally(InputForm& f) { f.cmdOk_Click(); }
    static void closeNaturally(MessageForm& f) { f.Form_KeyDown(13, 0); }
    static void closeNaturally(tessarin::DuelResult& f) { f.Command1_Click(); }
    static void closeNaturally(tessarin::About& f) { f.cmdOk_Click(); }
    static void closeNaturally(tessarin::Custom& f) { f.Command1_Click(1); }

    template <class Form>
    void run(Kind kind, Form& form, Script<Form>& script, std::string text = {},
             std::string box = {}) {
        calls.push_back({kind, form.TheWindow.Caption, std::move(text), std::move(box)});
        form.TheWindow.Visible = true;
        if (whileOpen)
            whileOpen();
        if (!form.TheWindow.Visible)
            return; // closed while time ran on
        if (auto step = script.next())
            step(form);
        else
            closeNaturally(form);
        EXPECT_FALSE(form.TheWindow.Visible) << "dialog " << static_cast<int>(kind) << " left open";
        form.TheWindow.Visible = false;
    }
};

} // namespace tessarin
