#pragma once

#include "dialogs/About.h"
#include "qt/FormDialog.h"

class QLabel;
class QPushButton;

namespace tessarin::qt {

class ElementLabel;

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

} // namespace tessarin::qt
