#include "qt/RecordsWindow.h"

#include "qt/Looks.h"

#include <QPushButton>

namespace tessarin::qt {

namespace {
// Frame and title bar of a dialog, twips, when the Ok button does not tell.
constexpr int kDialogFrameWidth = 90;
constexpr int kDialogFrameHeight = 405;
} // namespace

RecordsWindow::RecordsWindow(int scale, QWidget* parent) : FormDialog(scale, parent) {
    setObjectName(QStringLiteral("DuelResult"));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(pal);
    setAutoFillBackground(true);
    ok_ = new QPushButton(tr("&Ok"), this);
    ok_->setObjectName(QStringLiteral("Command1"));
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, [this] {
        form_->Command1_Click();
        afterFormEvent();
    });
}

QSize RecordsWindow::clientTwips() const {
    const Window& w = form_->TheWindow;
    const Label& ok = form_->Command1;
    // The window keeps its Ok button centred and 100 twips above the bottom
    // of its inner area, so the inner area follows from the button.
    if (ok.Width > 0 && ok.Height > 0)
        return {2 * ok.Left + ok.Width, ok.Top + ok.Height + 100};
    return {w.Width - kDialogFrameWidth, w.Height - kDialogFrameHeight};
}

void RecordsWindow::showArray(std::vector<ElementLabel*>& widgets,
                              const std::vector<Label>& labels) {
    while (widgets.size() > labels.size()) {
        delete widgets.back();
        widgets.pop_back();
    }
    while (widgets.size() < labels.size())
        widgets.push_back(new ElementLabel(this));
    for (size_t i = 0; i < labels.size(); ++i)
        widgets[i]->showLabel(labels[i], scale());
}

void RecordsWindow::refresh() {
    setWindowTitle(QString::fromStdString(form_->TheWindow.Caption));
    showArray(side_, form_->lblSide);
    showArray(header_, form_->lblHeader);
    showArray(cells_, form_->lblCell);
    const Label& ok = form_->Command1;
    if (!ok.Caption.empty())
        ok_->setText(QString::fromStdString(ok.Caption));
    ok_->setGeometry(
        pxRect(ok.Left, ok.Top, ok.Width > 0 ? ok.Width : 1035, ok.Height > 0 ? ok.Height : 375));
    ok_->setVisible(ok.Visible);
}

void RecordsWindow::formClosed() {
    form_->Form_Unload();
}

} // namespace tessarin::qt
