#pragma once

#include "dialogs/DuelResult.h"
#include "qt/FormDialog.h"

#include <vector>

class QPushButton;

namespace tessarin::qt {

class ElementLabel;

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

} // namespace tessarin::qt
