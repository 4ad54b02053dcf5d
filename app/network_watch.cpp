#include "app/network_watch.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <utility>

#include "app/broker_notice_texts.h"
#include "app/network_watch_dialog.h"
#include "app/settings.h"
#include "app/toolbar.h"
#include "app/watch_notice_texts.h"
#include "net/secret_files.h"

namespace cellwatch {

namespace {

net::MqttOptions watchOptions(const QString& address, const QString& password) {
    net::MqttOptions options;
    options.address = net::parseBrokerAddress(address);
    options.password = password;
    options.reconnect = false;
    return options;
}

}  // namespace

NetworkWatch::NetworkWatch(Settings& settings, const QString& address, const QString& password,
                           WindowHooks hooks) {
    net::MqttOptions options = watchOptions(address, password);
    address_ = options.address;
    // The charger's key, when the settings name its file: only what is
    // signed with it counts (throws naming the file when it cannot be read).
    const QString keyFile = readWatchKeyFile(settings);
    const QByteArray key = keyFile.isEmpty() ? QByteArray() : net::readKeyFile(keyFile);
    window_ = std::make_unique<MainWindow>(settings, std::move(hooks));
    window_->installEventFilter(this);
    window_->setChargerName(address_.name);
    session::LiveSession& live = window_->session();
    connect(&live, &session::LiveSession::recordingBegun, this, &NetworkWatch::started);
    connect(&live, &session::LiveSession::lost, this, &NetworkWatch::loseLink);
    // A watch's notices in the window's language; their English lines,
    // which follow, are not shown again.
    connect(&live, &session::LiveSession::brokerNoticed, this, [this](const net::BrokerNotice& n) {
        said_ = net::brokerNoticeLine(n);
        window_->PostStatusMessage(brokerNoticeText(n));
    });
    connect(&live, &session::LiveSession::watchNoticed, this, [this](const net::WatchNotice& n) {
        said_ = net::watchNoticeLine(n);
        window_->PostStatusMessage(watchNoticeText(n));
    });
    connect(&live, &session::LiveSession::notice, this, [this](const QString& text) {
        if (text != std::exchange(said_, QString())) {
            window_->PostStatusMessage(text);
        }
    });
    connect(&live, &session::LiveSession::chargerAbsent, this,
            [this](const QString& name, const QString& broker) {
                //: %1 the charger's name, %2 the broker ("127.0.0.1:1883")
                window_->PostStatusMessage(tr("no charger %1 on %2: waiting").arg(name, broker));
            });
    connect(&live, &session::LiveSession::stateChanged, this, [this](session::LinkState state) {
        if (state == session::LinkState::Disconnected && !lost_) {
            lost_ = true;  // Disconnect: watching stops; the recording stays
        }
    });

    window_->tool(StatusTool::Port)->setText(address);
    window_->PostStatusMessage(tr("Waiting for %1").arg(address));
    auto source = std::make_unique<session::WatchSource>(live.sourceEvents(), std::move(options),
                                                         live.ownTicks());
    if (!key.isEmpty()) {
        source->feed().setKey(key);
    }
    live.open(std::move(source));
}

NetworkWatch::~NetworkWatch() {
    // The session says its last words (the dropped messages not said yet)
    // as it closes with the window: no longer to this watch, half gone.
    disconnect(&window_->session(), nullptr, this, nullptr);
    window_.reset();
}

void NetworkWatch::started() {
    begun_ = true;
    window_->PostStatusMessage(tr("Watching %1").arg(address_.text()));
}

void NetworkWatch::loseLink(const QString& why) {
    // Said once, also when the window's own handler of the loss has moved
    // the session on to disconnected already.
    if (toldLoss_) {
        return;
    }
    toldLoss_ = true;
    lost_ = true;
    const std::optional<net::WatchNotice>& watch = window_->session().watchLoss();
    const QString reason = watch ? watchNoticeText(*watch) : why;
    //: %1 why
    window_->PostStatusMessage(tr("The link to the charger was lost (%1)").arg(reason));
}

bool NetworkWatch::eventFilter(QObject* watched, QEvent* event) {
    if (goesOnClose_ && watched == window_.get() && event->type() == QEvent::Close) {
        goesOnClose_ = false;
        deleteLater();  // and the window with it
    }
    return QObject::eventFilter(watched, event);
}

NetworkWatch* NetworkWatch::openOrThrow(Settings& settings, const QString& address, QWidget* parent,
                                        const std::optional<QString>& given) {
    const net::BrokerAddress parsed = net::parseBrokerAddress(address);
    QString password = given.value_or(QString());
    if (!parsed.user.isEmpty() && !given) {
        bool ok = false;
        password =
            QInputDialog::getText(parent, QStringLiteral("Cellwatch"),
                                  //: %1 the user, %2 the broker
                                  tr("Password of %1 on %2:").arg(parsed.user, parsed.brokerText()),
                                  QLineEdit::Password, QString(), &ok);
        if (!ok) {
            return nullptr;
        }
    }
    auto* watch = new NetworkWatch(settings, address, password);
    watch->goesOnClose_ = true;
    if (parent != nullptr) {
        placeBeside(watch->window(), *parent->window());
    }
    watch->window().show();
    return watch;
}

void NetworkWatch::placeBeside(QWidget& window, const QWidget& other) {
    QScreen* screen = other.screen() != nullptr ? other.screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect room = screen->availableGeometry();
    const QRect taken = other.frameGeometry();
    const QSize size = window.frameGeometry().size();
    // Right of it, below it, left of it, above it: the first place that
    // fits; else the corner of the screen farthest from it, which covers
    // the least of it.
    const QPoint tries[] = {{taken.right() + 1, taken.top()},
                            {taken.left(), taken.bottom() + 1},
                            {taken.left() - size.width(), taken.top()},
                            {taken.left(), taken.top() - size.height()}};
    for (const QPoint& at : tries) {
        if (room.contains(QRect(at, size))) {
            window.move(at);
            return;
        }
    }
    const QPoint far(
        taken.center().x() < room.center().x() ? room.right() - size.width() + 1 : room.left(),
        taken.center().y() < room.center().y() ? room.bottom() - size.height() + 1 : room.top());
    window.move(far);
}

NetworkWatch* NetworkWatch::open(Settings& settings, const QString& address, QWidget* parent,
                                 const std::optional<QString>& password) {
    try {
        return openOrThrow(settings, address, parent, password);
    } catch (const std::exception& e) {
        //: %1 why, in the words of the part that failed
        QMessageBox::critical(
            parent, QStringLiteral("Cellwatch"),
            NetworkWatch::tr("Cannot watch the charger: %1").arg(QString::fromUtf8(e.what())));
        return nullptr;
    }
}

}  // namespace cellwatch
