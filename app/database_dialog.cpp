#include "app/database_dialog.h"

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

#include "app/line_hint.h"
#include "app/settings.h"
#include "net/influx_target.h"

namespace cellwatch {
DatabaseChoice readDatabaseChoice(const Settings& settings) {
    return {settings.on(Flag::DatabaseOn), settings.text(Text::DatabaseAddress),
            settings.text(Text::DatabaseAuthFile)};
}

void writeDatabaseChoice(Settings& settings, const DatabaseChoice& c) {
    settings.setText(Text::DatabaseAddress, c.address);
    settings.setText(Text::DatabaseAuthFile, c.authFile);
    settings.setOn(Flag::DatabaseOn, c.on);
}

DatabaseDialog::DatabaseDialog(const DatabaseChoice& given, AskOpenFile askOpenFile,
                               QWidget* parent)
    : QDialog(parent), askOpenFile_(std::move(askOpenFile)) {
    setObjectName(QStringLiteral("databaseDialog"));
    on_ = new QCheckBox(this);
    on_->setObjectName(QStringLiteral("databaseOn"));
    on_->setChecked(given.on);
    address_ = new QLineEdit(given.address, this);
    address_->setObjectName(QStringLiteral("databaseAddress"));
    address_->setPlaceholderText(QStringLiteral("http://HOST:8086/write?db=NAME"));
    address_->setMinimumWidth(420);
    authFile_ = new QLineEdit(given.authFile, this);
    authFile_->setObjectName(QStringLiteral("databaseAuthFile"));
    browse_ = new QPushButton(this);
    browse_->setObjectName(QStringLiteral("databaseAuthFileBrowse"));
    connect(browse_, &QPushButton::clicked, this, [this] {
        if (!askOpenFile_) {
            return;
        }
        const QString text = authFile_->text().trimmed();
        const QString file = askOpenFile_(
            this, windowTitle(), text.isEmpty() ? QString() : QFileInfo(text).absolutePath(), {});
        if (!file.isEmpty()) {
            authFile_->setText(file);
        }
    });
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(authFile_, 1);
    fileRow->addWidget(browse_);
    problem_ = new QLabel(this);
    problem_->setObjectName(QStringLiteral("databaseProblem"));
    problem_->setWordWrap(true);
    problem_->setStyleSheet(QStringLiteral("QLabel { color: #b00000; }"));
    problem_->hide();

    form_ = new QFormLayout;
    form_->addRow(QStringLiteral("-"), address_);  // (the rows are named in retranslate)
    form_->addRow(QStringLiteral("-"), fileRow);
    auto* forms = new QLabel(QStringLiteral("http://HOST:8086/write?db=NAME\n"
                                            "http://HOST/api/v2/write?org=ORG&bucket=BUCKET"),
                             this);
    forms->setTextInteractionFlags(Qt::TextSelectableByMouse);
    forms->setEnabled(false);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("databaseButtons"));
    connect(buttons, &QDialogButtonBox::accepted, this, &DatabaseDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(on_);
    layout->addLayout(form_);
    layout->addWidget(forms);
    layout->addWidget(problem_);
    layout->addWidget(buttons);
    retranslate();
}

void DatabaseDialog::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
    }
    QDialog::changeEvent(event);
}

void DatabaseDialog::retranslate() {
    setWindowTitle(tr("Send to a database"));
    on_->setText(tr("Send every row and alarm to the database"));
    setWholeHint(*authFile_, tr("A token, or USER:PASSWORD, on its first line"));
    browse_->setText(tr("Browse…"));
    const QString names[] = {tr("Write address:"), tr("Sign-in file:")};
    for (int row = 0; row < form_->rowCount(); ++row) {
        if (auto* label =
                qobject_cast<QLabel*>(form_->itemAt(row, QFormLayout::LabelRole)->widget())) {
            label->setText(names[row]);
        }
    }
    problem_->setText(problemText());
}

QString DatabaseDialog::problemText() const {
    return tr(
        "This is no database write address: give one of the forms "
        "above (a sign-in goes in the file, never in the address).");
}

DatabaseChoice DatabaseDialog::choice() const {
    return {on_->isChecked(), address_->text().trimmed(), authFile_->text().trimmed()};
}

void DatabaseDialog::accept() {
    const DatabaseChoice c = choice();
    if (c.on || !c.address.isEmpty()) {
        try {
            net::parseInfluxAddress(c.address);
        } catch (const net::InfluxError&) {
            problem_->show();
            address_->setFocus();
            return;
        }
    }
    QDialog::accept();
}

}  // namespace cellwatch
