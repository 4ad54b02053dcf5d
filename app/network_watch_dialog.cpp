#include "app/network_watch_dialog.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/line_hint.h"
#include "app/network_list.h"
#include "app/network_watch.h"
#include "app/settings.h"
#include "net/broker_address.h"

namespace cellwatch {

QString readWatchKeyFile(const Settings& settings) {
    return settings.text(Text::WatchKeyFile);
}

void writeWatchKeyFile(Settings& settings, const QString& path) {
    settings.setText(Text::WatchKeyFile, path);
}

WatchConnectDialog::WatchConnectDialog(const Settings& settings, AskOpenFile askOpenFile,
                                       QWidget* parent)
    : QDialog(parent),
      address_(new QLineEdit(this)),
      password_(new QLineEdit(this)),
      keyFile_(new QLineEdit(this)),
      askOpenFile_(std::move(askOpenFile)) {
    setObjectName(QStringLiteral("watchDialog"));
    address_->setObjectName(QStringLiteral("watchAddress"));
    address_->setMinimumWidth(360);
    address_->setText(settings.text(Text::WatchAddress));
    password_->setObjectName(QStringLiteral("watchPassword"));
    password_->setEchoMode(QLineEdit::Password);
    keyFile_->setObjectName(QStringLiteral("watchKeyFile"));
    keyFile_->setText(readWatchKeyFile(settings));

    auto* keyRow = new QWidget(this);
    auto* keyLayout = new QHBoxLayout(keyRow);
    keyLayout->setContentsMargins(0, 0, 0, 0);
    keyFile_->setParent(keyRow);
    browse_ = new QPushButton(keyRow);
    browse_->setObjectName(QStringLiteral("watchKeyFileBrowse"));
    keyLayout->addWidget(keyFile_, 1);
    keyLayout->addWidget(browse_);
    connect(browse_, &QPushButton::clicked, this, [this] {
        const QString file = askOpenFile_ ? askOpenFile_(this, windowTitle())
                                          : QFileDialog::getOpenFileName(this, windowTitle());
        if (!file.isEmpty()) {
            keyFile_->setText(file);
        }
    });

    form_ = new QFormLayout;
    form_->addRow(QStringLiteral("-"), address_);  // (the rows are named in retranslate)
    form_->addRow(QStringLiteral("-"), password_);
    form_->addRow(QStringLiteral("-"), keyRow);
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons_->setObjectName(QStringLiteral("watchButtons"));
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form_);
    layout->addWidget(buttons_);
    retranslate();
}

void WatchConnectDialog::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
    }
    QDialog::changeEvent(event);
}

void WatchConnectDialog::retranslate() {
    setWindowTitle(tr("Watch a charger"));
    address_->setPlaceholderText(tr("mqtt://[USER@]HOST[:PORT]/NAME"));
    setWholeHint(*password_, tr("only with USER@ in the address; not kept"));
    setWholeHint(*keyFile_, tr("empty: unsigned messages count"));
    browse_->setText(tr("Browse…"));
    const QString names[] = {tr("Address:"), tr("Password:"), tr("Key file:")};
    for (int row = 0; row < form_->rowCount(); ++row) {
        if (auto* label =
                qobject_cast<QLabel*>(form_->itemAt(row, QFormLayout::LabelRole)->widget())) {
            label->setText(names[row]);
        }
    }
    buttons_->button(QDialogButtonBox::Ok)->setText(tr("OK"));
    buttons_->button(QDialogButtonBox::Cancel)->setText(tr("Cancel"));
}

void WatchConnectDialog::keep(Settings& settings) const {
    settings.setText(Text::WatchAddress, address_->text().trimmed());
    writeWatchKeyFile(settings, keyFile_->text().trimmed());
}

NetworkWatch* WatchConnectDialog::openWatch(Settings& settings, QWidget* parent) const {
    const QString address = address_->text().trimmed();
    const bool user = !net::parseBrokerAddress(address).user.isEmpty();
    // The password box answers for the user; without one there is no prompt.
    return NetworkWatch::openOrThrow(
        settings, address, parent,
        user ? std::optional<QString>(password_->text()) : std::optional<QString>(QString()));
}

void WatchConnectDialog::showFor(Settings& settings, QWidget* parent) {
    WatchConnectDialog dialog(settings, {}, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    dialog.keep(settings);
    try {
        dialog.openWatch(settings, parent);
    } catch (const std::exception& e) {
        //: %1 why, in the words of the part that failed
        QMessageBox::critical(parent, QStringLiteral("Cellwatch"),
                              WatchConnectDialog::tr("Cannot watch the charger: %1")
                                  .arg(QString::fromUtf8(e.what())));
    }
}

}  // namespace cellwatch
