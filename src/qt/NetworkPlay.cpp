#include "qt/NetworkPlay.h"

#include "dialogs/DuelResult.h"
#include "dialogs/Forms.h"
#include "driver/Tessarin.h"
#include "net/AddressScope.h"
#include "net/Capture.h"
#include "net/Protocol.h"
#include "net/Text.h"
#include "qt/HostKey.h"
#include "qt/KeyMapping.h"
#include "qt/Looks.h"
#include "qt/MainWindow.h"
#include "qt/MessageWindow.h"
#include "qt/RecordsWindow.h"
#include "qt/RouterPorts.h"
#include "qt/SurfaceWidget.h"
#include "qt/TcpLink.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGuiApplication>
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
#include <QSslSocket>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <map>
#include <pwd.h>
#include <unistd.h>

namespace tessarin::qt {

namespace {

// An address a friend can reach this machine at, with what it is.
struct Reach {
    QString address; // numeric, without brackets
    QString mark;
};

// The router's address on the internet first, then this machine's: public
// IPv4, this network's (private IPv4, IPv6 unique-local), global IPv6, the
// loopback last. Link-local addresses are left out: a friend cannot give
// them to a program without naming the interface.
std::vector<Reach> ownAddresses(const std::optional<QString>& external) {
    enum { Internet, Network, InternetV6, Computer, Left };
    std::vector<std::pair<int, Reach>> found;
    if (external)
        found.push_back({Internet * 2, {*external, QStringLiteral("internet")}});
    for (QHostAddress a : QNetworkInterface::allAddresses()) {
        a.setScopeId({});
        const bool v4 = a.protocol() == QAbstractSocket::IPv4Protocol;
        int rank = Left;
        switch (net::ScopeOf(a.toString().toStdString()).value_or(net::AddressScope::Other)) {
        case net::AddressScope::Public:
            rank = v4 ? Internet : InternetV6;
            break;
        case net::AddressScope::Private:
        case net::AddressScope::Shared:
        case net::AddressScope::UniqueLocal:
            rank = Network;
            break;
        case net::AddressScope::Loopback:
            rank = v4 ? Computer : Left; // one loopback is enough
            break;
        case net::AddressScope::LinkLocal:
        case net::AddressScope::Other:
            break;
        }
        static const char* const marks[] = {"internet", "this network", "internet (IPv6)",
                                            "this computer"};
        const QString text = a.toString();
        const bool again = std::any_of(found.begin(), found.end(),
                                       [&](const auto& f) { return f.second.address == text; });
        if (rank != Left && !again)
            found.push_back({rank * 2 + (v4 ? 0 : 1), {text, QString::fromLatin1(marks[rank])}});
    }
    // By rank, IPv4 first within one.
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<Reach> out;
    for (auto& f : found)
        out.push_back(std::move(f.second));
    return out;
}

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

// A little room on the left: letters such as J reach left of where they
// start, and a label draws nothing outside itself.
QLabel* withInkRoom(QLabel* label) {
    label->setContentsMargins(QFontMetrics(label->font()).averageCharWidth() / 3, 0, 0, 0);
    return label;
}

// A label for texts that come from a player or from the network: shown as
// they are, never read as markup.
QLabel* plainLabel(const QString& text = {}) {
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    return withInkRoom(label);
}

// A row of a window's form: its label, with an access letter for field.
void addRow(QFormLayout* form, const QString& text, QWidget* field) {
    auto* label = withInkRoom(new QLabel(text));
    label->setBuddy(field);
    form->addRow(label, field);
}

// The join window: the fields, a line of text below them, and the
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

// A status line that may say any of texts, sized once for the longest of
// them so that the window keeps its size whatever it says.
void sizeForTexts(QLabel* label, const QStringList& texts, int width) {
    label->setWordWrap(true);
    label->setFixedWidth(width);
    width -= label->contentsMargins().left() + label->contentsMargins().right();
    const QFontMetrics fm(label->font());
    int height = fm.lineSpacing();
    for (const QString& t : texts)
        height = std::max(height,
                          fm.boundingRect(QRect(0, 0, width, 10000), Qt::TextWordWrap, t).height());
    label->setMinimumHeight(height);
}

} // namespace

std::string CallerKey(const QHostAddress& address) {
    bool mapped = false;
    const quint32 v4 = address.toIPv4Address(&mapped);
    if (mapped)
        return QHostAddress(v4).toString().toStdString();
    if (address.protocol() != QAbstractSocket::IPv6Protocol)
        return address.toString().toStdString();
    const Q_IPV6ADDR bytes = address.toIPv6Address();
    char key[32];
    std::snprintf(key, sizeof key, "%02x%02x:%02x%02x:%02x%02x:%02x%02x::/64", bytes[0], bytes[1],
                  bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7]);
    return key;
}

