#include "app/network_watch.h"

#include <QCloseEvent>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

#include "app/captions.h"
#include "app/settings_store.h"
#include "app/toolbar.h"

namespace cellwatch {

// The publisher's clocks while watching, the system's before and after.
class NetworkWatch::Clocks final : public TickClock, public WallClock {
public:
    std::uint32_t tickCount() const override {
        return simulated ? ticks.tickCount() : systemTicks_.tickCount();
    }
    QDateTime now() const override { return simulated ? wall.now() : systemWall_.now(); }

    ManualTickClock ticks;
    ManualWallClock wall{QDateTime()};
    bool simulated = false;

private:
    SystemTickClock systemTicks_;
    SystemWallClock systemWall_;
};

namespace {

// How often a Disconnect by the user is looked for.
constexpr int kUserStopCheckMs = 250;

net::MqttOptions watchOptions(const QString& address, const QString& password) {
    net::MqttOptions options;
    options.address = net::parseBrokerAddress(address);
    options.password = password;
    options.reconnect = false;
    return options;
}

}  // namespace

NetworkWatch::NetworkWatch(SettingsStore& settings, const QString& address, const QString& password,
                           MainWindow::Hooks hooks)
    : clocks_(std::make_unique<Clocks>()),
      client_(std::make_unique<net::MqttClient>(watchOptions(address, password))) {
    hooks.ticks = clocks_.get();
    hooks.wall = clocks_.get();
    window_ = std::make_unique<MainWindow>(settings, std::move(hooks));
    window_->installEventFilter(this);
    feed_ = std::make_unique<net::RemoteFeed>(*client_, window_->receivePath(), clocks_->ticks,
                                              [this](const QDateTime& t) { clocks_->wall.set(t); });
    connect(feed_.get(), &net::RemoteFeed::started, this, &NetworkWatch::started);
    connect(feed_.get(), &net::RemoteFeed::lost, this, &NetworkWatch::loseLink);
    connect(client_.get(), &net::MqttClient::lost, this, &NetworkWatch::loseLink);
    userStop_.setInterval(kUserStopCheckMs);
    connect(&userStop_, &QTimer::timeout, this, &NetworkWatch::checkDisconnect);

    const bool chinese = isChinese(readLanguageCode(settings));
    window_->tool(QStringLiteral("Tools"), QStringLiteral("com"))->setText(address);
    window_->PostStatusMessage(
        (chinese ? QStringLiteral("等待 %1") : QStringLiteral("Waiting for %1")).arg(address));
    client_->start();
}

NetworkWatch::~NetworkWatch() {
    feed_.reset();
    client_.reset();
    window_.reset();
}

void NetworkWatch::started() {
    clocks_->simulated = true;
    begun_ = true;
    window_->beginReplay(client_->options().address.text());
    const bool chinese = isChinese(readLanguageCode(window_->settings()));
    window_->PostStatusMessage(
        (chinese ? QStringLiteral("正在查看 %1") : QStringLiteral("Watching %1"))
            .arg(client_->options().address.text()));
    userStop_.start();
}

void NetworkWatch::loseLink(const QString& why) {
    if (lost_) {
        return;
    }
    lost_ = true;
    userStop_.stop();
    if (window_->replaying()) {
        window_->endReplay();
    }
    clocks_->simulated = false;
    const bool chinese = isChinese(readLanguageCode(window_->settings()));
    QString reason = why;
    if (chinese) {
        reason = why.contains(QLatin1String("offline")) ? QStringLiteral("充电器已离线")
                 : why.contains(QLatin1String("anew"))  ? QStringLiteral("充电器已重新连接")
                 : begun_ || why.contains(QLatin1String("lost"))
                     ? QStringLiteral("与服务器的连接已中断")
                     : QStringLiteral("无法连接服务器");
    }
    window_->PostStatusMessage(kLinkLost.pick(chinese) + QStringLiteral(" (") + reason + u')');
}

void NetworkWatch::checkDisconnect() {
    if (begun_ && !lost_ && !window_->replaying()) {
        // Disconnect: watching stops; the recording stays.
        userStop_.stop();
        lost_ = true;
        clocks_->simulated = false;
        client_->finish(std::nullopt, 0);
    }
}

bool NetworkWatch::eventFilter(QObject* watched, QEvent* event) {
    if (goesOnClose_ && watched == window_.get() && event->type() == QEvent::Close) {
        goesOnClose_ = false;
        deleteLater();  // and the window with it
    }
    return QObject::eventFilter(watched, event);
}

NetworkWatch* NetworkWatch::openOrThrow(SettingsStore& settings, const QString& address,
                                        QWidget* parent, const std::optional<QString>& given) {
    const net::BrokerAddress parsed = net::parseBrokerAddress(address);
    QString password = given.value_or(QString());
    if (!parsed.user.isEmpty() && !given) {
        bool ok = false;
        password = QInputDialog::getText(
            parent, QStringLiteral("Cellwatch"),
            QStringLiteral("Password of %1 on %2:").arg(parsed.user, parsed.brokerText()),
            QLineEdit::Password, QString(), &ok);
        if (!ok) {
            return nullptr;
        }
    }
    auto* watch = new NetworkWatch(settings, address, password);
    watch->goesOnClose_ = true;
    watch->window().show();
    return watch;
}

NetworkWatch* NetworkWatch::open(SettingsStore& settings, const QString& address, QWidget* parent,
                                 const std::optional<QString>& password) {
    try {
        return openOrThrow(settings, address, parent, password);
    } catch (const std::exception& e) {
        QMessageBox::critical(parent, QStringLiteral("Cellwatch"), QString::fromUtf8(e.what()));
        return nullptr;
    }
}

}  // namespace cellwatch
