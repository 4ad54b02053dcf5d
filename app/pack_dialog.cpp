#include "app/pack_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTextCursor>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "alarms/chemistry_limits.h"

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

// A limit as the box shows it: "" for none (0), else its shortest figure.
QString limitText(double volts) {
    return volts > 0 ? QString::number(volts, 'g', 10) : QString();
}

// What a limit box holds: 0 when empty; none when it is no number. A comma
// is taken for the decimal point, a trailing "V" is allowed.
std::optional<double> limitOfText(QString text) {
    text = text.trimmed();
    if (text.endsWith(u'V') || text.endsWith(u'v')) {
        text.chop(1);
        text = text.trimmed();
    }
    if (text.isEmpty()) {
        return 0.0;
    }
    text.replace(u',', u'.');
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v)) {
        return std::nullopt;
    }
    return v;
}

QString voltsText(double v) {
    return QString::number(v, 'f', 2);
}

}  // namespace

PackDialog::PackDialog(const PackInfo& given, const QStringList& knownNames, bool forRecording,
                       QWidget* parent, PackLookup lookup)
    : QDialog(parent), forRecording_(forRecording), lookup_(std::move(lookup)) {
    setObjectName(QStringLiteral("packDialog"));
    explain_ = new QLabel(this);
    explain_->setWordWrap(true);

    name_ = new QComboBox(this);
    name_->setObjectName(QStringLiteral("packName"));
    name_->setEditable(true);
    name_->setInsertPolicy(QComboBox::NoInsert);
    name_->addItems(knownNames);
    name_->lineEdit()->setMaxLength(static_cast<int>(kPackNameLimit));
    note_ = new BoundedTextEdit(kPackNoteLimit, this);
    note_->setObjectName(QStringLiteral("packNote"));
    note_->setTabChangesFocus(true);
    note_->setMaximumHeight(90);

    chemistry_ = new QComboBox(this);
    chemistry_->setObjectName(QStringLiteral("packChemistry"));
    for (int c = 0; c < kPackChemistryCount; ++c) {
        const auto chemistry = static_cast<PackChemistry>(c);
        chemistry_->addItem(chemistryName(chemistry), c);
    }
    cells_ = new QSpinBox(this);
    cells_->setObjectName(QStringLiteral("packCells"));
    cells_->setRange(0, kPackMaxCells);
    cells_->setSuffix(QStringLiteral(" S"));
    capacity_ = new QSpinBox(this);
    capacity_->setObjectName(QStringLiteral("packCapacity"));
    capacity_->setRange(0, 1'000'000);
    capacity_->setSingleStep(100);
    capacity_->setSuffix(QStringLiteral(" mAh"));
    cellHigh_ = new QLineEdit(this);
    cellHigh_->setObjectName(QStringLiteral("packCellHigh"));
    cellLow_ = new QLineEdit(this);
    cellLow_->setObjectName(QStringLiteral("packCellLow"));
    leftOut_ = new QCheckBox(this);
    leftOut_->setObjectName(QStringLiteral("packLeftOut"));
    problem_ = new QLabel(this);
    problem_->setObjectName(QStringLiteral("packProblem"));
    problem_->setWordWrap(true);
    problem_->setStyleSheet(QStringLiteral("color: #b00020"));
    problem_->hide();

    form_ = new QFormLayout;
    for (QWidget* field : std::initializer_list<QWidget*>{name_, note_, chemistry_, cells_,
                                                          capacity_, cellHigh_, cellLow_}) {
        form_->addRow(QStringLiteral("-"), field);  // (named in retranslate)
    }
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons_->setObjectName(QStringLiteral("packButtons"));
    connect(buttons_, &QDialogButtonBox::accepted, this, &PackDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(explain_);
    layout->addLayout(form_);
    layout->addWidget(leftOut_);
    layout->addWidget(problem_);
    layout->addWidget(buttons_);
    retranslate();
    setInfo(given);

    connect(chemistry_, &QComboBox::currentIndexChanged, this, [this] { showChemistryLimits(); });
    // A known name, chosen from the list or typed, brings what that pack is.
    connect(name_, &QComboBox::currentTextChanged, this,
            [this](const QString& name) { fillFromKnown(name); });
    for (QLineEdit* box : {cellHigh_, cellLow_}) {
        connect(box, &QLineEdit::textEdited, problem_, &QWidget::hide);
    }
}

void PackDialog::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
    }
    QDialog::changeEvent(event);
}

