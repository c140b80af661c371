#include "qt/GamepadsWindow.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessarin::qt {

namespace {

QString playerText(int16_t player) {
    return player == Gamepads::kNobody ? QStringLiteral("Waiting")
                                       : QStringLiteral("Player %1").arg(player + 1);
}

} // namespace

GamepadsWindow::GamepadsWindow(Gamepads& pads, QWidget* parent)
    : QDialog(parent), pads_(pads), grid_(new QGridLayout), note_(new QLabel(this)),
      swap_(new QPushButton(QStringLiteral("&Swap Players"), this)),
      close_(new QPushButton(QStringLiteral("Close"), this)) {
    setObjectName(QStringLiteral("gamepadsWindow"));
    setWindowTitle(QStringLiteral("Gamepads"));
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    grid_->setHorizontalSpacing(fontMetrics().averageCharWidth() * 3);
    layout->addLayout(grid_);
    layout->addWidget(note_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(swap_);
    buttons->addWidget(close_);
    layout->addLayout(buttons);
    close_->setDefault(true);
    // Room for the ink that reaches past a text's advance.
    note_->setMargin(labelMargin());
    note_->setAlignment(Qt::AlignCenter);
    connect(swap_, &QPushButton::clicked, this, [this] { pads_.Swap(); });
    connect(close_, &QPushButton::clicked, this, &QDialog::close);
    refresh();
}

void GamepadsWindow::refresh() {
    for (QLabel* l : rows_)
        delete l;
    rows_.clear();
    const std::vector<Gamepads::Shown> list = pads_.List();
    int row = 0;
    for (const Gamepads::Shown& pad : list) {
        auto* who = new QLabel(playerText(pad.player), this);
        auto* name = new QLabel(QString::fromStdString(pad.name), this);
        name->setTextFormat(Qt::PlainText);
        who->setMargin(labelMargin());
        name->setMargin(labelMargin());
        grid_->addWidget(who, row, 0);
        grid_->addWidget(name, row, 1);
        rows_.push_back(who);
        rows_.push_back(name);
        ++row;
    }
    if (list.empty())
        note_->setText(QStringLiteral("No gamepad is connected. Plug one in at any time."));
    else if (pads_.CanSwap())
        note_->setText(QStringLiteral("The first pad plays player 1, the second player 2."));
    else
        note_->setText(QStringLiteral("Pads change players between games, with two pads."));
    swap_->setEnabled(pads_.CanSwap());
    layout()->activate();
}

int GamepadsWindow::labelMargin() const {
    return fontMetrics().height() / 8 + 1;
}

void GamepadsWindow::followGame() {
    if (isVisible() && swap_->isEnabled() != pads_.CanSwap())
        refresh();
}

QStringList GamepadsWindow::lines() const {
    QStringList out;
    for (size_t i = 0; i + 1 < rows_.size(); i += 2)
        out << rows_[i]->text() + ": " + rows_[i + 1]->text();
    return out;
}

} // namespace tessarin::qt
