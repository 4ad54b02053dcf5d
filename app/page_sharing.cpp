#include "app/page_sharing.h"

#include <QAction>
#include <QBoxLayout>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QHostAddress>
#include <QLabel>
#include <QLockFile>
#include <QMenu>
#include <QTimer>
#include <QWidget>

#include "app/captions.h"
#include "app/settings.h"
#include "net/web_server.h"
#include "session/metrics_feed.h"
#include "session/page_feed.h"

namespace cellwatch {
namespace {

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

bool SharingClaim::mayBind(Settings& settings, QWidget& window, bool anythingOn,
                           const std::function<void(const QString&)>& tell) {
    auto* claim =
        window.findChild<SharingClaim*>(QStringLiteral("SharingClaim"), Qt::FindDirectChildrenOnly);
    if (claim == nullptr) {
        claim = new SharingClaim(window);
        const auto* file = dynamic_cast<const FileSettingsStore*>(&settings.store());
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
            tell(
                tr("Another Cellwatch window serves the live page and publishes; this window "
                   "leaves both off"));
        }
    }
    return claim->held_;
}

PageSharing::PageSharing(Parts parts, QObject* parent)
    : QObject(parent), parts_(std::move(parts)), server_(std::make_unique<net::WebServer>()) {
    server_->addResourceFolder(QStringLiteral(":/web"));
    feed_ = std::make_unique<session::PageFeed>(parts_.session, *server_);
    parts_.owner.installEventFilter(this);  // the window's language changes
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
            !SharingClaim::mayBind(parts_.settings, parts_.owner, choice.on, parts_.tell) ||
            !choice.on || server_->listening()) {
            return;  // (served already: the dialog was quicker than this)
        }
        const QString failure = server_->listen(shareListenAddress(choice), choice.port);
        if (!failure.isEmpty()) {
            //: %1 why (from the server, in English)
            parts_.tell(tr("The live page cannot be served: %1").arg(failure));
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
    const QHostAddress a = server_->address();
    const QString port = QStringLiteral(":%1").arg(server_->port());
    if (a.isLoopback()) {
        return tr("Page: this computer");
    }
    if (a == QHostAddress::Any || a == QHostAddress::AnyIPv4 || a == QHostAddress::AnyIPv6) {
        //: %1 the port (":8080")
        return tr("Page: every interface %1").arg(port);
    }
    //: %1 the address and port ("192.168.1.5:8080")
    return tr("Page: local network %1").arg(a.toString() + port);
}

void PageSharing::refreshMark() {
    if (mark_ == nullptr) {
        return;
    }
    const QString text = markText();
    mark_->setText(text);
    mark_->setToolTip(
        tr("The live page is served; View > Share on the local network… changes or stops it"));
    mark_->setVisible(!text.isEmpty());
}

PageSharing::~PageSharing() {
    feed_.reset();
    server_->close();
}

void PageSharing::useCommand(QAction* command) {
    command_ = command;
    connect(command_, &QAction::triggered, this, &PageSharing::showDialog);
}

bool PageSharing::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &parts_.owner && event->type() == QEvent::LanguageChange) {
        refreshMark();
    }
    return QObject::eventFilter(watched, event);
}

void PageSharing::showDialog() {
    ShareDialog dialog(*server_, stored(), &parts_.owner);
    connect(&dialog, &ShareDialog::choiceChanged, this, [this](const ShareChoice& choice) {
        store(choice);
        refreshMark();
    });
    parts_.hooks.showDialog(dialog);
    store(dialog.choice());
    refreshMark();
}

ShareChoice PageSharing::stored() const {
    const Settings& settings = parts_.settings;
    ShareChoice choice;
    choice.on = settings.on(Flag::ShareOn);
    const QString scope = settings.text(Text::ShareScope);
    choice.scope = scope == QLatin1String("all")     ? ShareChoice::Scope::AllInterfaces
                   : scope == QLatin1String("named") ? ShareChoice::Scope::Named
                   : scope == QLatin1String("local") ? ShareChoice::Scope::ThisComputer
                                                     : ShareChoice::Scope::LocalNetwork;
    choice.named = settings.text(Text::ShareAddress);
    bool ok = false;
    const uint port = settings.text(Text::SharePort).toUInt(&ok);
    choice.port = ok && port > 0 && port <= 65535 ? static_cast<quint16>(port) : quint16(8080);
    return choice;
}

void PageSharing::store(const ShareChoice& choice) {
    parts_.settings.setOn(Flag::ShareOn, choice.on);
    parts_.settings.setText(Text::ShareScope, scopeName(choice.scope));
    parts_.settings.setText(Text::ShareAddress, choice.named);
    parts_.settings.setText(Text::SharePort, QString::number(choice.port));
}

}  // namespace cellwatch
