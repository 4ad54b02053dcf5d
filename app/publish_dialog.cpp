#include "app/publish_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/captions.h"
#include "app/settings.h"

namespace cellwatch {

PublishChoice readPublishChoice(const Settings& settings) {
    PublishChoice c;
    c.on = settings.on(Flag::PublishOn);
    c.address = settings.text(Text::PublishAddress);
    c.passwordFile = settings.text(Text::PublishPasswordFile);
    c.caFile = settings.text(Text::PublishCaFile);
    c.keyFile = settings.text(Text::PublishKeyFile);
    c.discovery = settings.on(Flag::PublishDiscovery);
    return c;
}

void writePublishChoice(Settings& settings, const PublishChoice& c) {
    settings.setText(Text::PublishAddress, c.address);
    settings.setText(Text::PublishPasswordFile, c.passwordFile);
    settings.setText(Text::PublishCaFile, c.caFile);
    settings.setText(Text::PublishKeyFile, c.keyFile);
    settings.setOn(Flag::PublishDiscovery, c.discovery);
    settings.setOn(Flag::PublishOn, c.on);
}

PublishDialog::PublishDialog(const PublishChoice& given, AskOpenFile askOpenFile, QWidget* parent)
    : QDialog(parent), askOpenFile_(std::move(askOpenFile)) {
    setObjectName(QStringLiteral("publishDialog"));
    setWindowTitle(tr("Publish on the network"));

    on_ = new QCheckBox(tr("Publish this charger"), this);
    on_->setObjectName(QStringLiteral("publishOn"));
    on_->setChecked(given.on);
    address_ = new QLineEdit(given.address, this);
    address_->setObjectName(QStringLiteral("publishAddress"));
    address_->setPlaceholderText(tr("mqtt://[USER@]HOST[:PORT]/NAME or mqtts://…"));
    address_->setMinimumWidth(360);
    password_ = new QLineEdit(this);
    password_->setObjectName(QStringLiteral("publishPassword"));
    password_->setEchoMode(QLineEdit::Password);
    password_->setPlaceholderText(tr("not kept; unused with a password file"));
    discovery_ = new QCheckBox(tr("Home Assistant discovery"), this);
    discovery_->setObjectName(QStringLiteral("publishDiscovery"));
    discovery_->setChecked(given.discovery);

    auto* form = new QFormLayout;
    form->addRow(tr("Address:"), address_);
    form->addRow(tr("Password:"), password_);
    form->addRow(tr("Password file:"), fileRow(passwordFile_, "publishPasswordFile", QString()));
    form->addRow(tr("CA file (mqtts):"),
                 fileRow(caFile_, "publishCaFile", tr("empty: the system's authorities")));
    form->addRow(tr("Key file:"), fileRow(keyFile_, "publishKeyFile", tr("empty: unsigned")));
    passwordFile_->setText(given.passwordFile);
    caFile_->setText(given.caFile);
    keyFile_->setText(given.keyFile);
    // A password file wins over a typed password.
    const auto passwordFromFile = [this] {
        password_->setEnabled(passwordFile_->text().isEmpty());
    };
    connect(passwordFile_, &QLineEdit::textChanged, this, passwordFromFile);
    passwordFromFile();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("publishButtons"));
    buttons->button(QDialogButtonBox::Ok)->setText(tr("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(on_);
    layout->addLayout(form);
    layout->addWidget(discovery_);
    layout->addWidget(buttons);
}

QWidget* PublishDialog::fileRow(QLineEdit*& field, const char* name, const QString& hint) {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    field = new QLineEdit(row);
    field->setObjectName(QString::fromLatin1(name));
    field->setPlaceholderText(hint);
    auto* browse = new QPushButton(tr("Browse…"), row);
    browse->setObjectName(QString::fromLatin1(name) + QStringLiteral("Browse"));
    layout->addWidget(field, 1);
    layout->addWidget(browse);
    QLineEdit* edit = field;
    connect(browse, &QPushButton::clicked, this, [this, edit] {
        if (!askOpenFile_) {
            return;
        }
        const QString folder =
            edit->text().isEmpty() ? QString() : QFileInfo(edit->text()).absolutePath();
        const QString file = askOpenFile_(this, windowTitle(), folder, {});
        if (!file.isEmpty()) {
            edit->setText(file);
        }
    });
    return row;
}

PublishChoice PublishDialog::choice() const {
    PublishChoice c;
    c.on = on_->isChecked();
    c.address = address_->text().trimmed();
    c.passwordFile = passwordFile_->text().trimmed();
    c.caFile = caFile_->text().trimmed();
    c.keyFile = keyFile_->text().trimmed();
    c.discovery = discovery_->isChecked();
    return c;
}

QString PublishDialog::password() const {
    return passwordFile_->text().trimmed().isEmpty() ? password_->text() : QString();
}

}  // namespace cellwatch
