#include "app/database_sending.h"

#include <QAction>
#include <QBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QWidget>

#include "app/page_sharing.h"
#include "app/settings.h"
#include "net/influx_target.h"
#include "net/influx_writer.h"
#include "session/influx_feed.h"

namespace cellwatch {

DatabaseSending::DatabaseSending(Parts parts, QObject* parent)
    : QObject(parent), parts_(std::move(parts)) {
    const DatabaseChoice stored = readDatabaseChoice(parts_.settings);
    // A second window would send every row twice: only the first sends.
    if (stored.on && SharingClaim::mayBind(parts_.settings, parts_.owner, true, {})) {
        apply(stored);
    }
}

DatabaseSending::~DatabaseSending() = default;

void DatabaseSending::useCommand(QAction* command) {
    command_ = command;
    connect(command_, &QAction::triggered, this, &DatabaseSending::showDialog);
}

void DatabaseSending::addMark(QWidget* band) {
    auto* row = band != nullptr ? qobject_cast<QBoxLayout*>(band->layout()) : nullptr;
    if (row == nullptr) {
        return;
    }
    mark_ = new QLabel(band);
    mark_->setObjectName(QStringLiteral("state.DatabaseMark"));
    mark_->setStyleSheet(QStringLiteral("QLabel { color: #b00000; font-weight: bold; }"));
    row->insertWidget(std::max(0, row->count() - 1), mark_);
    refreshMark();
}

void DatabaseSending::retranslate() {
    if (command_ != nullptr) {
        command_->setText(tr("Send to a database…"));
    }
    refreshMark();
}

QString DatabaseSending::markText() const {
    if (!writer_) {
        return {};
    }
    switch (writer_->state()) {
        case net::InfluxWriter::State::Unreachable:
            return tr("Database: unreachable");
        case net::InfluxWriter::State::Refusing:
            return tr("Database: rows refused");
        default:
            break;
    }
    return writer_->dropped() > 0
               ? tr("Database: %n rows dropped", nullptr, static_cast<int>(writer_->dropped()))
               : QString();
}

void DatabaseSending::refreshMark() {
    if (mark_ == nullptr) {
        return;
    }
    const QString text = markText();
    mark_->setText(text);
    mark_->setToolTip(writer_ ? tr("Rows go to %1; View > Send to a database… changes or stops it")
                                    .arg(writer_->addressText())
                              : QString());
    mark_->setVisible(!text.isEmpty());
}

void DatabaseSending::showDialog() {
    DatabaseDialog dialog(readDatabaseChoice(parts_.settings), parts_.hooks.askOpenFile,
                          &parts_.owner);
    if (parts_.hooks.showDialog) {
        parts_.hooks.showDialog(dialog);
    } else {
        dialog.exec();
    }
    if (dialog.result() != QDialog::Accepted) {
        return;
    }
    const DatabaseChoice choice = dialog.choice();
    writeDatabaseChoice(parts_.settings, choice);
    apply(choice);
}

void DatabaseSending::apply(const DatabaseChoice& choice) {
    feed_.reset();
    writer_.reset();
    if (choice.on) {
        try {
            const QUrl url = net::parseInfluxAddress(choice.address);
            const QByteArray auth =
                choice.authFile.isEmpty() ? QByteArray() : net::readInfluxAuthFile(choice.authFile);
            writer_ = std::make_unique<net::InfluxWriter>(url, auth);
        } catch (const net::InfluxError&) {
            if (parts_.tell) {
                parts_.tell(choice.authFile.isEmpty()
                                ? tr("Rows are not sent: %1 is no database write address")
                                      .arg(choice.address)
                                : tr("Rows are not sent: the sign-in file %1 cannot be read")
                                      .arg(choice.authFile));
            }
        }
    }
    if (writer_) {
        feed_ = std::make_unique<session::InfluxFeed>(
            parts_.session, *writer_, parts_.charger ? parts_.charger() : QString());
        connect(writer_.get(), &net::InfluxWriter::stateChanged, this, [this] { refreshMark(); });
        connect(writer_.get(), &net::InfluxWriter::notice, this, [this] { refreshMark(); });
    }
    refreshMark();
}

}  // namespace cellwatch
