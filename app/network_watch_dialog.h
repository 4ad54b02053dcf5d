// View > Watch a charger…: the watcher's connect dialog. It asks for the
// charger's address (mqtt[s]://[USER@]HOST[:PORT]/NAME), the broker's
// password when the address names a user (never kept) and the charger's key
// file, then opens the charger in a window of its own (app/network_watch.h).
//
// The address and the key file are kept in the settings (section "Network",
// "WatchAddress" and "WatchKeyFile"). Every watch takes the key from there,
// however it is opened (this dialog, an address in the port box, the network
// list, --port at start-up): only messages signed with it count, the others
// are dropped and said in the window's status band, as cellwatch-log
// --key-file does. Empty: unsigned messages count.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>

class QDialogButtonBox;
class QFormLayout;
class QLineEdit;
class QPushButton;

namespace cellwatch {

class NetworkWatch;
class Settings;

QString readWatchKeyFile(const Settings& settings);
void writeWatchKeyFile(Settings& settings, const QString& path);

class WatchConnectDialog final : public QDialog {
    Q_OBJECT
public:
    // Asks for a file to read: "" when cancelled.
    using AskOpenFile = std::function<QString(QWidget* parent, const QString& title)>;

    // Filled from the settings.
    WatchConnectDialog(const Settings& settings, AskOpenFile askOpenFile = {},
                       QWidget* parent = nullptr);

    QLineEdit& addressField() const { return *address_; }
    QLineEdit& passwordField() const { return *password_; }
    QLineEdit& keyFileField() const { return *keyFile_; }

    // Keeps the address and the key file in the settings.
    void keep(Settings& settings) const;
    // Opens the watch the dialog tells (throws what NetworkWatch throws).
    NetworkWatch* openWatch(Settings& settings, QWidget* parent) const;

    // Shows the dialog over `parent`; accepted, keeps the choice and opens
    // the watch. A failure is shown in a message box.
    static void showFor(Settings& settings, QWidget* parent);

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();

    QLineEdit* address_;
    QLineEdit* password_;
    QLineEdit* keyFile_;
    AskOpenFile askOpenFile_;
    QPushButton* browse_ = nullptr;
    QFormLayout* form_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
};

}  // namespace cellwatch
