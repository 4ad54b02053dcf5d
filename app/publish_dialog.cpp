#include "app/publish_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
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

    on_ = new QCheckBox(this);
    on_->setObjectName(QStringLiteral("publishOn"));
    on_->setChecked(given.on);
    address_ = new QLineEdit(given.address, this);
    address_->setObjectName(QStringLiteral("publishAddress"));
    address_->setMinimumWidth(360);
    password_ = new QLineEdit(this);
    password_->setObjectName(QStringLiteral("publishPassword"));
    password_->setEchoMode(QLineEdit::Password);
    discovery_ = new QCheckBox(this);
    discovery_->setObjectName(QStringLiteral("publishDiscovery"));
    discovery_->setChecked(given.discovery);

    form_ = new QFormLayout;
    form_->addRow(QStringLiteral("-"), address_);  // (the rows are named in retranslate)
    form_->addRow(QStringLiteral("-"), password_);
    form_->addRow(QStringLiteral("-"), fileRow(passwordFile_, "publishPasswordFile"));
    form_->addRow(QStringLiteral("-"), fileRow(caFile_, "publishCaFile"));
    form_->addRow(QStringLiteral("-"), fileRow(keyFile_, "publishKeyFile"));
    passwordFile_->setText(given.passwordFile);
    caFile_->setText(given.caFile);
    keyFile_->setText(given.keyFile);
    // A password file wins over a typed password.
    const auto passwordFromFile = [this] {
        password_->setEnabled(passwordFile_->text().isEmpty());
    };
    connect(passwordFile_, &QLineEdit::textChanged, this, passwordFromFile);
    passwordFromFile();

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons_->setObjectName(QStringLiteral("publishButtons"));
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(on_);
    layout->addLayout(form_);
    layout->addWidget(discovery_);
    layout->addWidget(buttons_);
    retranslate();
}

void PublishDialog::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
    }
    QDialog::changeEvent(event);
}

void PublishDialog::retranslate() {
    setWindowTitle(tr("Publish on the network"));
    on_->setText(tr("Publish this charger"));
    address_->setPlaceholderText(tr("mqtt://[USER@]HOST[:PORT]/NAME or mqtts://…"));
    password_->setPlaceholderText(tr("not kept; unused with a password file"));
    discovery_->setText(tr("Home Assistant discovery"));
    caFile_->setPlaceholderText(tr("empty: the system's authorities"));
    keyFile_->setPlaceholderText(tr("empty: unsigned"));
    const QString names[] = {tr("Address:"), tr("Password:"), tr("Password file:"),
                             tr("CA file (mqtts):"), tr("Key file:")};
    for (int row = 0; row < form_->rowCount(); ++row) {
        if (auto* label =
                qobject_cast<QLabel*>(form_->itemAt(row, QFormLayout::LabelRole)->widget())) {
            label->setText(names[row]);
        }
    }
    for (QPushButton* browse : browse_) {
        browse->setText(tr("Browse…"));
    }
    buttons_->button(QDialogButtonBox::Ok)->setText(tr("OK"));
    buttons_->button(QDialogButtonBox::Cancel)->setText(tr("Cancel"));
}

QWidget* PublishDialog::fileRow(QLineEdit*& field, const char* name) {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    field = new QLineEdit(row);
    field->setObjectName(QString::fromLatin1(name));
    auto* browse = new QPushButton(row);
    browse_.push_back(browse);
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
