#include "qt/MainWindow.h"

#include "qt/KeyMapping.h"
#include "qt/Looks.h"
#include "qt/SurfaceWidget.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QWindow>
#include <algorithm>
#include <set>
#include <utility>

namespace tessarin::qt {

MainWindow::MainWindow(Tessarin& game, int scale, QWidget* parent)
    : QMainWindow(parent), game_(game), scale_(std::max(1, scale)) {
    setObjectName(QStringLiteral("Tessarin"));
    // A fixed single-line frame: no maximise button, no resizing.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    QPalette pal = client_->palette();
    pal.setColor(QPalette::Window, appWorkspace());
    client_->setPalette(pal);
    client_->setAutoFillBackground(true);
    setCentralWidget(client_);

    for (const MenuItem& top : game_.Menus.Bar) {
        QMenu* menu = menuBar()->addMenu(QString::fromStdString(top.Caption));
        menu->setObjectName(QString::fromStdString(top.Name));
        bind(top, menu->menuAction());
        addItems(menu, top.Items);
    }
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    qApp->installEventFilter(this);
}

MainWindow::~MainWindow() {
    qApp->removeEventFilter(this);
}

void MainWindow::addItems(QMenu* menu, const std::vector<MenuItem>& items) {
    for (const MenuItem& item : items) {
        if (item.isSeparator()) {
            bind(item, menu->addSeparator());
        } else if (!item.Items.empty()) {
            QMenu* sub = menu->addMenu(QString::fromStdString(item.Caption));
            sub->setObjectName(QString::fromStdString(item.Name));
            bind(item, sub->menuAction());
            addItems(sub, item.Items);
        } else {
            QAction* a = menu->addAction(QString::fromStdString(item.Caption));
            if (!item.Shortcut.empty())
                a->setShortcut(QKeySequence(QString::fromStdString(item.Shortcut),
                                            QKeySequence::PortableText));
            const std::string name = item.Name;
            const int index = item.Index;
            connect(a, &QAction::triggered, this, [this, name, index] {
                menusTouched_ = true;
                runCommand(name, index);
            });
            bind(item, a);
        }
    }
}

void MainWindow::bind(const MenuItem& item, QAction* action) {
    QString objectName = QString::fromStdString(item.Name);
    if (item.Index >= 0)
        objectName += QStringLiteral("(%1)").arg(item.Index);
    action->setObjectName(objectName);
    actions_.push_back({item.Name, item.Index, action, &item, std::nullopt});
}

QAction* MainWindow::action(const std::string& name, int index) const {
    for (const Bound& b : actions_)
        if (b.name == name && b.index == index)
            return b.action;
    return nullptr;
}

ElementLabel* MainWindow::labelWidget(const std::string& name) const {
    for (const auto& [label, widget] : labels_)
        if (widget->label().Name == name)
            return widget;
    return nullptr;
}

std::vector<SurfaceWidget*> MainWindow::surfaceWidgets() const {
    std::vector<SurfaceWidget*> all;
    for (const auto& [surface, widget] : surfaces_)
        all.push_back(widget);
    return all;
}

void MainWindow::runCommand(const std::string& name, int index) {
    if (game_.Ended || endRequested_)
        return;
    emit commandTriggered(QString::fromStdString(name), index);
    if (commandHook_ && commandHook_(name)) {
        afterEvent();
        return;
    }
    game_.Click(name, index);
    afterEvent();
}

void MainWindow::handleKey(QKeyEvent* event) {
    if (game_.Ended || endRequested_)
        return;
    const int16_t code = toVirtualKey(event->key(), event->modifiers(), event->nativeScanCode(),
                                      event->nativeVirtualKey());
    if (code == 0)
        return;
    const int16_t shift = shiftState(event->modifiers());
    emit keyForwarded(code, shift);
    game_.Keyboard_KeyDown(code, shift);
    afterEvent();
}

void MainWindow::paintExposed() {
    if (game_.Ended || endRequested_)
        return;
    emit exposed();
    game_.Form_Paint();
    afterEvent();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Expose) {
        if (watched == windowHandle() && windowHandle()->isExposed())
            paintExposed();
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this)
        return false;
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget())
        return false;
    if (auto* bar = qobject_cast<QMenuBar*>(widget); bar && bar->activeAction())
        return false; // keyboard navigation of the menu bar
    // The window sees every key before its controls.
    handleKey(static_cast<QKeyEvent*>(event));
    return true;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!game_.Ended && !endRequested_)
        game_.Form_Unload();
    event->accept();
    requestEnd();
}