std::string AccountName() {
    std::string name;
    if (const passwd* pw = getpwuid(getuid())) {
        if (pw->pw_gecos) {
            name = pw->pw_gecos;
            name = name.substr(0, name.find(',')); // the full name, before room and phone
        }
        if (net::FitName(name).empty() && pw->pw_name)
            name = pw->pw_name;
    }
    if (net::FitName(name).empty())
        name = qEnvironmentVariable("USER").toStdString();
    return net::FitName(name);
}

NetworkPlay::NetworkPlay(Tessarin& game, MainWindow& window, int scale)
    : game_(game), window_(window), scale_(scale), router_(std::make_unique<RouterPorts>()) {
    connect(router_.get(), &RouterPorts::changed, this,
            [this] { setRouterStatus(router_->text(), router_->externalAddress()); });
}

NetworkPlay::~NetworkPlay() {
    delete view_;
    join_.reset();
    host_.reset();
    server_.reset();
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

bool NetworkPlay::startHosting(int16_t mode, quint16 port, QString* error) {
    stopHosting();
    if (hostKey_.isNull()) {
        // Made once, kept in the player's data folder.
        std::string note;
        hostKey_ = LoadHostKey(
            QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString(), &note);
        if (!note.empty())
            std::fprintf(stderr, "tessarin: %s\n", note.c_str());
        if (hostKey_.isNull()) {
            if (error)
                *error = QStringLiteral("no key for encryption could be made");
            return false;
        }
        setHostKey(hostKey_.hex(), q(hostKey_.shortForm()));
    }
    auto server = std::make_unique<TlsServer>();
    // Any: IPv4 and IPv6 alike.
    if (!server->listen(QHostAddress::Any, port)) {
        if (error)
            *error = server->errorString();
        return false;
    }
    server_ = std::move(server);
    host_ = std::make_unique<net::HostGame>(
        game_, game_.services().timers, mode,
        net::HostGame::Events{[this](const std::string&) {
                                  emit hostJoined();
                                  window_.afterEvent();
                              },
                              [this](const std::string& text) { emit hostNotice(q(text)); },
                              [this] {
                                  // Let go from a call of its own.
                                  QTimer::singleShot(0, this, [this] {
                                      if (host_ && host_->ended() && !host_->busy())
                                          stopHosting();
                                      window_.afterEvent();
                                      emit hostEnded();
                                  });
                              },
                              [this] { window_.afterEvent(); }});
    // For the player's log and for scripts that drive the program.
    std::fprintf(stderr, "tessarin: hosting on port %u, join code %s, key %s\n",
                 static_cast<unsigned>(server_->serverPort()), host_->session().joinCode().c_str(),
                 hostKey_.shortForm().c_str());
    router_->start(server_->serverPort());
    setRouterStatus(router_->text(), router_->externalAddress());
    connect(server_.get(), &QTcpServer::newConnection, this, [this] {
        while (server_ && server_->hasPendingConnections()) {
            auto* socket = qobject_cast<QSslSocket*>(server_->nextPendingConnection());
            if (!host_ || !host_->session().wantsListening()) {
                socket->abort();
                socket->deleteLater();
                continue;
            }
            const std::string from = CallerKey(socket->peerAddress());
            host_->accept(TcpLink::host(socket, hostKey_), from);
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
        server_.release()->deleteLater(); // may be inside its own signal
        router_->stop();
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
    QMessageBox box(QMessageBox::Question, QStringLiteral("Tessarin"), text,
                    QMessageBox::Yes | QMessageBox::No, &window_);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    if (box.exec() == QMessageBox::Yes && host_)
        host_->stop();
    window_.afterEvent();
}

void NetworkPlay::setRouterStatus(const QString& text,
                                  const std::optional<QString>& externalAddress) {
    routerText_ = text.left(1000);
    externalAddress_.reset();
    // Only an address goes in the list and the link.
    if (externalAddress && net::IsIPv4Address(externalAddress->toStdString()))
        externalAddress_ = externalAddress;
    emit hostInfoChanged();
}

void NetworkPlay::setHostKey(const std::string& hex, const QString& shown) {
    hostKeyHex_ = hex;
    hostKeyText_ = shown;
    emit hostInfoChanged();
}

QString NetworkPlay::hostLink() const {
    if (!host_)
        return {};
    // The first address listed: the router's, else this machine's own.
    const std::vector<Reach> all = ownAddresses(externalAddress_);
    if (all.empty())
        return {};
    net::JoinLink link{all.front().address.toStdString(), port(), host_->session().joinCode(), {}};
    if (hostKeyHex_.size() == net::kKeyHexLength)
        link.KeyHex = hostKeyHex_;
    return q(net::PrintJoinLink(link));
}

namespace {

// The host's window once it listens: the addresses, each with what it is,
// the join code, the key, and what the router said.
struct HostDetails {
    QWidget* box = new QWidget;
    QGridLayout* addresses = new QGridLayout;
    QLabel* code = plainLabel();
    QLabel* key = plainLabel();
    QLabel* router = plainLabel();

    HostDetails() {
        box->setObjectName(QStringLiteral("hostDetails"));
        key->setObjectName(QStringLiteral("hostKey"));
        router->setObjectName(QStringLiteral("hostRouter"));
        router->setWordWrap(true);
        router->setFixedWidth(QFontMetrics(router->font()).averageCharWidth() * 56);
        auto* all = new QVBoxLayout(box);
        all->setContentsMargins(0, 0, 0, 0);
        all->addWidget(plainLabel(QStringLiteral("Give your friend the link (Copy link), or one "
                                                 "of these addresses and the join code:")));
        addresses->setContentsMargins(fontWidth() * 2, 0, 0, 0);
        addresses->setHorizontalSpacing(fontWidth() * 3);
        addresses->setColumnStretch(2, 1);
        all->addLayout(addresses);
        all->addWidget(code);
        all->addWidget(key);
        all->addWidget(router);
        box->hide();
    }
    int fontWidth() const { return QFontMetrics(box->font()).averageCharWidth(); }

    void show(const std::vector<Reach>& reach, quint16 port, const std::string& joinCode,
              const QString& keyText, const QString& routerText) {
        while (QLayoutItem* item = addresses->takeAt(0)) {
            delete item->widget();
            delete item;
        }
        int row = 0;
        for (const Reach& r : reach) {
            auto* address = plainLabel(q(net::PrintHostPort(r.address.toStdString(), port)));
            address->setTextInteractionFlags(Qt::TextSelectableByMouse);
            addresses->addWidget(address, row, 0);
            addresses->addWidget(plainLabel(r.mark), row++, 1);
        }
        code->setText(QStringLiteral("Join code: %1").arg(q(net::ShownJoinCode(joinCode))));
        code->setTextInteractionFlags(Qt::TextSelectableByMouse);
        key->setText(QStringLiteral("Key: %1").arg(keyText));
        key->setVisible(!keyText.isEmpty());
        router->setText(routerText);
        router->setVisible(!routerText.isEmpty()); // the router is not asked
        // Tall enough for whatever the router said, at the width it has.
        router->setMinimumHeight(
            QFontMetrics(router->font())
                .boundingRect(QRect(0, 0, router->contentsRect().width(), 100000), Qt::TextWordWrap,
                              routerText)
                .height());
        box->show();
    }
};

} // namespace

void NetworkPlay::hostDialog() {
    QDialog dlg(&window_);
    dlg.setWindowTitle(QStringLiteral("Host a Network Game"));
    auto* duel = new QRadioButton(QStringLiteral("&Duel"));
    auto* coop = new QRadioButton(QStringLiteral("&Cooperation"));
    (game_.Mode == Tessarin::kCooperation ? coop : duel)->setChecked(true);
    auto* port = new QSpinBox;
    port->setRange(1024, 65535);
    port->setValue(kDefaultPort);
    auto* info = plainLabel(QStringLiteral("Choose the game and the port, then Start."));
    info->setObjectName(QStringLiteral("hostInfo"));
    info->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* copy = new QPushButton(QStringLiteral("Copy &link"));
    auto* start = new QPushButton(QStringLiteral("&Start"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    copy->setObjectName(QStringLiteral("hostCopy"));
    copy->hide();
    start->setDefault(true);
    auto* modes = new QHBoxLayout;
    modes->addWidget(duel);
    modes->addWidget(coop);
    auto* form = new QFormLayout;
    form->addRow(withInkRoom(new QLabel(QStringLiteral("Game:"))), modes);
    addRow(form, QStringLiteral("&Port:"), port);
    HostDetails details;
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(copy);
    buttons->addStretch();
    buttons->addWidget(start);
    buttons->addWidget(cancel);
    auto* all = new QVBoxLayout(&dlg);
    all->addLayout(form);
    all->addWidget(details.box);
    all->addWidget(info);
    all->addLayout(buttons);
    all->setSizeConstraint(QLayout::SetFixedSize); // grows and shrinks with what it shows

    const auto showDetails = [&] {
        if (!host_)
            return;
        details.show(ownAddresses(externalAddress_), this->port(), host_->session().joinCode(),
                     hostKeyText_, routerText_);
    };
    port->setFocus();
    connect(cancel, &QPushButton::clicked, &dlg, &QDialog::reject);
    connect(copy, &QPushButton::clicked, &dlg,
            [this] { QGuiApplication::clipboard()->setText(hostLink()); });
    connect(start, &QPushButton::clicked, &dlg, [&] {
        const int16_t mode = coop->isChecked() ? Tessarin::kCooperation : Tessarin::kDuel;
        QString why;
        if (!startHosting(mode, static_cast<quint16>(port->value()), &why)) {
            info->setText(QStringLiteral("Port %1 cannot be used: %2").arg(port->value()).arg(why));
            return;
        }
        duel->setEnabled(false);
        coop->setEnabled(false);
        port->setEnabled(false);
        start->hide();
        copy->show();
        copy->setDefault(true);
        copy->setFocus();
        info->setText(QStringLiteral("Waiting for player 2..."));
        showDetails();
        std::fprintf(stderr, "tessarin: join link %s\n", qPrintable(hostLink()));
    });
    const auto changed = connect(this, &NetworkPlay::hostInfoChanged, &dlg, showDetails);
    const auto joined = connect(this, &NetworkPlay::hostJoined, &dlg, &QDialog::accept);
    // The latest few tries turned away, under what the window says: a
    // stream of strangers does not grow it without end.
    QStringList notices;
    QString said;
    const auto notice = connect(this, &NetworkPlay::hostNotice, &dlg, [&](const QString& text) {
        if (notices.isEmpty())
            said = info->text();
        notices.append(text);
        while (notices.size() > 3)
            notices.removeFirst();
        info->setText(said + QLatin1Char('\n') + notices.join(QLatin1Char('\n')));
    });
    // Player 2 came and went before the game was set up (they were told).
    const auto ended = connect(this, &NetworkPlay::hostEnded, &dlg, &QDialog::reject);
    const int result = dlg.exec();
    disconnect(changed);
    disconnect(joined);
    disconnect(notice);
    disconnect(ended);
    if (result != QDialog::Accepted && host_ && !host_->busy())
        stopHosting();
    else if (result != QDialog::Accepted && host_)
        host_->stop(); // let go once its name window is closed
    window_.afterEvent();
}

void NetworkPlay::startJoin(net::JoinSession::Events events, const QString& address, quint16 port,
                            const std::string& code, const std::string& name,
                            std::optional<std::string> keyHex) {
    // The host's key from a link, for the encrypted connection to check.
    joinKeyHex_ = keyHex;
    TcpLink::HostCheck check;
    if (keyHex) {
        check.expected = QByteArray::fromHex(QByteArray::fromStdString(*keyHex));
    } else {
        // Typed by hand: the player compares the key with the host's window.
        check.ask = [this](const QString& shortForm, QObject* gone) {
            QWidget* over = QApplication::activeModalWidget();
            QMessageBox box(QMessageBox::Question, QStringLiteral("Tessarin"),
                            QStringLiteral("The host's key begins with\n\n%1\n\nDoes the host's "
                                           "window show the same? If it does not, someone else "
                                           "may be answering in the host's place.")
                                .arg(shortForm),
                            QMessageBox::Yes | QMessageBox::No, over ? over : &window_);
            box.setTextFormat(Qt::PlainText);
            box.setDefaultButton(QMessageBox::No);
            connect(gone, &QObject::destroyed, &box, [&box] { box.done(QMessageBox::No); });
            return box.exec() == QMessageBox::Yes;
        };
    }
    join_ = std::make_unique<net::JoinSession>(game_.services().timers,
                                               TcpLink::join(address, port, std::move(check)), code,
                                               name, std::move(events));
}

void NetworkPlay::joinLink(const QString& link) {
    const net::Parsed<net::JoinLink> parsed = net::ParseJoinLink(link.left(4096).toStdString());
    if (!parsed.Value) {
        std::fprintf(stderr, "tessarin: %s\n", parsed.Error.c_str()); // for the player's log
        game_.services().dialogs.SystemMessage(parsed.Error, "Tessarin");
        window_.afterEvent();
        return;
    }
    if (!host_ && !join_ && !game_.Playing)
        joinDialog(link);
}

namespace {

// The join window's fields, its status line and its buttons.
struct JoinWindow {
    QLineEdit* link;
    QLineEdit* address;
    QSpinBox* port;
    QLineEdit* code;
    QLineEdit* name;
    QLabel* status;
    QPushButton* join;
    QPushButton* cancel;
};

const QString kBadCode =
    QStringLiteral("A join code is six letters and digits, without I, O, 0 or 1.");
const QString kConnecting = QStringLiteral("Connecting...");

JoinWindow makeJoinWindow(QDialog& dlg, const std::string& name) {
    dlg.setWindowTitle(QStringLiteral("Join a Network Game"));
    JoinWindow w{new QLineEdit,
                 new QLineEdit,
                 new QSpinBox,
                 new QLineEdit,
                 new QLineEdit(q(name)),
                 plainLabel(),
                 new QPushButton(QStringLiteral("&Join")),
                 new QPushButton(QStringLiteral("Cancel"))};
    w.link->setObjectName(QStringLiteral("joinLink"));
    w.link->setPlaceholderText(QStringLiteral("tessarin://..."));
    w.link->setMaxLength(static_cast<int>(net::kMaxJoinLinkLength) * 2);
    w.address->setObjectName(QStringLiteral("joinAddress"));
    w.port->setObjectName(QStringLiteral("joinPort"));
    w.port->setRange(1, 65535);
    w.port->setValue(kDefaultPort);
    w.code->setObjectName(QStringLiteral("joinCode"));
    w.name->setObjectName(QStringLiteral("joinName"));
    w.status->setObjectName(QStringLiteral("joinStatus"));
    w.join->setDefault(true);
    auto* form = new QFormLayout;
    addRow(form, QStringLiteral("&Link:"), w.link);
    addRow(form, QStringLiteral("Host &address:"), w.address);
    addRow(form, QStringLiteral("&Port:"), w.port);
    addRow(form, QStringLiteral("Join &code:"), w.code);
    addRow(form, QStringLiteral("Your &name:"), w.name);
    arrange(dlg, form, w.status, w.join, w.cancel);
    // Sized once for whatever it may come to say.
    QStringList statuses{kBadCode, kConnecting};
    for (const char* link : {"tessarin:x", "tessarin://-/", "tessarin://1::2/", "tessarin://a:0/",
                             "tessarin://a/I", "tessarin://a/K7QM2X?key=", "tessarin://a/?v=2"})
        statuses << q(net::ParseJoinLink(link).Error);
    for (const char* address : {"", "-", "a:0"})
        statuses << q(net::ParseHostPort(address).Error);
    using R = net::JoinSession::EndReason;
    for (R r :
         {R::CouldNotConnect, R::WrongCode, R::Busy, R::TryLater, R::VersionMismatch, R::HostLeft,
          R::HostSilent, R::Disconnected, R::BadMessage, R::OlderHost, R::WrongKey, R::KeyNotValid})
        statuses << q(net::EndText(r, "a message out of place (type 99)"));
    sizeForTexts(w.status, statuses, QFontMetrics(w.status->font()).averageCharWidth() * 48);
    w.link->setMinimumWidth(w.status->width());
    return w;
}

} // namespace

void NetworkPlay::joinDialog(const QString& link) {
    QDialog dlg(&window_);
    // Player 1's name when it was set here, else the account's.
    const JoinWindow w =
        makeJoinWindow(dlg, game_.Player1Name != "Player1" ? game_.Player1Name : AccountName());
    // The link as last read: the fields below are filled from it, and its
    // key goes with the join while they still say what it says.
    std::optional<net::JoinLink> linked;
    connect(w.link, &QLineEdit::textChanged, &dlg, [&](const QString& text) {
        const net::Parsed<net::JoinLink> parsed = net::ParseJoinLink(text.toStdString());
        linked = parsed.Value;
        if (!linked) {
            w.status->setText(text.trimmed().isEmpty() ? QString() : q(parsed.Error));
            return;
        }
        w.status->clear();
        w.address->setText(q(linked->Host));
        w.port->setValue(linked->Port);
        w.code->setText(q(net::ShownJoinCode(linked->Code)));
    });
    connect(w.cancel, &QPushButton::clicked, &dlg, &QDialog::reject);
    connect(w.join, &QPushButton::clicked, &dlg, [&] {
        if (!w.link->text().trimmed().isEmpty() && !linked) {
            w.status->setText(q(net::ParseJoinLink(w.link->text().toStdString()).Error));
            w.link->setFocus();
            return;
        }
        // A code that cannot be right is said at once, not by the host.
        const std::string code = net::NormalizeJoinCode(w.code->text().toStdString());
        if (!net::IsJoinCode(code)) {
            w.status->setText(kBadCode);
            w.code->setFocus();
            return;
        }
        const net::Parsed<net::HostPort> address =
            net::ParseHostPort(w.address->text().toStdString());
        if (!address.Value) {
            w.status->setText(q(address.Error));
            w.address->setFocus();
            return;
        }
        if (address.Value->Port)
            w.port->setValue(*address.Value->Port);
        const auto port = static_cast<quint16>(w.port->value());
        std::optional<std::string> key;
        if (linked && linked->Host == address.Value->Host && linked->Port == port &&
            linked->Code == code)
            key = linked->KeyHex;
        w.join->setEnabled(false);
        w.status->setText(kConnecting);
        startJoin(joinEvents(&dlg, w.status, w.join), q(address.Value->Host), port,
                  w.code->text().toStdString(), w.name->text().toStdString(), std::move(key));
    });
    if (!link.isEmpty()) {
        // Only the name is left to ask.
        w.link->setText(link);
        w.link->setCursorPosition(0);
        w.name->setFocus();
        w.name->selectAll();
    }
    const int result = dlg.exec();
    if (result != QDialog::Accepted || !join_ || join_->state() == net::JoinSession::State::Ended) {
        if (join_)
            join_->leave();
        join_.reset();
        return;
    }
    openJoinView();
}

// What the joiner's session tells: in the join window while it is open
// (its status line says why a try failed), then in the host's window.
net::JoinSession::Events NetworkPlay::joinEvents(QDialog* dlg, QLabel* status, QPushButton* join) {
    const QPointer<QDialog> dialog(dlg);
    const QPointer<QLabel> shownStatus(status);
    const QPointer<QPushButton> joinButton(join);
    return {[dialog](const net::Welcome&) {
                if (dialog)
                    dialog->accept();
            },
            [this] {
                if (view_ && join_)
                    view_->showView(join_->view(), join_->welcome().HostName);
            },
            [this, dialog, shownStatus, joinButton](net::JoinSession::EndReason,
                                                    const std::string& text) {
                // Told in a call of its own, with the session gone.
                QTimer::singleShot(0, this, [this, dialog, shownStatus, joinButton, text] {
                    join_.reset();
                    if (dialog && dialog->isVisible() && shownStatus && joinButton) {
                        shownStatus->setText(q(text));
                        joinButton->setEnabled(true);
                    } else {
                        endJoin(text);
                    }
                });
            },
            [this](const net::Shown& shown) {
                if (view_)
                    view_->showWindow(shown);
            }};
}

void NetworkPlay::openJoinView() {
    view_ = new JoinView(game_.Controls.Keys[0], game_.services(), scale_);
    view_->move(window_.pos()); // over this window, which waits behind it
    view_->setSession(join_.get());
    connect(view_, &JoinView::closedByPlayer, this, [this] {
        if (join_)
            join_->leave();
        QTimer::singleShot(0, this, [this] {
            join_.reset();
            endJoin({});
        });
    });
    view_->showView(join_->view(), join_->welcome().HostName);
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
    window_.afterEvent();
    if (!text.empty()) {
        std::fprintf(stderr, "tessarin: %s\n", text.c_str()); // for the player's log
        game_.services().dialogs.SystemMessage(text, "Tessarin");
    }
    emit joinEnded(q(text));
}

// ---- The host's window at the joiner

struct JoinView::Impl {
    explicit Impl(const Services& services)
        : results(services.dialogs, services.sound, services.screen) {}
    net::ViewPainter painter;
    std::vector<ElementLabel*> labels;
    std::map<uint64_t, SurfaceWidget*> surfaces; // by the surface's Id()
    // The copies of the host's message and results windows.
    MessageForm message;
    DuelResult results;
    std::unique_ptr<MessageWindow> messageWindow;
    std::unique_ptr<RecordsWindow> resultsWindow;
};

JoinView::JoinView(const PlayerKeys& keys, const Services& services, int scale)
    : QWidget(nullptr), impl_(std::make_unique<Impl>(services)), keys_(keys), scale_(scale) {
    setObjectName(QStringLiteral("TessarinJoined"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, appWorkspace());
    setPalette(pal);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
}

JoinView::~JoinView() = default;

void JoinView::showView(const net::ViewState& view, const std::string& hostName) {
    // Whose game it is, beside what the host's window says.
    setWindowTitle(hostName.empty() ? q(view.Window.Caption)
                                    : q(view.Window.Caption + " - with " + hostName));
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
    std::map<uint64_t, SurfaceWidget*> kept;
    for (const auto& s : drawn) {
        auto it = impl_->surfaces.find(s->Id());
        SurfaceWidget* w = nullptr;
        if (it != impl_->surfaces.end()) {
            w = it->second;
            impl_->surfaces.erase(it);
        } else {
            w = new SurfaceWidget(
                s.get(),
                [this, id = s->Id()](const Surface* which) {
                    for (const auto& x : impl_->painter.surfaces())
                        if (x.get() == which && x->Id() == id)
                            return true;
                    return false;
                },
                this);
        }
        w->syncFromSurface(scale_);
        kept[s->Id()] = w;
    }
    for (auto& [s, w] : impl_->surfaces)
        delete w;
    impl_->surfaces = std::move(kept);
    // Stacking as the host has it.
    std::vector<std::pair<int, SurfaceWidget*>> order;
    for (std::size_t i = 0; i < drawn.size() && i < view.Surfaces.size(); ++i)
        order.emplace_back(view.Surfaces[i].Z, impl_->surfaces[drawn[i]->Id()]);
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

void JoinView::showWindow(const net::Shown& shown) {
    Impl& d = *impl_;
    FormDialog* window = nullptr;
    if (shown.Form == net::Shown::Kind::Message) {
        d.message.TheWindow.Caption = shown.Window.Caption;
        d.message.Label1 = shown.Main;
        if (!d.messageWindow)
            d.messageWindow = std::make_unique<MessageWindow>(scale_, this);
        d.messageWindow->bindForm(d.message);
        window = d.messageWindow.get();
    } else {
        d.results.TheWindow.Caption = shown.Window.Caption;
        d.results.TheWindow.Width = shown.Window.Width;
        d.results.TheWindow.Height = shown.Window.Height;
        d.results.Command1 = shown.Main;
        d.results.lblSide = shown.Side;
        d.results.lblHeader = shown.Header;
        d.results.lblCell = shown.Cells;
        if (!d.resultsWindow)
            d.resultsWindow = std::make_unique<RecordsWindow>(scale_, this);
        d.resultsWindow->bindForm(d.results);
        window = d.resultsWindow.get();
    }
    // A window of its own over this one, not blocking it: the host's game
    // goes on behind it.
    window->showModeless(this);
}

QWidget* JoinView::messageWindow() const {
    return impl_->messageWindow.get();
}

QWidget* JoinView::resultsWindow() const {
    return impl_->resultsWindow.get();
}

void JoinView::keyPressEvent(QKeyEvent* event) {
    const int16_t code = toVirtualKey(event->key(), event->modifiers(), event->nativeScanCode(),
                                      event->nativeVirtualKey());
    if (!session_ || code == 0)
        return;
    // This machine's player 1 keys play player 2 at the host.
    session_->sendAction(ActionFor(keys_, code));
}

void JoinView::padAction(KeyAction action) {
    if (session_ && action != KeyAction::None)
        session_->sendAction(action);
}

void JoinView::closeEvent(QCloseEvent* event) {
    event->accept();
    if (session_)
        emit closedByPlayer();
}

} // namespace tessarin::qt
