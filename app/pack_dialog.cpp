#include "app/pack_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>
#include <algorithm>

#include "app/captions.h"

namespace cellwatch {
namespace {

// A plain text box that never holds more than a limit of characters. What
// would go past it is cut before it reaches the document: a paste or a drop
// of megabytes costs no more than one of the limit (laying out a long text
// is what takes the time), and typing stops at the limit.
class BoundedTextEdit final : public QPlainTextEdit {
public:
    BoundedTextEdit(qsizetype limit, QWidget* parent) : QPlainTextEdit(parent), limit_(limit) {
        // Whatever else puts text in (an undo, a program's insertText) is
        // cut back afterwards.
        connect(this, &QPlainTextEdit::textChanged, this, [this] {
            if (length() > limit_) {
                QTextCursor cursor(document());
                cursor.setPosition(static_cast<int>(limit_));
                cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
                cursor.removeSelectedText();
            }
        });
    }

protected:
    void insertFromMimeData(const QMimeData* source) override {
        if (source == nullptr || !source->hasText()) {
            return;
        }
        insertText(source->text());
    }

    void keyPressEvent(QKeyEvent* event) override {
        const QString text = event->text();
        const bool typed = !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
            return c.isPrint() || c == u'\r' || c == u'\n';
        });
        if (typed && !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) &&
            text.size() > room()) {
            insertText(text);
            event->accept();
            return;
        }
        QPlainTextEdit::keyPressEvent(event);
    }

    void inputMethodEvent(QInputMethodEvent* event) override {
        const QString commit = event->commitString();
        if (commit.size() <= room()) {
            QPlainTextEdit::inputMethodEvent(event);
            return;
        }
        QInputMethodEvent cut(event->preeditString(), event->attributes());
        cut.setCommitString(cutToLength(commit, room()), event->replacementStart(),
                            event->replacementLength());
        QPlainTextEdit::inputMethodEvent(&cut);
    }

private:
    qsizetype length() const { return document()->characterCount() - 1; }
    // What may still go in, in place of the selection.
    qsizetype room() const {
        return std::max<qsizetype>(0, limit_ - (length() - textCursor().selectedText().size()));
    }
    // Puts `text` in place of the selection, as much of it as there is room for.
    void insertText(QString text) {
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
        textCursor().insertText(cutToLength(text, room()));
        ensureCursorVisible();
    }

    qsizetype limit_;
};

}  // namespace

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
    name_->lineEdit()->setMaxLength(static_cast<int>(kPackNameLimit));
    name_->lineEdit()->setPlaceholderText(kPackNone.pick(chinese));
    note_ = new BoundedTextEdit(kPackNoteLimit, this);
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
    name_->setEditText(normalizedPackName(info.pack));
    note_->setPlainText(cutToLength(info.note, kPackNoteLimit));
}

}  // namespace cellwatch
