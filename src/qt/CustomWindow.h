#pragma once

#include "dialogs/Custom.h"
#include "qt/FormDialog.h"

#include <array>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace tessarin::qt {

// The control-key dialog.
class CustomWindow : public FormDialog {
    Q_OBJECT
public:
    explicit CustomWindow(int scale, QWidget* parent = nullptr);
    void bindForm(Custom& form) { form_ = &form; }

    QTabWidget* tabs() const { return tabs_; }
    // Key box i of player p (0 or 1).
    QLineEdit* keyBox(int player, int i) const { return boxes_[player][i]; }
    // The picture beside key box i of player p; box 3's turns the way the
    // rotate mode selected on the Rotate Mode tab turns.
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
    bool keyFontFitted_ = false;
    bool turnsClockwise_ = false; // as the turn pictures show it
};

} // namespace tessarin::qt
