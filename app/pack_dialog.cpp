#include "app/pack_dialog.h"

#include <QCheckBox>
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
#include <QSpinBox>
#include <QTextCursor>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "alarms/chemistry_limits.h"
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

// The dialog's own texts.
constexpr BilingualText kChemistryLabel = {"化学类型：", "Chemistry:"};
constexpr BilingualText kChemistryNone = {"（未知）", "(not known)"};
constexpr BilingualText kCellsLabel = {"电芯数：", "Cells:"};
constexpr BilingualText kCellsNone = {"未知", "not known"};
constexpr BilingualText kCapacityLabel = {"标称容量：", "Nominal capacity:"};
constexpr BilingualText kCellHighLabel = {"电芯过压警报 (V)：", "Cell high alarm (V):"};
constexpr BilingualText kCellLowLabel = {"电芯欠压警报 (V)：", "Cell low alarm (V):"};
// %1: the chemistry's limit, %2 the chemistry.
constexpr BilingualText kLimitOfChemistry = {"%1（%2 默认）", "%1 (the %2 default)"};
constexpr BilingualText kLimitOfSettings = {"（警报设置中的值）", "(as in the alarm settings)"};
constexpr BilingualText kLeftOutForRecording = {"不计入此电池组的历史",
                                                "Leave this recording out of the pack's history"};
constexpr BilingualText kLeftOutForPresent = {
    "当前记录不计入此电池组的历史", "Leave the present recording out of the pack's history"};
// %1: the limit's name.
constexpr BilingualText kLimitNotNumber = {"%1不是数字：请输入 0.5 到 5 V 之间的值，或留空",
                                           "%1 is no number: give 0.5 to 5 V, or leave it empty"};
constexpr BilingualText kLimitOutOfRange = {"%1 必须在 0.5 到 5 V 之间（留空则用化学类型的值）",
                                            "%1 must be from 0.5 to 5 V (empty: the chemistry's)"};
// %1: cell low, %2 cell high.
constexpr BilingualText kLimitsCrossed = {"电芯欠压（%1 V）必须低于电芯过压（%2 V）",
                                          "Cell low (%1 V) must be below cell high (%2 V)"};
constexpr BilingualText kCellHighName = {"电芯过压", "Cell high"};
constexpr BilingualText kCellLowName = {"电芯欠压", "Cell low"};

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
                       bool chinese, QWidget* parent, PackLookup lookup)
    : QDialog(parent), chinese_(chinese), lookup_(std::move(lookup)) {
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

    chemistry_ = new QComboBox(this);
    chemistry_->setObjectName(QStringLiteral("packChemistry"));
    for (int c = 0; c < kPackChemistryCount; ++c) {
        const auto chemistry = static_cast<PackChemistry>(c);
        chemistry_->addItem(chemistry == PackChemistry::Unknown ? kChemistryNone.pick(chinese)
                                                                : chemistryName(chemistry),
                            c);
    }
    cells_ = new QSpinBox(this);
    cells_->setObjectName(QStringLiteral("packCells"));
    cells_->setRange(0, kPackMaxCells);
    cells_->setSuffix(QStringLiteral(" S"));
    cells_->setSpecialValueText(kCellsNone.pick(chinese));
    capacity_ = new QSpinBox(this);
    capacity_->setObjectName(QStringLiteral("packCapacity"));
    capacity_->setRange(0, 1'000'000);
    capacity_->setSingleStep(100);
    capacity_->setSuffix(QStringLiteral(" mAh"));
    capacity_->setSpecialValueText(kCellsNone.pick(chinese));
    cellHigh_ = new QLineEdit(this);
    cellHigh_->setObjectName(QStringLiteral("packCellHigh"));
    cellLow_ = new QLineEdit(this);
    cellLow_->setObjectName(QStringLiteral("packCellLow"));
    leftOut_ = new QCheckBox(
        (forRecording ? kLeftOutForRecording : kLeftOutForPresent).pick(chinese), this);
    leftOut_->setObjectName(QStringLiteral("packLeftOut"));
    problem_ = new QLabel(this);
    problem_->setObjectName(QStringLiteral("packProblem"));
    problem_->setWordWrap(true);
    problem_->setStyleSheet(QStringLiteral("color: #b00020"));
    problem_->hide();

    auto* form = new QFormLayout;
    form->addRow(kPackNameLabel.pick(chinese), name_);
    form->addRow(kPackNoteLabel.pick(chinese), note_);
    form->addRow(kChemistryLabel.pick(chinese), chemistry_);
    form->addRow(kCellsLabel.pick(chinese), cells_);
    form->addRow(kCapacityLabel.pick(chinese), capacity_);
    form->addRow(kCellHighLabel.pick(chinese), cellHigh_);
    form->addRow(kCellLowLabel.pick(chinese), cellLow_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("packButtons"));
    setButtonCaptions(*buttons, chinese);
    connect(buttons, &QDialogButtonBox::accepted, this, &PackDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(explain);
    layout->addLayout(form);
    layout->addWidget(leftOut_);
    layout->addWidget(problem_);
    layout->addWidget(buttons);
    setInfo(given);

    connect(chemistry_, &QComboBox::currentIndexChanged, this, [this] { showChemistryLimits(); });
    // A known name, chosen from the list or typed, brings what that pack is.
    connect(name_, &QComboBox::currentTextChanged, this,
            [this](const QString& name) { fillFromKnown(name); });
    for (QLineEdit* box : {cellHigh_, cellLow_}) {
        connect(box, &QLineEdit::textEdited, problem_, &QWidget::hide);
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
        return volts > 0 ? kLimitOfChemistry.pick(chinese_).arg(voltsText(volts), chemistryName(c))
                         : kLimitOfSettings.pick(chinese_);
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
        const BilingualText& name;
    } boxes[] = {{cellHigh_, kCellHighName}, {cellLow_, kCellLowName}};
    for (const auto& b : boxes) {
        const std::optional<double> v = limitOfText(b.box->text());
        if (!v) {
            return kLimitNotNumber.pick(chinese_).arg(b.name.pick(chinese_));
        }
        if (*v != 0 && (*v < kPackLimitLowestV || *v > kPackLimitHighestV)) {
            return kLimitOutOfRange.pick(chinese_).arg(b.name.pick(chinese_));
        }
    }
    // Low below high, each the pack's own or else its chemistry's.
    const alarms::ChemistryLimits limits = alarms::packLimits(info());
    if (limits.cellHighV > 0 && limits.cellLowV > 0 && limits.cellLowV >= limits.cellHighV) {
        return kLimitsCrossed.pick(chinese_).arg(voltsText(limits.cellLowV),
                                                 voltsText(limits.cellHighV));
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
