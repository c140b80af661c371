#include "qt/AboutWindow.h"

#include "qt/Looks.h"
#include "qt/Pictures.h"

#include <QLabel>
#include <QPushButton>

namespace tessarin::qt {

AboutWindow::AboutWindow(int scale, QWidget* parent) : FormDialog(scale, parent) {
    setObjectName(QStringLiteral("About"));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(64, 0, 64));
    setPalette(pal);
    setAutoFillBackground(true);
    image1_ = new QLabel(this);
    image1_->setObjectName(QStringLiteral("Image1"));
    image1_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    image1_->setGeometry(pxRect(90, 120, 2085, 2115));
    image1_->setPixmap(QPixmap::fromImage(aboutPicture(scale)));
    lblAbout_ = new ElementLabel(this);
    label3_ = new ElementLabel(this);
    lblCredits_ = new ElementLabel(this);
    ok_ = new QPushButton(tr("&Ok"), this);
    ok_->setObjectName(QStringLiteral("cmdOk"));
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, [this] {
        form_->cmdOk_Click();
        afterFormEvent();
    });
}

QSize AboutWindow::clientTwips() const {
    return {kClientWidth, kClientHeight};
}

void AboutWindow::refresh() {
    setWindowTitle(QString::fromStdString(form_->TheWindow.Caption));
    lblAbout_->showLabel(form_->lblAbout, scale());
    label3_->showLabel(form_->Label3, scale());
    lblCredits_->showLabel(form_->lblCredits, scale());
    const Label& ok = form_->cmdOk;
    if (!ok.Caption.empty())
        ok_->setText(QString::fromStdString(ok.Caption));
    ok_->setGeometry(ok.Width > 0 ? pxRect(ok.Left, ok.Top, ok.Width, ok.Height)
                                  : pxRect(3120, 1770, 1080, 360));
}

void AboutWindow::formClosed() {
    form_->Form_Unload();
}

} // namespace tessarin::qt
