// View > "Send to a database…": the time-series database every row and
// alarm of the window's charger also goes to (as cellwatch-log --influx
// sends them): its write address, the file to sign in with (chosen with a
// file dialog) and whether rows go at all. Kept in the settings (section
// "Database").
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>

class QCheckBox;
class QFormLayout;
class QLabel;
class QPushButton;
class QLineEdit;

namespace cellwatch {

class Settings;

struct DatabaseChoice {
    bool on = false;
    QString address;   // a write address (net/influx_target.h)
    QString authFile;  // empty: no sign-in
    bool operator==(const DatabaseChoice&) const = default;
};

DatabaseChoice readDatabaseChoice(const Settings& settings);
void writeDatabaseChoice(Settings& settings, const DatabaseChoice& choice);

class DatabaseDialog final : public QDialog {
    Q_OBJECT
public:
    using AskOpenFile = std::function<QString(QWidget* parent, const QString& title,
                                              const QString& folder, const QStringList& filters)>;

    DatabaseDialog(const DatabaseChoice& given, AskOpenFile askOpenFile, QWidget* parent = nullptr);

    DatabaseChoice choice() const;
    // OK keeps the dialog open, saying so, while the address is none.
    void accept() override;

    QCheckBox& onBox() const { return *on_; }
    QLineEdit& addressField() const { return *address_; }
    QLineEdit& authFileField() const { return *authFile_; }
    QLabel& problemLabel() const { return *problem_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    QString problemText() const;

    AskOpenFile askOpenFile_;
    QPushButton* browse_ = nullptr;
    QFormLayout* form_ = nullptr;
    QCheckBox* on_ = nullptr;
    QLineEdit* address_ = nullptr;
    QLineEdit* authFile_ = nullptr;
    QLabel* problem_ = nullptr;
};

}  // namespace cellwatch
