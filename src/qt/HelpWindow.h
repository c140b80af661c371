#pragma once

#include <QDialog>
#include <QString>

class QTextBrowser;

namespace tessarin::qt {

// The game's own How to Play window; not modal, the game goes on.
class HelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit HelpWindow(int scale, QWidget* parent = nullptr);
    QTextBrowser* browser() const { return browser_; }

private:
    QTextBrowser* browser_;
};

// The How to Play page, HTML.
QString howToPlayPage();

} // namespace tessarin::qt
