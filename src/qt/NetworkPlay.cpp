#include "qt/NetworkPlay.h"

#include "driver/Tessarin.h"
#include "net/Capture.h"
#include "net/Protocol.h"
#include "qt/KeyMapping.h"
#include "qt/Looks.h"
#include "qt/MainWindow.h"
#include "qt/SurfaceWidget.h"
#include "qt/TcpLink.h"

#include <QCloseEvent>
#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHostAddress>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QNetworkInterface>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <map>

namespace tessarin::qt {

namespace {

// The addresses a friend can reach this machine at: every IPv4 address of
// an interface that is up, the loopback last.
QStringList ownAddresses() {
    QStringList out, loopback;
    for (const QHostAddress& a : QNetworkInterface::allAddresses()) {
        if (a.protocol() != QAbstractSocket::IPv4Protocol)
            continue;
        (a.isLoopback() ? loopback : out).append(a.toString());
    }
    return out + loopback;
}

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

// The two network windows: the fields, a line of text below them, and the
// buttons at the bottom right.
void arrange(QDialog& dlg, QFormLayout* form, QLabel* text, QPushButton* go, QPushButton* cancel) {
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(go);
    buttons->addWidget(cancel);
    auto* all = new QVBoxLayout(&dlg);
    all->addLayout(form);
    all->addWidget(text);
    all->addLayout(buttons);
}

} // namespace

NetworkPlay::NetworkPlay(Tessarin& game, MainWindow& window, int scale)
    : game_(game), window_(window), scale_(scale) {}

NetworkPlay::~NetworkPlay() {
    delete view_;
    join_.reset();
    host_.reset();
    delete server_;
}

bool NetworkPlay::command(const std::string& name) {
    if (name == "mnuHostNet") {
        if (host_)
            askEndHosting();
        else if (!join_ && !game_.Playing)
            hostDialog();
        return true;
    }
    if (name == "mnuJoinNet") {
        if (!host_ && !join_ && !game_.Playing)
            joinDialog();
        return true;
    }
    return false;
}

void NetworkPlay::afterEvent() {
    if (host_)
        host_->afterEvent();
}

bool NetworkPlay::startHosting(int16_t mode, quint16 port) {
    stopHosting();
    server_ = new QTcpServer(this);
    if (!server_->listen(QHostAddress::Any, port)) {
        delete server_;
        server_ = nullptr;
        return false;
    }
    host_ = std::make_unique<net::HostGame>(
        game_, game_.services().timers, mode,
        net::HostGame::Events{[this](const std::string&) {
                                  emit hostJoined();
                                  window_.afterEvent();
                              },
                              [this](const std::string& text) { emit hostNotice(q(text)); },
                              [this] {
                                  // Not inside the session's own call.
                                  QTimer::singleShot(0, this, [this] {
                                      if (host_ && host_->ended())
                                          stopHosting();
                                      window_.afterEvent();
                                      emit hostEnded();
                                  });
                              }});
    // For the player's log and for scripts that drive the program.
    std::fprintf(stderr, "tessarin: hosting on port %u, join code %s\n",
                 static_cast<unsigned>(server_->serverPort()), host_->session().joinCode().c_str());
    connect(server_, &QTcpServer::newConnection, this, [this] {
        while (server_ && server_->hasPendingConnections()) {
            QTcpSocket* socket = server_->nextPendingConnection();
            if (!host_ || !host_->session().wantsListening()) {
                socket->abort();
                socket->deleteLater();
                continue;
            }
            host_->accept(std::make_unique<TcpLink>(socket));
        }
    });
    return true;
}

quint16 NetworkPlay::port() const {
    return server_ ? server_->serverPort() : 0;
}

void NetworkPlay::stopHosting() {
    if (server_) {
        server_->close();
        server_->deleteLater();
        server_ = nullptr;
    }
    host_.reset();
}

// The same command while a friend plays from another machine (between
// games: the menu that holds it rests during one) offers to end the network
// game.
void NetworkPlay::askEndHosting() {
    const QString text =
        QStringLiteral("\"%1\" is playing player 2 from another computer.\n\nEnd the network game?")
            .arg(q(host_->session().joinerName()));
    if (QMessageBox::question(&window_, QStringLiteral("Tessarin"), text,
                              QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No) == QMessageBox::Yes &&
        host_)
        host_->stop();
    window_.afterEvent();
}

void NetworkPlay::hostDialog() {
    QDialog dlg(&window_);
    dlg.setWindowTitle(QStringLiteral("Host a Network Game"));
    auto* duel = new QRadioButton(QStringLiteral("&Duel"));
    auto* coop = new QRadioButton(QStringLiteral("&Cooperation"));
    (game_.Mode == Tessarin::kCooperation ? coop : duel)->setChecked(true);
    auto* port = new QSpinBox;
    port->setRange(1024, 65535);
    port->setValue(kDefaultPort);
    auto* info = new QLabel(QStringLiteral("Choose the game and the port, then Start."));
    info->setObjectName(QStringLiteral("hostInfo"));
    info->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* start = new QPushButton(QStringLiteral("&Start"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    start->setDefault(true);
    auto* modes = new QHBoxLayout;
    modes->addWidget(duel);
    modes->addWidget(coop);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Game:"), modes);
    form->addRow(QStringLiteral("&Port:"), port);
    arrange(dlg, form, info, start, cancel);

    port->setFocus();
    connect(cancel, &QPushButton::clicked, &dlg, &QDialog::reject);
    connect(start, &QPushButton::clicked, &dlg, [&] {
        const int16_t mode = coop->isChecked() ? Tessarin::kCooperation : Tessarin::kDuel;
        if (!startHosting(mode, static_cast<quint16>(port->value()))) {
            info->setText(QStringLiteral("Port %1 cannot be used: %2")
                              .arg(port->value())
                              .arg(QStringLiteral("it is busy or not allowed.")));
            return;
        }
        duel->setEnabled(false);
        coop->setEnabled(false);
        port->setEnabled(false);
        start->setEnabled(false);
        info->setText(QStringLiteral("Give your friend one of these addresses, the port and the "
                                     "join code:\n\n%1\nPort: %2\nJoin code: %3\n\n"
                                     "Waiting for player 2...")
                          .arg(ownAddresses().join(QLatin1Char('\n')))
                          .arg(port->value())
                          .arg(q(host_->session().joinCode())));
    });
    const auto joined = connect(this, &NetworkPlay::hostJoined, &dlg, &QDialog::accept);
    const auto notice = connect(this, &NetworkPlay::hostNotice, &dlg, [&](const QString& text) {
        info->setText(info->text() + QLatin1Char('\n') + text);
    });
    // Player 2 came and went before the game was set up (they were told).
    const auto ended = connect(this, &NetworkPlay::hostEnded, &dlg, &QDialog::reject);
    const int result = dlg.exec();
    disconnect(joined);
    disconnect(notice);
    disconnect(ended);
    if (result != QDialog::Accepted)
        stopHosting();
    window_.afterEvent();
}

void NetworkPlay::joinDialog() {
    QDialog dlg(&window_);
    dlg.setWindowTitle(QStringLiteral("Join a Network Game"));
    auto* address = new QLineEdit;
    address->setObjectName(QStringLiteral("joinAddress"));
    auto* port = new QSpinBox;
    port->setObjectName(QStringLiteral("joinPort"));
    port->setRange(1, 65535);
    port->setValue(kDefaultPort);
    auto* code = new QLineEdit;
    code->setObjectName(QStringLiteral("joinCode"));
    auto* name = new QLineEdit(q(game_.Player1Name));
    name->setObjectName(QStringLiteral("joinName"));
    auto* status = new QLabel;
    status->setObjectName(QStringLiteral("joinStatus"));
    auto* join = new QPushButton(QStringLiteral("&Join"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    join->setDefault(true);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Host &address:"), address);
    form->addRow(QStringLiteral("&Port:"), port);
    form->addRow(QStringLiteral("Join &code:"), code);
    form->addRow(QStringLiteral("Your &name:"), name);
    arrange(dlg, form, status, join, cancel);

    connect(cancel, &QPushButton::clicked, &dlg, &QDialog::reject);
    connect(join, &QPushButton::clicked, &dlg, [&] {
        // A code that cannot be right is said at once, not by the host.
        if (!net::IsJoinCode(net::NormalizeJoinCode(code->text().toStdString()))) {
            status->setText(QStringLiteral("A join code is six letters and digits, "
                                           "without I, O, 0 or 1."));
            code->setFocus();
            return;
        }
        if (address->text().trimmed().isEmpty()) {
            status->setText(QStringLiteral("Type the host's address."));
            address->setFocus();
            return;
        }
        auto* socket = new QTcpSocket;
        socket->connectToHost(address->text().trimmed(), static_cast<quint16>(port->value()));
        join->setEnabled(false);
        status->setText(QStringLiteral("Connecting..."));
        join_ = std::make_unique<net::JoinSession>(
            game_.services().timers, std::make_unique<TcpLink>(socket), code->text().toStdString(),
            name->text().toStdString(),
            net::JoinSession::Events{
                // The session outlives this dialog: it is reached only
                // while it still exists.
                [dialog = QPointer<QDialog>(&dlg)](const net::Welcome&) {
                    if (dialog)
                        dialog->accept();
                },
                [this] {
                    if (view_ && join_)
                        view_->show(join_->view());
                },
                [this, dialog = QPointer<QDialog>(&dlg), status = QPointer<QLabel>(status),
                 join = QPointer<QPushButton>(join)](net::JoinSession::EndReason,
                                                     const std::string& text) {
                    net::JoinSession* ended = join_.get();
                    QTimer::singleShot(0, this, [this, ended] {
                        if (join_.get() == ended)
                            join_.reset();
                    });
                    if (dialog && dialog->isVisible() && status && join) {
                        status->setText(q(text));
                        join->setEnabled(true);
                    } else {
                        endJoin(text);
                    }
                }});
    });
    const int result = dlg.exec();
    if (result != QDialog::Accepted || !join_) {
        if (join_)
            join_->leave();
        join_.reset();
        return;
    }
    view_ = new JoinView(game_.Controls.Keys[0], scale_);
    view_->move(window_.pos()); // over this window, which waits behind it
    view_->setSession(join_.get());
    connect(view_, &JoinView::closedByPlayer, this, [this] {
        if (join_)
            join_->leave();
        endJoin({});
        join_.reset();
    });
    view_->show(join_->view());
    window_.setEnabled(false);
}

void NetworkPlay::endJoin(const std::string& text) {
    if (view_) {
        view_->setSession(nullptr);
        view_->hide();
        view_->deleteLater();
        view_ = nullptr;
    }
    window_.setEnabled(true);
    if (!text.empty()) {
        std::fprintf(stderr, "tessarin: %s\n", text.c_str()); // for the player's log
        game_.services().dialogs.SystemMessage(text, "Tessarin");
    }
    window_.afterEvent();
}

// ---- The host's window at the joiner

struct JoinView::Impl {
    net::ViewPainter painter;
    std::vector<ElementLabel*> labels;
    std::map<const Surface*, SurfaceWidget*> surfaces;
};

JoinView::JoinView(const PlayerKeys& keys, int scale)
    : QWidget(nullptr), impl_(std::make_unique<Impl>()), keys_(keys), scale_(scale) {
    setObjectName(QStringLiteral("TessarinJoined"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, appWorkspace());
    setPalette(pal);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
}

JoinView::~JoinView() = default;

void JoinView::show(const net::ViewState& view) {
    setWindowTitle(q(view.Window.Caption));
    const QSize size(toPixels(view.Window.Width - Tessarin::kFrameWidth, scale_),
                     toPixels(view.Window.Height - Tessarin::kFrameHeight, scale_));
    if (this->size() != size.expandedTo({1, 1}))
        setFixedSize(size.expandedTo({1, 1}));

    std::vector<ElementLabel*>& labels = impl_->labels;
    while (labels.size() > view.Labels.size()) {
        delete labels.back();
        labels.pop_back();
    }
    while (labels.size() < view.Labels.size()) {
        labels.push_back(new ElementLabel(this));
        labels.back()->show();
    }
    for (std::size_t i = 0; i < labels.size(); ++i) {
        labels[i]->showLabel(view.Labels[i], scale_);
        labels[i]->lower();
    }

    impl_->painter.paint(view);
    const auto& drawn = impl_->painter.surfaces();
    std::map<const Surface*, SurfaceWidget*> kept;
    for (const auto& s : drawn) {
        auto it = impl_->surfaces.find(s.get());
        SurfaceWidget* w = nullptr;
        if (it != impl_->surfaces.end()) {
            w = it->second;
            impl_->surfaces.erase(it);
        } else {
            w = new SurfaceWidget(
                s.get(),
                [this](const Surface* which) {
                    for (const auto& x : impl_->painter.surfaces())
                        if (x.get() == which)
                            return true;
                    return false;
                },
                this);
        }
        w->syncFromSurface(scale_);
        kept[s.get()] = w;
    }
    for (auto& [s, w] : impl_->surfaces)
        delete w;
    impl_->surfaces = std::move(kept);
    // Stacking as the host has it.
    std::vector<std::pair<int, SurfaceWidget*>> order;
    for (std::size_t i = 0; i < drawn.size() && i < view.Surfaces.size(); ++i)
        order.emplace_back(view.Surfaces[i].Z, impl_->surfaces[drawn[i].get()]);
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [z, w] : order)
        w->raise();
    if (!isVisible()) {
        QWidget::show();
        raise();
        activateWindow();
    }
}

void JoinView::keyPressEvent(QKeyEvent* event) {
    const int16_t code = toVirtualKey(event->key(), event->modifiers(), event->nativeScanCode(),
                                      event->nativeVirtualKey());
    if (!session_ || code == 0)
        return;
    // This machine's player 1 keys play player 2 at the host.
    if (code == keys_.Left)
        session_->sendAction(net::ActionKind::Left);
    else if (code == keys_.Right)
        session_->sendAction(net::ActionKind::Right);
    else if (code == keys_.Down)
        session_->sendAction(net::ActionKind::Down);
    else if (code == keys_.Rotate)
        session_->sendAction(net::ActionKind::Turn);
}

void JoinView::closeEvent(QCloseEvent* event) {
    event->accept();
    if (session_)
        emit closedByPlayer();
}

} // namespace tessarin::qt
