// View > Share on the local network…: the phone page's server for the
// window's session. Off until the user turns it on; then on this computer's
// address on the local network (the first interface up that is no loopback)
// unless the user picks this computer only (127.0.0.1), every interface or
// names an address of this computer. Shows the page's address as text and,
// where a phone can reach it, as a QR code (on a loopback address a line
// says why there is none), and makes a new address on request (the old one
// stops working at once).
#pragma once

#include <QDialog>
#include <QHostAddress>
#include <QImage>
#include <QString>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace cellwatch {

namespace net {
class WebServer;
}

// What is shared where (kept in the settings by the window).
struct ShareChoice {
    enum class Scope { ThisComputer, AllInterfaces, Named, LocalNetwork };
    bool on = false;
    Scope scope = Scope::LocalNetwork;
    QString named;  // with Scope::Named: an address of this computer
    quint16 port = 8080;
    bool operator==(const ShareChoice&) const = default;
};

// This computer's address on the local network: the first IPv4 address of
// an interface that is up and running and no loopback; null when none is.
QHostAddress localNetworkAddress();

// The address a choice listens on (null for a named text that is no
// address; 127.0.0.1 for the local network when this computer is on none).
QHostAddress shareListenAddress(const ShareChoice& choice);

// `text` as a QR code: black modules on white with a quiet zone of four
// modules, `scale` pixels a module. A null image when it cannot be encoded.
QImage qrCodeImage(const QString& text, int scale);

class ShareDialog final : public QDialog {
    Q_OBJECT
public:
    // The dialog starts, stops and moves `server` as the user chooses; it
    // stays the caller's.
    ShareDialog(net::WebServer& server, const ShareChoice& given, QWidget* parent = nullptr);

    ShareChoice choice() const;
    // Why the last choice could not be served; empty when it is served or off.
    QString failure() const { return failure_; }

    QCheckBox& onBox() const { return *on_; }
    QComboBox& scopeBox() const { return *scope_; }
    QLineEdit& namedField() const { return *named_; }
    QSpinBox& portBox() const { return *port_; }
    QLabel& addressLabel() const { return *address_; }
    QLabel& codeLabel() const { return *code_; }
    // Why no QR code is shown for a served page; hidden while one is.
    QLabel& noCodeLabel() const { return *noCode_; }
    QPushButton& newAddressButton() const { return *renew_; }

signals:
    void choiceChanged(const cellwatch::ShareChoice& choice);

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    // Serves (or stops serving) what is chosen now, and shows where.
    void apply();
    void showAddress();

    net::WebServer& server_;
    QHostAddress network_;  // this computer's on the local network, as the dialog opened
    QString failure_;
    QCheckBox* on_ = nullptr;
    QComboBox* scope_ = nullptr;
    QLineEdit* named_ = nullptr;
    QSpinBox* port_ = nullptr;
    QLabel* address_ = nullptr;
    QLabel* code_ = nullptr;
    QLabel* noCode_ = nullptr;
    QLabel* note_ = nullptr;
    QFormLayout* form_ = nullptr;
    QPushButton* renew_ = nullptr;
};

}  // namespace cellwatch
