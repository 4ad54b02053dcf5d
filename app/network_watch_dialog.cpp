#include "app/network_watch_dialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/network_list.h"
#include "app/network_watch.h"
#include "app/settings.h"
#include "net/broker_address.h"

namespace cellwatch {
namespace {}  // namespace

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
    setWindowTitle(tr("Watch a charger"));
    address_->setObjectName(QStringLiteral("watchAddress"));
    address_->setPlaceholderText(tr("mqtt://[USER@]HOST[:PORT]/NAME"));
    address_->setMinimumWidth(360);
    address_->setText(settings.text(Text::WatchAddress));
    password_->setObjectName(QStringLiteral("watchPassword"));
    password_->setEchoMode(QLineEdit::Password);
    password_->setPlaceholderText(tr("only with USER@ in the address; not kept"));
    keyFile_->setObjectName(QStringLiteral("watchKeyFile"));
    keyFile_->setPlaceholderText(tr("empty: unsigned messages count"));
    keyFile_->setText(readWatchKeyFile(settings));

    auto* keyRow = new QWidget(this);
    auto* keyLayout = new QHBoxLayout(keyRow);
    keyLayout->setContentsMargins(0, 0, 0, 0);
    keyFile_->setParent(keyRow);
    auto* browse = new QPushButton(tr("Browse…"), keyRow);
    browse->setObjectName(QStringLiteral("watchKeyFileBrowse"));
    keyLayout->addWidget(keyFile_, 1);
    keyLayout->addWidget(browse);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString file = askOpenFile_ ? askOpenFile_(this, windowTitle())
                                          : QFileDialog::getOpenFileName(this, windowTitle());
        if (!file.isEmpty()) {
            keyFile_->setText(file);
        }
    });

    auto* form = new QFormLayout;
    form->addRow(tr("Address:"), address_);
    form->addRow(tr("Password:"), password_);
    form->addRow(tr("Key file:"), keyRow);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("watchButtons"));
    buttons->button(QDialogButtonBox::Ok)->setText(tr("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
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
        QMessageBox::critical(parent, QStringLiteral("Cellwatch"), QString::fromUtf8(e.what()));
    }
}

}  // namespace cellwatch
