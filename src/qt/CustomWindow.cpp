#include "qt/CustomWindow.h"

#include "qt/KeyMapping.h"
#include "qt/Looks.h"
#include "qt/Pictures.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>

namespace tessarin::qt {

namespace {

// Twips, from the dialog's design.
constexpr int kClientWidth = 5595;
constexpr int kClientHeight = 2835;
// The tab control: tall enough to hold its frames whole, with an even
// margin above and below it.
constexpr QRect kTabs(120, 60, 4200, 2715);
// Frames, relative to the tab control's top-left corner.
constexpr QRect kPlayerFrames[2] = {{240, 480, 1695, 2175}, {2400, 480, 1575, 2175}};
constexpr QRect kModeFrame(240, 480, 3735, 1695);
constexpr int kBoxTops[4] = {360, 780, 1200, 1620};
constexpr int kBoxLefts[2] = {540, 480};
constexpr int kBoxWidth = 975, kBoxHeight = 300;
constexpr int kPictureLeft = 120, kPictureSize = 300;

// The tabs share the control's width evenly, as the dialog's tab control
// draws them, so each tab has room to spare for its caption.
class EvenTabBar : public QTabBar {
public:
    using QTabBar::QTabBar;
    void setFullWidth(int width) { fullWidth_ = width; }

protected:
    QSize tabSizeHint(int index) const override {
        QSize size = QTabBar::tabSizeHint(index);
        if (count() > 0)
            size.setWidth(std::max(size.width(), fullWidth_ / count()));
        return size;
    }
    QSize minimumTabSizeHint(int index) const override { return tabSizeHint(index); }

private:
    int fullWidth_ = 0;
};

class EvenTabWidget : public QTabWidget {
public:
    explicit EvenTabWidget(QWidget* parent) : QTabWidget(parent), bar_(new EvenTabBar(this)) {
        setTabBar(bar_);
    }
    EvenTabBar* evenBar() const { return bar_; }

private:
    EvenTabBar* bar_;
};

} // namespace

CustomWindow::CustomWindow(int scale, QWidget* parent) : FormDialog(scale, parent) {
    setObjectName(QStringLiteral("Custom"));
    auto* tabs = new EvenTabWidget(this);
    tabs_ = tabs;
    tabs_->setObjectName(QStringLiteral("SSTab2"));
    tabs_->setGeometry(pxRect(kTabs.x(), kTabs.y(), kTabs.width(), kTabs.height()));
    tabs_->setUsesScrollButtons(false);
    // A pixel short of the control on each side, where the pane's frame is.
    tabs->evenBar()->setFullWidth(tabs_->width() - 2 * scale);

    auto* keysPage = new QWidget;
    tabs_->addTab(keysPage, tr("Control Keys"));
    for (int p = 0; p < 2; ++p) {
        players_[p] = new CaptionedFrame(p == 0 ? tr("Player1") : tr("Player2"), keysPage);
        for (int i = 0; i < 4; ++i) {
            auto* picture = new QLabel(players_[p]);
            picture->setObjectName(QStringLiteral("Image1(%1)").arg(4 * p + i));
            picture->setGeometry(pxRect(kPictureLeft, kBoxTops[i], kPictureSize, kPictureSize));
            picture->setPixmap(drawKeyPicture(i, px(kPictureSize), turnsClockwise_));
            pictures_[p][i] = picture;
            auto* box = new QLineEdit(players_[p]);
            box->setObjectName(QStringLiteral("Text%1(%2)").arg(p + 1).arg(i));
            box->setReadOnly(true);
            box->setContextMenuPolicy(Qt::NoContextMenu);
            box->setGeometry(pxRect(kBoxLefts[p], kBoxTops[i], kBoxWidth, kBoxHeight));
            box->installEventFilter(this);
            boxes_[p][i] = box;
        }
    }

    auto* speedPage = new QWidget;
    tabs_->addTab(speedPage, tr("Speed Mode"));
    speedFrame_ = new CaptionedFrame(tr("Please select SpeedMode"), speedPage);
    auto* rotatePage = new QWidget;
    tabs_->addTab(rotatePage, tr("Rotate Mode"));
    rotateFrame_ = new CaptionedFrame(tr("Please select RotateMode"), rotatePage);
    const QString speedTexts[2] = {tr("Speed down quickly"), tr("Speed down step by step")};
    const QString rotateTexts[2] = {tr("Rotate counterclockwise"), tr("Rotate clockwise")};
    for (int i = 0; i < 2; ++i) {
        option1_[i] = new QRadioButton(speedTexts[i], speedFrame_);
        option1_[i]->setObjectName(QStringLiteral("Option1(%1)").arg(i));
        option2_[i] = new QRadioButton(rotateTexts[i], rotateFrame_);
        option2_[i]->setObjectName(QStringLiteral("Option2(%1)").arg(i));
        for (QRadioButton* b : {option1_[i], option2_[i]}) {
            b->setAutoExclusive(false);
            b->setGeometry(pxRect(360, 480 + 600 * i, 3135, 300));
        }
        connect(option1_[i], &QRadioButton::clicked, this, [this, i] {
            form_->Option1[i] = true;
            form_->Option1_Click(static_cast<int16_t>(i));
            afterFormEvent();
        });
        connect(option2_[i], &QRadioButton::clicked, this, [this, i] {
            form_->Option2[i] = true;
            form_->Option2_Click(static_cast<int16_t>(i));
            afterFormEvent();
        });
    }

    const QString commandTexts[2] = {tr("&Ok"), tr("&Cancel")};
    const int commandTops[2] = {600, 1680};
    for (int i = 0; i < 2; ++i) {
        auto* b = new QPushButton(commandTexts[i], this);
        b->setObjectName(QStringLiteral("Command1(%1)").arg(i));
        b->setGeometry(pxRect(4440, commandTops[i], 975, 495));
        // Enter belongs to the key boxes, not to a default button.
        b->setAutoDefault(false);
        b->setDefault(false);
        connect(b, &QPushButton::clicked, this, [this, i] {
            form_->Command1_Click(static_cast<int16_t>(i));
            afterFormEvent();
        });
        command1_[i] = b;
    }
    placeFrames();
}

void CustomWindow::placeFrames() {
    // The frames are placed against the tab control; the pages start below
    // its tab strip.
    QWidget* page = tabs_->widget(0);
    QPoint offset = page->mapTo(tabs_, QPoint(0, 0));
    if (offset == QPoint(0, 0))
        offset = {0, tabs_->tabBar()->sizeHint().height()};
    auto place = [&](QWidget* w, const QRect& twips) {
        QRect r = pxRect(twips.x(), twips.y(), twips.width(), twips.height()).translated(-offset);
        w->setGeometry(r);
    };
    for (int p = 0; p < 2; ++p)
        place(players_[p], kPlayerFrames[p]);
    place(speedFrame_, kModeFrame);
    place(rotateFrame_, kModeFrame);
}

QSize CustomWindow::clientTwips() const {
    return {kClientWidth, kClientHeight};
}

void CustomWindow::refresh() {
    setWindowTitle(QString::fromStdString(form_->TheWindow.Caption));
    if (!keyFontFitted_) {
        // One font for every key box, in which every key's name shows whole.
        QStringList names;
        for (const std::string& name : form_->KeyNames)
            names << QString::fromStdString(name);
        const QFont font = fittingFont(this->font(), names, lineEditTextRect(boxes_[0][0]).size());
        for (auto& player : boxes_)
            for (QLineEdit* box : player)
                box->setFont(font);
        keyFontFitted_ = true;
    }
    for (int i = 0; i < 4; ++i) {
        boxes_[0][i]->setText(QString::fromStdString(form_->Text1[i]));
        boxes_[1][i]->setText(QString::fromStdString(form_->Text2[i]));
    }
    for (int i = 0; i < 2; ++i) {
        option1_[i]->setChecked(form_->Option1[i]);
        option2_[i]->setChecked(form_->Option2[i]);
    }
    // The turn pictures turn the way the selected rotate mode turns.
    const bool clockwise = form_->Option2[1] && !form_->Option2[0];
    if (clockwise != turnsClockwise_) {
        turnsClockwise_ = clockwise;
        for (auto& player : pictures_)
            player[3]->setPixmap(drawKeyPicture(3, px(kPictureSize), clockwise));
    }
}

void CustomWindow::formClosed() {
    form_->Form_Unload();
}

void CustomWindow::shown() {
    placeFrames();
    tabs_->setCurrentIndex(0);
    boxes_[0][0]->setFocus(Qt::OtherFocusReason);
}

bool CustomWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return false;
    for (int p = 0; p < 2; ++p) {
        for (int i = 0; i < 4; ++i) {
            if (watched != boxes_[p][i])
                continue;
            auto* key = static_cast<QKeyEvent*>(event);
            // Tab still moves between the controls.
            if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
                return false;
            if (event->type() == QEvent::ShortcutOverride) {
                // Alt with a letter still presses the button it names; every
                // other key is the box's, none a shortcut.
                if (key->modifiers().testFlag(Qt::AltModifier))
                    return false;
                event->accept();
                return true;
            }
            const int16_t code = toVirtualKey(key->key(), key->modifiers(), key->nativeScanCode(),
                                              key->nativeVirtualKey());
            const int16_t shift = shiftState(key->modifiers());
            if (p == 0)
                form_->Text1_KeyDown(static_cast<int16_t>(i), code, shift);
            else
                form_->Text2_KeyDown(static_cast<int16_t>(i), code, shift);
            afterFormEvent();
            return true;
        }
    }
    return false;
}

} // namespace tessarin::qt
