#include "app/page_sharing.h"

#include <QAction>
#include <QBoxLayout>
#include <QDir>
#include <QFileInfo>
#include <QHostAddress>
#include <QLabel>
#include <QLockFile>
#include <QMenu>
#include <QTimer>
#include <QWidget>

#include "app/captions.h"
#include "app/settings_store.h"
#include "net/web_server.h"
#include "session/metrics_feed.h"
#include "session/page_feed.h"

namespace cellwatch {
namespace {

const QString kShareSection = QStringLiteral("Share");
constexpr BilingualText kShareCommand = {"在局域网上共享…", "Share on the local network…"};
constexpr BilingualText kShareNotServed = {"无法提供网页", "The live page cannot be served"};
constexpr BilingualText kSharedElsewhere = {
    "另一个充电监控窗口已在提供网页和发布数据；此窗口不提供网页，也不发布",
    "Another Cellwatch window serves the live page and publishes; this window leaves both off"};

constexpr BilingualText kMarkThisComputer = {"网页：仅本机", "Page: this computer"};
constexpr BilingualText kMarkNetwork = {"网页：局域网 %1", "Page: local network %1"};
constexpr BilingualText kMarkEverywhere = {"网页：所有网络接口 %1", "Page: every interface %1"};
constexpr BilingualText kMarkTip = {"正在提供实时网页；在“图表 > 在局域网上共享…”中更改或停止",
                                    "The live page is served; View > Share on the local "
                                    "network… changes or stops it"};

QString scopeName(ShareChoice::Scope scope) {
    switch (scope) {
        case ShareChoice::Scope::AllInterfaces:
            return QStringLiteral("all");
        case ShareChoice::Scope::Named:
            return QStringLiteral("named");
        case ShareChoice::Scope::LocalNetwork:
            return QStringLiteral("network");
        case ShareChoice::Scope::ThisComputer:
            break;
    }
    return QStringLiteral("local");
}

}  // namespace

struct SharingClaim::Lock {
    explicit Lock(const QString& path) : file(path) {}
    QLockFile file;
};

SharingClaim::SharingClaim(QWidget& window) : QObject(&window) {
    setObjectName(QStringLiteral("SharingClaim"));
}

SharingClaim::~SharingClaim() = default;  // the lock goes with the window

bool SharingClaim::mayBind(SettingsStore& settings, QWidget& window, bool anythingOn, bool chinese,
                           const std::function<void(const QString&)>& tell) {
    auto* claim =
        window.findChild<SharingClaim*>(QStringLiteral("SharingClaim"), Qt::FindDirectChildrenOnly);
    if (claim == nullptr) {
        claim = new SharingClaim(window);
        const auto* file = dynamic_cast<const FileSettingsStore*>(&settings);
        if (file == nullptr) {
            claim->held_ = true;
        } else {
            const QString folder = QFileInfo(file->path()).absolutePath();
            QDir().mkpath(folder);
            claim->lock_ = std::make_unique<Lock>(folder + u'/' + lockName());
            // Held as long as the window is open, however long that is; a
            // lock left by a program that died is taken over.
            claim->lock_->file.setStaleLockTime(0);
            claim->held_ = claim->lock_->file.tryLock(0);
            // A folder where no lock can be made at all binds nothing either.
            claim->held_ = claim->held_ ||
                           claim->lock_->file.error() == QLockFile::PermissionError ||
                           claim->lock_->file.error() == QLockFile::UnknownError;
        }
    }
    if (!claim->held_ && anythingOn && !claim->told_) {
        claim->told_ = true;
        if (tell) {
            tell(kSharedElsewhere.pick(chinese));
        }
    }
    return claim->held_;
}

PageSharing::PageSharing(Parts parts, QObject* parent)
    : QObject(parent), parts_(std::move(parts)), server_(std::make_unique<net::WebServer>()) {
    server_->addResourceFolder(QStringLiteral(":/web"));
    feed_ = std::make_unique<session::PageFeed>(parts_.session, *server_);
    metrics_ = std::make_unique<session::MetricsFeed>();
    metrics_->watch(parts_.session, {});
    server_->addMadeFile(QStringLiteral("metrics"), session::kMetricsContentType,
                         [this] { return QByteArray::fromStdString(metrics_->text()); });
    // What was shared when the program last ended is shared again, once the
    // window knows what it shows.
    QTimer::singleShot(0, this, [this] {
        // Every main window asks, whatever is on: the first one open holds
        // the binding settings, also those turned on later.
        const ShareChoice choice = stored();
        if (parts_.watching() ||
            !SharingClaim::mayBind(parts_.settings, parts_.owner, choice.on, parts_.chinese(),
                                   parts_.tell) ||
            !choice.on || server_->listening()) {
            return;  // (served already: the dialog was quicker than this)
        }
        const QString failure = server_->listen(shareListenAddress(choice), choice.port);
        if (!failure.isEmpty()) {
            parts_.tell(kShareNotServed.pick(parts_.chinese()) + QStringLiteral(": ") + failure);
        }
        refreshMark();
    });
}

void PageSharing::addMark(QWidget* band) {
    auto* row = band != nullptr ? qobject_cast<QBoxLayout*>(band->layout()) : nullptr;
    if (row == nullptr) {
        return;
    }
    mark_ = new QLabel(band);
    mark_->setObjectName(QStringLiteral("state.PageMark"));
    mark_->setStyleSheet(QStringLiteral("QLabel { color: #b00000; font-weight: bold; }"));
    row->insertWidget(std::max(0, row->count() - 1), mark_);
    refreshMark();
}

QString PageSharing::markText() const {
    if (!server_->listening()) {
        return {};
    }
    const bool zh = parts_.chinese();
    const QHostAddress a = server_->address();
    const QString port = QStringLiteral(":%1").arg(server_->port());
    if (a.isLoopback()) {
        return kMarkThisComputer.pick(zh);
    }
    if (a == QHostAddress::Any || a == QHostAddress::AnyIPv4 || a == QHostAddress::AnyIPv6) {
        return kMarkEverywhere.pick(zh).arg(port);
    }
    return kMarkNetwork.pick(zh).arg(a.toString() + port);
}

void PageSharing::refreshMark() {
    if (mark_ == nullptr) {
        return;
    }
    const QString text = markText();
    mark_->setText(text);
    mark_->setToolTip(kMarkTip.pick(parts_.chinese()));
    mark_->setVisible(!text.isEmpty());
}

PageSharing::~PageSharing() {
    feed_.reset();
    server_->close();
}

void PageSharing::addMenu(QMenu* view) {
    command_ = view->addAction(kShareCommand.pick(parts_.chinese()));
    command_->setObjectName(QStringLiteral("View1.Share"));
    connect(command_, &QAction::triggered, this, &PageSharing::showDialog);
}

void PageSharing::setLanguage(bool chinese) {
    if (command_) {
        command_->setText(kShareCommand.pick(chinese));
    }
    refreshMark();
}

void PageSharing::showDialog() {
    ShareDialog dialog(*server_, stored(), parts_.chinese(), &parts_.owner);
    connect(&dialog, &ShareDialog::choiceChanged, this, [this](const ShareChoice& choice) {
        store(choice);
        refreshMark();
    });
    parts_.hooks.showDialog(dialog);
    store(dialog.choice());
    refreshMark();
}

ShareChoice PageSharing::stored() const {
    const auto read = [this](const QString& key, const QString& fallback) {
        return parts_.settings.read(kSettingsApplication, kShareSection, key, fallback);
    };
    ShareChoice choice;
    choice.on = read(QStringLiteral("On"), QStringLiteral("0")) == QLatin1String("1");
    const QString scope = read(QStringLiteral("Scope"), QStringLiteral("network"));
    choice.scope = scope == QLatin1String("all")     ? ShareChoice::Scope::AllInterfaces
                   : scope == QLatin1String("named") ? ShareChoice::Scope::Named
                   : scope == QLatin1String("local") ? ShareChoice::Scope::ThisComputer
                                                     : ShareChoice::Scope::LocalNetwork;
    choice.named = read(QStringLiteral("Address"), QString());
    bool ok = false;
    const uint port = read(QStringLiteral("Port"), QStringLiteral("8080")).toUInt(&ok);
    choice.port = ok && port > 0 && port <= 65535 ? static_cast<quint16>(port) : quint16(8080);
    return choice;
}

void PageSharing::store(const ShareChoice& choice) {
    const auto write = [this](const QString& key, const QString& value) {
        parts_.settings.write(kSettingsApplication, kShareSection, key, value);
    };
    write(QStringLiteral("On"), choice.on ? QStringLiteral("1") : QStringLiteral("0"));
    write(QStringLiteral("Scope"), scopeName(choice.scope));
    write(QStringLiteral("Address"), choice.named);
    write(QStringLiteral("Port"), QString::number(choice.port));
}

}  // namespace cellwatch
