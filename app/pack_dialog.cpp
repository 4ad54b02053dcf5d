#include "app/pack_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/captions.h"

namespace cellwatch {

PackDialog::PackDialog(const PackInfo& given, const QStringList& knownNames, bool forRecording,
                       bool chinese, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("packDialog"));
    setWindowTitle(kPackTitle.pick(chinese));
    auto* explain =
        new QLabel((forRecording ? kPackForRecording : kPackForFollowing).pick(chinese), this);
    explain->setWordWrap(true);

    name_ = new QComboBox(this);
    name_->setObjectName(QStringLiteral("packName"));
    name_->setEditable(true);
    name_->setInsertPolicy(QComboBox::NoInsert);
    name_->addItems(knownNames);
    name_->lineEdit()->setMaxLength(80);
    name_->lineEdit()->setPlaceholderText(kPackNone.pick(chinese));
    note_ = new QPlainTextEdit(this);
    note_->setObjectName(QStringLiteral("packNote"));
    note_->setTabChangesFocus(true);
    note_->setMaximumHeight(90);

    auto* form = new QFormLayout;
    form->addRow(kPackNameLabel.pick(chinese), name_);
    form->addRow(kPackNoteLabel.pick(chinese), note_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("packButtons"));
    setButtonCaptions(*buttons, chinese);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(explain);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setInfo(given);
}

PackInfo PackDialog::info() const {
    return {normalizedPackName(name_->currentText()), note_->toPlainText().trimmed()};
}

void PackDialog::setInfo(const PackInfo& info) {
    name_->setEditText(info.pack);
    note_->setPlainText(info.note);
}

}  // namespace cellwatch
