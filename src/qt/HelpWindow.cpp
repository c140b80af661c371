#include "qt/HelpWindow.h"

#include <QFile>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>

namespace tessarin::qt {

HelpWindow::HelpWindow(int scale, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("HowToPlay"));
    setWindowTitle(tr("How to Play Tessarin"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_QuitOnClose, false);
    browser_ = new QTextBrowser(this);
    browser_->setOpenExternalLinks(false);
    browser_->document()->setDocumentMargin(12);
    browser_->setHtml(howToPlayPage());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(QSize(560, 600) * std::max(1, scale));
}

QString howToPlayPage() {
    // The page lives in the program's resources (help/howtoplay.html).
    QFile page(QStringLiteral(":/help/howtoplay.html"));
    if (!page.open(QIODevice::ReadOnly))
        return QStringLiteral("The help page is missing from this build of Tessarin.");
    return QString::fromUtf8(page.readAll());
}

} // namespace tessarin::qt
