#include "app/page_sharing.h"

#include <QAction>
#include <QMenu>
#include <QTimer>

#include "app/captions.h"
#include "app/settings_store.h"
#include "net/web_server.h"
#include "session/page_feed.h"

namespace cellwatch {
namespace {

const QString kShareSection = QStringLiteral("Share");
constexpr BilingualText kShareCommand = {"在局域网上共享…", "Share on the local network…"};
constexpr BilingualText kShareNotServed = {"无法提供网页", "The live page cannot be served"};

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

PageSharing::PageSharing(Parts parts, QObject* parent)
    : QObject(parent), parts_(std::move(parts)), server_(std::make_unique<net::WebServer>()) {
    server_->addResourceFolder(QStringLiteral(":/web"));
    feed_ = std::make_unique<session::PageFeed>(parts_.session, *server_);
    // What was shared when the program last ended is shared again, once the
    // window knows what it shows.
    QTimer::singleShot(0, this, [this] {
        const ShareChoice choice = stored();
        if (!choice.on || parts_.watching()) {
            return;
        }
        const QString failure = server_->listen(shareListenAddress(choice), choice.port);
        if (!failure.isEmpty()) {
            parts_.tell(kShareNotServed.pick(parts_.chinese()) + QStringLiteral(": ") + failure);
        }
    });
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
}

void PageSharing::showDialog() {
    ShareDialog dialog(*server_, stored(), parts_.chinese(), &parts_.owner);
    connect(&dialog, &ShareDialog::choiceChanged, this,
            [this](const ShareChoice& choice) { store(choice); });
    parts_.hooks.showDialog(dialog);
    store(dialog.choice());
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
