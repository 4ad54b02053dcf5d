#include "app/share_dialog.h"

#include <qrencode.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkInterface>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "net/web_server.h"

namespace cellwatch {

namespace {

constexpr ShareChoice::Scope kScopeOrder[] = {
    ShareChoice::Scope::LocalNetwork, ShareChoice::Scope::ThisComputer,
    ShareChoice::Scope::AllInterfaces, ShareChoice::Scope::Named};

}  // namespace

QHostAddress localNetworkAddress() {
    for (const QNetworkInterface& i : QNetworkInterface::allInterfaces()) {
        const auto flags = i.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) ||
            !flags.testFlag(QNetworkInterface::IsRunning) ||
            flags.testFlag(QNetworkInterface::IsLoopBack)) {
            continue;
        }
        for (const QNetworkAddressEntry& entry : i.addressEntries()) {
            const QHostAddress a = entry.ip();
            if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback()) {
                return a;
            }
        }
    }
    return {};
}

QHostAddress shareListenAddress(const ShareChoice& choice) {
    switch (choice.scope) {
        case ShareChoice::Scope::LocalNetwork: {
            const QHostAddress network = localNetworkAddress();
            return network.isNull() ? QHostAddress(QHostAddress::LocalHost) : network;
        }
        case ShareChoice::Scope::ThisComputer:
            return QHostAddress(QHostAddress::LocalHost);
        case ShareChoice::Scope::AllInterfaces:
            return QHostAddress(QHostAddress::Any);
        case ShareChoice::Scope::Named:
            break;
    }
    QHostAddress named;
    return named.setAddress(choice.named.trimmed()) ? named : QHostAddress();
}

QImage qrCodeImage(const QString& text, int scale) {
    const QByteArray bytes = text.toUtf8();
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString8bit(bytes.constData(), 0, QR_ECLEVEL_M), &QRcode_free);
    if (!code || scale < 1) {
        return {};
    }
    constexpr int kQuiet = 4;
    const int side = (code->width + 2 * kQuiet) * scale;
    QImage image(side, side, QImage::Format_Grayscale8);
    image.fill(255);
    for (int y = 0; y < code->width; ++y) {
        for (int x = 0; x < code->width; ++x) {
            if ((code->data[y * code->width + x] & 1) == 0) {
                continue;
            }
            for (int dy = 0; dy < scale; ++dy) {
                uchar* line = image.scanLine((y + kQuiet) * scale + dy);
                for (int dx = 0; dx < scale; ++dx) {
                    line[(x + kQuiet) * scale + dx] = 0;
                }
            }
        }
    }
    return image;
}

ShareDialog::ShareDialog(net::WebServer& server, const ShareChoice& given, QWidget* parent)
    : QDialog(parent), server_(server), network_(localNetworkAddress()) {
    on_ = new QCheckBox(this);
    scope_ = new QComboBox(this);
    for (const ShareChoice::Scope scope : kScopeOrder) {
        scope_->addItem(QString(), static_cast<int>(scope));
    }
    named_ = new QLineEdit(this);
    for (const QHostAddress& a : QNetworkInterface::allAddresses()) {
        if (!a.isLoopback() && a.protocol() == QAbstractSocket::IPv4Protocol) {
            named_->setPlaceholderText(a.toString());  // one of this computer's
        }
    }
    port_ = new QSpinBox(this);
    port_->setRange(1, 65535);
    address_ = new QLabel(this);
    address_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    address_->setWordWrap(true);
    code_ = new QLabel(this);
    code_->setAlignment(Qt::AlignCenter);
    noCode_ = new QLabel(this);
    noCode_->setWordWrap(true);
    noCode_->hide();
    note_ = new QLabel(this);
    note_->setWordWrap(true);
    renew_ = new QPushButton(this);

    form_ = new QFormLayout;
    form_->addRow(QStringLiteral("-"), scope_);
    form_->addRow(QString(), named_);
    form_->addRow(QStringLiteral("-"), port_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->addButton(renew_, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(on_);
    layout->addLayout(form_);
    layout->addWidget(address_);
    layout->addWidget(code_);
    layout->addWidget(noCode_);
    layout->addWidget(note_);
    layout->addWidget(buttons);

    on_->setChecked(given.on);
    scope_->setCurrentIndex(std::max(0, scope_->findData(static_cast<int>(given.scope))));
    named_->setText(given.named);
    port_->setValue(given.port);
    named_->setEnabled(given.scope == ShareChoice::Scope::Named);

    connect(on_, &QCheckBox::toggled, this, &ShareDialog::apply);
    connect(scope_, &QComboBox::currentIndexChanged, this, [this] {
        named_->setEnabled(choice().scope == ShareChoice::Scope::Named);
        apply();
    });
    connect(named_, &QLineEdit::editingFinished, this, &ShareDialog::apply);
    connect(port_, &QSpinBox::editingFinished, this, &ShareDialog::apply);
    connect(renew_, &QPushButton::clicked, this, [this] {
        server_.renewToken();
        showAddress();
    });
    retranslate();
    apply();
}

void ShareDialog::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
        showAddress();
    }
    QDialog::changeEvent(event);
}