void PackDialog::retranslate() {
    setWindowTitle(tr("Pack"));
    explain_->setText(forRecording_ ? tr("The pack and a note for this recording.")
                                    : tr("The pack of the present and the following recordings "
                                         "(kept until changed)."));
    name_->lineEdit()->setPlaceholderText(tr("(no pack)"));
    chemistry_->setItemText(chemistry_->findData(static_cast<int>(PackChemistry::Unknown)),
                            tr("(not known)"));
    cells_->setSpecialValueText(tr("not known"));
    capacity_->setSpecialValueText(tr("not known"));
    leftOut_->setText(forRecording_ ? tr("Leave this recording out of the pack's history")
                                    : tr("Leave the present recording out of the pack's history"));
    const std::pair<QWidget*, QString> labels[] = {
        {name_, tr("Pack name:")},
        {note_, tr("Note:")},
        {chemistry_, tr("Chemistry:")},
        {cells_, tr("Cells:")},
        {capacity_, tr("Nominal capacity:")},
        {cellHigh_, tr("Cell high alarm (V):")},
        {cellLow_, tr("Cell low alarm (V):")},
    };
    for (const auto& [field, text] : labels) {
        if (auto* label = qobject_cast<QLabel*>(form_->labelForField(field))) {
            label->setText(text);
        }
    }
    buttons_->button(QDialogButtonBox::Ok)->setText(tr("OK"));
    buttons_->button(QDialogButtonBox::Cancel)->setText(tr("Cancel"));
    showChemistryLimits();
    if (!problem_->isHidden()) {
        problem_->setText(problem());
    }
}

PackChemistry PackDialog::chemistry() const {
    return static_cast<PackChemistry>(chemistry_->currentData().toInt());
}

PackInfo PackDialog::info() const {
    PackInfo info{normalizedPackName(name_->currentText()), note_->toPlainText().trimmed()};
    info.chemistry = chemistry();
    info.cells = cells_->value();
    info.capacityMah = capacity_->value();
    const auto limit = [](const QLineEdit* box) {
        const std::optional<double> v = limitOfText(box->text());
        return v && *v >= kPackLimitLowestV && *v <= kPackLimitHighestV ? *v : 0.0;
    };
    info.cellHighV = limit(cellHigh_);
    info.cellLowV = limit(cellLow_);
    info.leftOut = leftOut_->isChecked();
    return info;
}

void PackDialog::setInfo(const PackInfo& info) {
    name_->blockSignals(true);
    name_->setEditText(normalizedPackName(info.pack));
    name_->blockSignals(false);
    note_->setPlainText(cutToLength(info.note, kPackNoteLimit));
    chemistry_->setCurrentIndex(
        std::max(0, chemistry_->findData(static_cast<int>(info.chemistry))));
    cells_->setValue(info.cells);
    capacity_->setValue(static_cast<int>(std::lround(info.capacityMah)));
    cellHigh_->setText(limitText(info.cellHighV));
    cellLow_->setText(limitText(info.cellLowV));
    leftOut_->setChecked(info.leftOut);
    showChemistryLimits();
}

void PackDialog::showChemistryLimits() {
    const PackChemistry c = chemistry();
    const alarms::ChemistryLimits limits = alarms::chemistryLimits(c);
    const auto hint = [&](double volts) {
        //: %1 the chemistry's limit in volts, %2 the chemistry ("LiPo")
        return volts > 0 ? tr("%1 (the %2 default)").arg(voltsText(volts), chemistryName(c))
                         : tr("(as in the alarm settings)");
    };
    cellHigh_->setPlaceholderText(hint(limits.cellHighV));
    cellLow_->setPlaceholderText(hint(limits.cellLowV));
}

void PackDialog::fillFromKnown(const QString& name) {
    const QString wanted = normalizedPackName(name);
    if (!lookup_ || wanted.isEmpty()) {
        return;
    }
    const std::optional<PackInfo> known = lookup_(wanted);
    if (!known) {
        return;  // a new pack: what the boxes hold stays, to be changed
    }
    chemistry_->setCurrentIndex(
        std::max(0, chemistry_->findData(static_cast<int>(known->chemistry))));
    cells_->setValue(known->cells);
    capacity_->setValue(static_cast<int>(std::lround(known->capacityMah)));
    cellHigh_->setText(limitText(known->cellHighV));
    cellLow_->setText(limitText(known->cellLowV));
    problem_->hide();
}

QString PackDialog::problem() const {
    const struct {
        const QLineEdit* box;
        QString name;
    } boxes[] = {{cellHigh_, tr("Cell high")}, {cellLow_, tr("Cell low")}};
    for (const auto& b : boxes) {
        const std::optional<double> v = limitOfText(b.box->text());
        if (!v) {
            //: %1 the limit's name ("Cell high")
            return tr("%1 is no number: give 0.5 to 5 V, or leave it empty").arg(b.name);
        }
        if (*v != 0 && (*v < kPackLimitLowestV || *v > kPackLimitHighestV)) {
            return tr("%1 must be from 0.5 to 5 V (empty: the chemistry's)").arg(b.name);
        }
    }
    // Low below high, each the pack's own or else its chemistry's.
    const alarms::ChemistryLimits limits = alarms::packLimits(info());
    if (limits.cellHighV > 0 && limits.cellLowV > 0 && limits.cellLowV >= limits.cellHighV) {
        return tr("Cell low (%1 V) must be below cell high (%2 V)")
            .arg(voltsText(limits.cellLowV), voltsText(limits.cellHighV));
    }
    return {};
}

void PackDialog::accept() {
    const QString why = problem();
    if (!why.isEmpty()) {
        problem_->setText(why);
        problem_->show();
        return;
    }
    QDialog::accept();
}

}  // namespace cellwatch
