#pragma once

#include "dialogs/About.h"
#include "dialogs/Custom.h"
#include "dialogs/DuelResult.h"
#include "dialogs/Forms.h"
#include "qt/FormDialog.h"

#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <array>
#include <vector>

class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTextBrowser;

namespace tessarin::qt {

class ElementLabel;

// A line edit that says when it receives the focus.
class FocusLineEdit : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;
signals:
    void focusedIn();

protected:
    void focusInEvent(QFocusEvent* event) override;
};

// The name-input window.
class InputWindow : public FormDialog {
    Q_OBJECT
public:
    explicit InputWindow(int scale, QWidget* parent = nullptr);
    void bindForm(InputForm& form) { form_ = &form; }

    FocusLineEdit* text1() const { return text1_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }
    ElementLabel* prompt() const { return prompt_; }

protected:
    Window& formWindow() override { return form_->TheWindow; }
    QSize clientTwips() const override;
    void refresh() override;
    void formClosed() override;
    void shown() override;

private:
    InputForm* form_ = nullptr;
    ElementLabel* prompt_;
    FocusLineEdit* text1_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

// The message window: one short text in large type.
class MessageWindow : public FormDialog {
    Q_OBJECT
public:
    explicit MessageWindow(int scale, QWidget* parent = nullptr);
    void bindForm(MessageForm& form) { form_ = &form; }

    ElementLabel* label1() const { return label1_; }
    QFrame* frame1() const { return frame1_; }

protected:
    Window& formWindow() override { return form_->TheWindow; }
    QSize clientTwips() const override;
    void refresh() override;
    void formClosed() override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    MessageForm* form_ = nullptr;
    QFrame* frame1_;
    ElementLabel* label1_;
    bool marginPressed_ = false;
    bool framePressed_ = false;
};

// The control-key dialog.
class CustomWindow : public FormDialog {
    Q_OBJECT
public:
    explicit CustomWindow(int scale, QWidget* parent = nullptr);
    void bindForm(Custom& form) { form_ = &form; }

    QTabWidget* tabs() const { return tabs_; }
    // Key box i of player p (0 or 1).
    QLineEdit* keyBox(int player, int i) const { return boxes_[player][i]; }
    QLabel* keyPicture(int player, int i) const { return pictures_[player][i]; }
    QRadioButton* speedOption(int i) const { return option1_[i]; }
    QRadioButton* rotateOption(int i) const { return option2_[i]; }
    QPushButton* command1(int i) const { return command1_[i]; }

protected:
    Window& formWindow() override { return form_->TheWindow; }
    QSize clientTwips() const override;
    void refresh() override;
    void formClosed() override;
    void shown() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeFrames();

    Custom* form_ = nullptr;
    QTabWidget* tabs_;
    std::array<QGroupBox*, 2> players_{};
    QGroupBox* speedFrame_;
    QGroupBox* rotateFrame_;
    std::array<std::array<QLineEdit*, 4>, 2> boxes_{};
    std::array<std::array<QLabel*, 4>, 2> pictures_{};
    std::array<QRadioButton*, 2> option1_{};
    std::array<QRadioButton*, 2> option2_{};
    std::array<QPushButton*, 2> command1_{};
};

// The records and duel results window.
class RecordsWindow : public FormDialog {
    Q_OBJECT
public:
    explicit RecordsWindow(int scale, QWidget* parent = nullptr);
    void bindForm(DuelResult& form) { form_ = &form; }

    QPushButton* okButton() const { return ok_; }
    // The label widgets of the grid, as shown now.
    const std::vector<ElementLabel*>& sideLabels() const { return side_; }
    const std::vector<ElementLabel*>& headerLabels() const { return header_; }
    const std::vector<ElementLabel*>& cellLabels() const { return cells_; }

protected:
    Window& formWindow() override { return form_->TheWindow; }
    QSize clientTwips() const override;
    void refresh() override;
    void formClosed() override;

private:
    void showArray(std::vector<ElementLabel*>& widgets, const std::vector<Label>& labels);

    DuelResult* form_ = nullptr;
    std::vector<ElementLabel*> side_, header_, cells_;
    QPushButton* ok_;
};

// The About box.
class AboutWindow : public FormDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 5085;
    static constexpr int kClientHeight = 2370;

    explicit AboutWindow(int scale, QWidget* parent = nullptr);
    void bindForm(About& form) { form_ = &form; }

    QLabel* picture() const { return image1_; }
    QPushButton* okButton() const { return ok_; }
    ElementLabel* title() const { return lblAbout_; }
    ElementLabel* credits() const { return lblCredits_; }

protected:
    Window& formWindow() override { return form_->TheWindow; }
    QSize clientTwips() const override;
    void refresh() override;
    void formClosed() override;

private:
    About* form_ = nullptr;
    QLabel* image1_;
    ElementLabel* lblAbout_;
    ElementLabel* label3_;
    ElementLabel* lblCredits_;
    QPushButton* ok_;
};

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
// A picture of a Standard game in progress, drawn by the game's own field
// and piece code: 135 x 137 pixels.
QImage aboutPicture();
// The picture beside a key box: 0 left arrow, 1 right arrow, 2 down, 3 turn.
QPixmap drawKeyPicture(int which, int sizePx);

} // namespace tessarin::qt
