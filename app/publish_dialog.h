// View > Publish on the network…: where the window's charger is published,
// with the options cellwatch-log --publish takes (a password typed or read
// from a file, the authority for mqtts://, a key to sign with, Home
// Assistant discovery) and whether it is published at all. What is chosen,
// but for a typed password, is kept in the settings (section "Publish").
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class QCheckBox;
class QDialogButtonBox;
class QFormLayout;
class QLineEdit;
class QPushButton;

namespace cellwatch {

class Settings;

struct PublishChoice {
    bool on = false;
    QString address;  // mqtt[s]://[USER@]HOST[:PORT]/NAME
    QString passwordFile;
    QString caFile;
    QString keyFile;
    bool discovery = false;
    bool operator==(const PublishChoice&) const = default;
};

PublishChoice readPublishChoice(const Settings& settings);
void writePublishChoice(Settings& settings, const PublishChoice& choice);

class PublishDialog final : public QDialog {
    Q_OBJECT
public:
    // Asks for a file to read (the window's open dialog): "" when cancelled.
    using AskOpenFile = std::function<QString(QWidget* parent, const QString& title,
                                              const QString& folder, const QStringList& filters)>;

    PublishDialog(const PublishChoice& given, AskOpenFile askOpenFile, QWidget* parent = nullptr);

    PublishChoice choice() const;
    // The password typed; "" for none.
    QString password() const;

    QCheckBox& onBox() const { return *on_; }
    QLineEdit& addressField() const { return *address_; }
    QLineEdit& passwordField() const { return *password_; }
    QLineEdit& passwordFileField() const { return *passwordFile_; }
    QLineEdit& caFileField() const { return *caFile_; }
    QLineEdit& keyFileField() const { return *keyFile_; }
    QCheckBox& discoveryBox() const { return *discovery_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    // A file field with a Browse… button beside it.
    QWidget* fileRow(QLineEdit*& field, const char* name);
    void retranslate();

    AskOpenFile askOpenFile_;
    QCheckBox* on_ = nullptr;
    QLineEdit* address_ = nullptr;
    QLineEdit* password_ = nullptr;
    QLineEdit* passwordFile_ = nullptr;
    QLineEdit* caFile_ = nullptr;
    QLineEdit* keyFile_ = nullptr;
    QCheckBox* discovery_ = nullptr;
    QFormLayout* form_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
    std::vector<QPushButton*> browse_;
};

}  // namespace cellwatch