void ShareDialog::retranslate() {
    setWindowTitle(tr("Share on the local network"));
    on_->setText(tr("Share a live page (read-only)"));
    for (int i = 0; i < scope_->count(); ++i) {
        QString text;
        switch (static_cast<ShareChoice::Scope>(scope_->itemData(i).toInt())) {
            case ShareChoice::Scope::LocalNetwork:
                //: %1 this computer's address on the local network
                text = network_.isNull() ? tr("The local network (none: this computer only)")
                                         : tr("The local network (%1)").arg(network_.toString());
                break;
            case ShareChoice::Scope::ThisComputer:
                text = tr("This computer only (127.0.0.1)");
                break;
            case ShareChoice::Scope::AllInterfaces:
                text = tr("All interfaces");
                break;
            case ShareChoice::Scope::Named:
                text = tr("A named address");
                break;
        }
        scope_->setItemText(i, text);
    }
    if (auto* label = qobject_cast<QLabel*>(form_->labelForField(scope_))) {
        label->setText(tr("Address:"));
    }
    if (auto* label = qobject_cast<QLabel*>(form_->labelForField(port_))) {
        label->setText(tr("Port:"));
    }
    note_->setText(
        tr("Anyone holding this address can look. A new address makes the old one stop working."));
    renew_->setText(tr("New address"));
}

ShareChoice ShareDialog::choice() const {
    ShareChoice c;
    c.on = on_->isChecked();
    c.scope = static_cast<ShareChoice::Scope>(scope_->currentData().toInt());
    c.named = named_->text().trimmed();
    c.port = static_cast<quint16>(port_->value());
    return c;
}

void ShareDialog::apply() {
    const ShareChoice c = choice();
    failure_.clear();
    const QHostAddress address = shareListenAddress(c);
    const bool same =
        server_.listening() && server_.address() == address && server_.port() == c.port;
    if (!c.on) {
        server_.close();
    } else if (address.isNull()) {
        server_.close();
        failure_ = tr("'%1' is no IP address").arg(c.named);
    } else if (!same) {
        failure_ = server_.listen(address, c.port);
    }
    showAddress();
    emit choiceChanged(c);
}

void ShareDialog::showAddress() {
    const ShareChoice c = choice();
    const bool served = c.on && server_.listening();
    renew_->setEnabled(served);
    noCode_->hide();
    if (!served) {
        address_->setText(failure_.isEmpty() ? tr("Not shared.") : failure_);
        code_->clear();
        return;
    }
    QString host;
    if (c.scope == ShareChoice::Scope::AllInterfaces) {
        for (const QHostAddress& a : QNetworkInterface::allAddresses()) {
            if (!a.isLoopback() && a.protocol() == QAbstractSocket::IPv4Protocol) {
                host = a.toString();
                break;
            }
        }
    }
    const QString url = server_.pageUrl(host);
    address_->setText(url);
    // A phone cannot open a loopback address: no code for it, but why.
    const QHostAddress shown(QUrl(url).host());
    if (shown.isLoopback()) {
        code_->clear();
        //: %1 the loopback address served on
        noCode_->setText(tr("No QR code: %1 opens on this computer only, a phone cannot reach "
                            "it. Choose the local network's address.")
                             .arg(shown.toString()));
        noCode_->show();
        return;
    }
    code_->setPixmap(QPixmap::fromImage(qrCodeImage(url, 4)));
}

}  // namespace cellwatch