void MainWindow::requestEnd() {
    if (endRequested_)
        return;
    endRequested_ = true;
    if (endRequest_)
        endRequest_();
    else
        hide();
}

void MainWindow::afterEvent() {
    if (game_.Ended) {
        requestEnd();
        return;
    }
    sync();
    if (afterEventHook_)
        afterEventHook_();
}

void MainWindow::sync() {
    if (syncing_ > 0 || endRequested_)
        return;
    ++syncing_;
    syncMenus();
    syncLabels();
    syncSurfaces();
    syncWindow();
    --syncing_;
}

void MainWindow::syncMenus() {
    const bool all = std::exchange(menusTouched_, false);
    for (Bound& b : actions_) {
        const MenuItem* item = b.item;
        if (!all && b.shown && b.shown->of(*item))
            continue;
        b.shown = Bound::Shown{item->Enabled, item->Visible, item->Checked, item->Caption};
        QAction* a = b.action;
        if (a->isEnabled() != item->Enabled)
            a->setEnabled(item->Enabled);
        if (a->isVisible() != item->Visible)
            a->setVisible(item->Visible);
        if (item->isSeparator() || a->menu())
            continue;
        const QString caption = QString::fromStdString(item->Caption);
        if (a->text() != caption)
            a->setText(caption);
        // Only a checked item shows its mark; an unchecked one shows nothing.
        if (a->isCheckable() != item->Checked)
            a->setCheckable(item->Checked);
        if (a->isChecked() != item->Checked)
            a->setChecked(item->Checked);
    }
}

void MainWindow::syncWindow() {
    const Window& w = game_.TheWindow;
    const QString caption = QString::fromStdString(w.Caption);
    if (windowTitle() != caption)
        setWindowTitle(caption);
    const QSize clientSize(toPixels(w.Width - Tessarin::kFrameWidth, scale_),
                           toPixels(w.Height - Tessarin::kFrameHeight, scale_));
    if (client_->size() != clientSize || client_->minimumSize() != clientSize)
        client_->setFixedSize(clientSize.expandedTo({1, 1}));
    const QPoint place(w.Left, w.Top);
    if (!placedOnce_ || place != placed_) {
        placedOnce_ = true;
        placed_ = place;
        move(screenOrigin_ + QPoint(toPixels(w.Left, scale_), toPixels(w.Top, scale_)));
    }
    if (isVisible() != w.Visible) {
        setVisible(w.Visible);
        if (w.Visible) {
            // Back from the name dialogs: the keys go to the game again.
            raise();
            activateWindow();
        }
    }
}

void MainWindow::syncLabels() {
    const std::vector<const Label*> current = game_.labels();
    const std::set<const Label*> alive(current.begin(), current.end());
    for (auto it = labels_.begin(); it != labels_.end();) {
        if (!alive.count(it->first)) {
            delete it->second;
            it = labels_.erase(it);
        } else {
            ++it;
        }
    }
    for (const Label* l : current) {
        ElementLabel*& widget = labels_[l];
        if (!widget) {
            widget = new ElementLabel(client_);
            widget->lower(); // labels lie beneath the picture surfaces
        }
        widget->showLabel(*l, scale_);
    }
}

void MainWindow::syncSurfaces() {
    const std::vector<Surface*> current = game_.surfaces();
    std::set<uint64_t> alive;
    for (const Surface* s : current)
        alive.insert(s->Id());
    for (auto it = surfaces_.begin(); it != surfaces_.end();) {
        if (!alive.count(it->first)) {
            delete it->second;
            it = surfaces_.erase(it);
        } else {
            ++it;
        }
    }
    bool restack = false;
    for (Surface* s : current) {
        SurfaceWidget*& widget = surfaces_[s->Id()];
        if (!widget) {
            widget = new SurfaceWidget(
                s,
                [this, id = s->Id()](const Surface* which) {
                    for (Surface* x : game_.surfaces())
                        if (x == which && x->Id() == id)
                            return true;
                    return false;
                },
                client_);
            restack = true;
        }
        if (widget->stacking() != s->Stacking())
            restack = true;
        widget->syncFromSurface(scale_);
    }
    if (!restack)
        return;
    std::vector<SurfaceWidget*> order;
    for (Surface* s : current)
        order.push_back(surfaces_[s->Id()]);
    std::stable_sort(order.begin(), order.end(),
                     [](auto* a, auto* b) { return a->stacking() < b->stacking(); });
    for (SurfaceWidget* w : order)
        w->raise();
}

} // namespace tessarin::qt
