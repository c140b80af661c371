#include "qt/QtDialogs.h"

#include "qt/AboutWindow.h"
#include "qt/CustomWindow.h"
#include "qt/HelpWindow.h"
#include "qt/InputWindow.h"
#include "qt/MessageWindow.h"
#include "qt/RecordsWindow.h"

#include <QMessageBox>
#include <QProcess>

namespace tessarin::qt {

QtDialogs::QtDialogs(int scale, QObject* parent) : QObject(parent), scale_(std::max(1, scale)) {}

QtDialogs::~QtDialogs() = default;

template <typename Window, typename Form>
void QtDialogs::showModal(std::unique_ptr<Window>& window, Form& form) {
    if (ended_) {
        form.TheWindow.Visible = false;
        return;
    }
    if (beforeModal_)
        beforeModal_();
    if (!window)
        window = std::make_unique<Window>(scale_);
    window->bindForm(form);
    window->runModal(screenOrigin_);
}

void QtDialogs::ShowModal(InputForm& form) {
    showModal(input_, form);
}

void QtDialogs::ShowModal(MessageForm& form) {
    showModal(message_, form);
}

void QtDialogs::ShowModal(Custom& form) {
    showModal(custom_, form);
}

void QtDialogs::ShowModal(DuelResult& form) {
    showModal(records_, form);
}

void QtDialogs::ShowModal(About& form) {
    showModal(about_, form);
}

void QtDialogs::SystemMessage(const std::string& text, const std::string& title) {
    if (ended_)
        return;
    if (beforeModal_)
        beforeModal_();
    QString shown = QString::fromStdString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title), shown, QMessageBox::Ok);
    box.setObjectName(QStringLiteral("SystemMessage"));
    box.setTextFormat(Qt::PlainText); // names and network texts are never markup
    box.setAttribute(Qt::WA_QuitOnClose, false);
    systemMessage_ = &box;
    box.exec();
    systemMessage_ = nullptr;
}

bool QtDialogs::StartProgram(const std::string& commandLine) {
    QStringList words = QProcess::splitCommand(QString::fromStdString(commandLine));
    if (words.isEmpty())
        return false;
    const QString program = words.takeFirst();
    return QProcess::startDetached(program, words);
}

void QtDialogs::ShowHelp() {
    if (ended_)
        return;
    if (!help_)
        help_ = std::make_unique<HelpWindow>(scale_);
    help_->show();
    help_->raise();
    help_->activateWindow();
}

void QtDialogs::EndProgram() {
    if (ended_)
        return;
    ended_ = true;
    // Every open window goes, and every nested loop with it.
    if (systemMessage_)
        systemMessage_->done(QMessageBox::Ok);
    for (FormDialog* w : std::initializer_list<FormDialog*>{
             input_.get(), message_.get(), custom_.get(), records_.get(), about_.get()})
        if (w)
            w->abandon();
    if (help_)
        help_->hide();
    if (onEnd_)
        onEnd_();
}

} // namespace tessarin::qt
