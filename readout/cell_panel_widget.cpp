#include "readout/cell_panel_widget.h"

#include "readout/steady_text.h"

#include <algorithm>
#include <cstddef>
#include <mutex>

#include <QEvent>
#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>

// The bar pictures live in a static library's resources, which the linker
// drops unless something refers to them. Outside any namespace, as the
// resource initialiser requires.
static void InitCellBarResources() {
    static std::once_flag once;
    std::call_once(once, [] { Q_INIT_RESOURCE(cellbars); });
}

namespace cellwatch {
namespace {

constexpr std::array<const char*, CellPanelWidget::kStatisticCount> kCaptionNames = {
    "a014", "A015", "A016", "A017"};
constexpr std::array<const char*, CellPanelWidget::kStatisticCount> kCaptionTexts = {
    "Average(V)", "Maximum(V)", "Minimum(V)", "D.Peak(V)"};
constexpr std::array<const char*, CellPanelWidget::kStatisticCount> kStatisticDesignTexts = {
    "0.000", "0.00", "0.00", "0.00"};

constexpr std::array<BarTexture, 3> kTextures = {BarTexture::Green, BarTexture::Amber,
                                                 BarTexture::Red};

std::size_t TextureSlot(BarTexture texture) {
    switch (texture) {
        case BarTexture::Green:
            return 0;
        case BarTexture::Amber:
            return 1;
        case BarTexture::Red:
            break;
    }
    return 2;
}

QFont Scaled(QFont font, double factor, bool bold = false) {
    font.setPointSizeF(font.pointSizeF() * factor);
    font.setBold(bold);
    return font;
}

}  // namespace

CellPanelWidget::CellPanelWidget(QWidget* parent) : QWidget(parent) {
    InitCellBarResources();
    for (std::size_t i = 0; i < kTextures.size(); ++i) {
        textures_[i] = QImage(texturePath(kTextures[i]));
    }

    auto* cells = new QGridLayout;
    cellGrid_ = cells;
    cells->setContentsMargins(0, 0, 0, 0);
    cells->setHorizontalSpacing(3);
    cells->setVerticalSpacing(3);
    const QFont voltageFont = Scaled(font(), 0.9);
    voltageFont_ = voltageFont;
    // Sixteen columns in the room of twelve: 0.7 of the twelve's 0.9 and a
    // pixel between columns instead of three.
    narrowFont_ = Scaled(font(), 0.7);
    const QFont numberFont = Scaled(font(), 0.85, true);
    const int columnWidth = QFontMetrics(voltageFont).horizontalAdvance(QStringLiteral("0.00"));
    for (int k = 1; k <= kMostCells; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        const int column = k - 1;

        auto* voltage = new QLabel(QStringLiteral("0.00"), this);
        voltage->setObjectName(QStringLiteral("Label_%1").arg(k - 1));
        voltage->setFont(voltageFont);
        voltage->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        voltage->setMinimumWidth(columnWidth);
        cells->addWidget(voltage, 0, column, voltage->alignment());
        voltages_[i] = voltage;

        auto* bar = new CellBar(this);
        bar->setObjectName(QStringLiteral("Cell_bar1_%1").arg(k));
        cells->addWidget(bar, 1, column, Qt::AlignHCenter);
        bars_[i] = bar;

        auto* number = new QLabel(QString::number(k), this);
        number->setObjectName(QStringLiteral("Label6_%1").arg(k));
        number->setFont(numberFont);
        number->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        cells->addWidget(number, 2, column);
        numbers_[i] = number;
    }
    cells->setRowStretch(1, 1);

    auto* separator = new QFrame(this);
    separator->setFrameShape(QFrame::VLine);
    separator->setFrameShadow(QFrame::Sunken);

    auto* stats = new QGridLayout;
    stats->setContentsMargins(0, 0, 0, 0);
    stats->setHorizontalSpacing(8);
    stats->setVerticalSpacing(0);
    const QFont valueFont = Scaled(font(), 1.25, true);
    const int valueWidth = QFontMetrics(valueFont).horizontalAdvance(QStringLiteral("0.000")) + 6;
    for (int index = 1; index <= kStatisticCount; ++index) {
        const auto i = static_cast<std::size_t>(index - 1);
        const int row = 2 * (index - 1);

        auto* caption = new QLabel(QString::fromLatin1(kCaptionTexts[i]), this);
        caption->setObjectName(QString::fromLatin1(kCaptionNames[i]));
        caption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        stats->addWidget(caption, row, 0);
        captions_[i] = caption;

        auto* value = new QLabel(QString::fromLatin1(kStatisticDesignTexts[i]), this);
        value->setObjectName(QStringLiteral("Label5_%1").arg(index));
        value->setFont(valueFont);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setMinimumWidth(valueWidth);
        stats->addWidget(value, row, 1, value->alignment());
        statistics_[i] = value;

        if (index < kStatisticCount) {
            auto* rule = new QFrame(this);
            rule->setFrameShape(QFrame::HLine);
            rule->setFrameShadow(QFrame::Sunken);
            stats->addWidget(rule, row + 1, 0, 1, 2);
        }
        stats->setRowStretch(row, 1);
    }

    auto* root = new QHBoxLayout(this);
    root->setContentsMargins(6, 6, 8, 6);
    root->setSpacing(8);
    root->addLayout(cells, 1);
    root->addWidget(separator);
    root->addLayout(stats);

    muteCellNumbers();
    slots_ = 0;
    setCellSlots(kCellCount);  // the last four hidden
}

void CellPanelWidget::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        muteCellNumbers();
    }
}

void CellPanelWidget::muteCellNumbers() {
    // The cell numbers are furniture: the text colour, part way to the background.
    const QColor text = palette().color(QPalette::WindowText);
    const QColor back = palette().color(QPalette::Window);
    const auto mix = [](int a, int b) { return (a * 55 + b * 45) / 100; };
    const QColor muted(mix(text.red(), back.red()), mix(text.green(), back.green()),
                       mix(text.blue(), back.blue()));
    for (QLabel* number : numbers_) {
        QPalette pal = number->palette();
        pal.setColor(QPalette::WindowText, muted);
        number->setPalette(pal);
    }
}

QString CellPanelWidget::texturePath(BarTexture texture) {
    return QStringLiteral(":/cellbars/%1.bmp").arg(static_cast<int>(texture));
}

const QImage& CellPanelWidget::texture(BarTexture texture) const {
    return textures_[TextureSlot(texture)];
}

void CellPanelWidget::setCellSlots(int count) {
    count = std::clamp(count, kCellCount, kMostCells);
    if (count == slots_) {  // (0 while being built)
        return;
    }
    slots_ = count;
    // Sixteen "0.00" side by side need a smaller text than twelve, and less
    // room between them, to fit where twelve fit.
    const QFont& font = count > kCellCount ? narrowFont_ : voltageFont_;
    cellGrid_->setHorizontalSpacing(count > kCellCount ? 1 : 3);
    const int columnWidth = QFontMetrics(font).horizontalAdvance(QStringLiteral("0.00"));
    for (int k = 1; k <= kMostCells; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        // Steady texts keep their size; a new font starts it anew.
        voltages_[i]->setMinimumSize(0, 0);
        voltages_[i]->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        voltages_[i]->setFont(font);
        voltages_[i]->setMinimumWidth(columnWidth);
        const bool shown = k <= count;
        voltages_[i]->setVisible(shown);
        bars_[i]->setVisible(shown);
        numbers_[i]->setVisible(shown);
    }
}

void CellPanelWidget::setCellText(int cell, const QString& text) {
    if (QLabel* label = cellLabel(cell)) {
        setSteadyText(label, text);
    }
}

void CellPanelWidget::setCellBar(int cell, BarTexture texture, int value) {
    if (CellBar* bar = cellBar(cell)) {
        bar->setPictureStyle(CellBar::kPictureStretched);
        bar->setFillPicture(this->texture(texture), texturePath(texture));
        bar->setValue(value);
    }
}

void CellPanelWidget::setStatistic(int index, const QString& text) {
    if (QLabel* label = statisticLabel(index)) {
        setSteadyText(label, text);
    }
}

QLabel* CellPanelWidget::cellLabel(int cell) const {
    return cell >= 1 && cell <= kMostCells ? voltages_[static_cast<std::size_t>(cell - 1)]
                                           : nullptr;
}

CellBar* CellPanelWidget::cellBar(int cell) const {
    return cell >= 1 && cell <= kMostCells ? bars_[static_cast<std::size_t>(cell - 1)] : nullptr;
}

QLabel* CellPanelWidget::cellNumberLabel(int cell) const {
    return cell >= 1 && cell <= kMostCells ? numbers_[static_cast<std::size_t>(cell - 1)] : nullptr;
}

QLabel* CellPanelWidget::statisticLabel(int index) const {
    return index >= 1 && index <= kStatisticCount ? statistics_[static_cast<std::size_t>(index - 1)]
                                                  : nullptr;
}

QLabel* CellPanelWidget::captionLabel(const QString& name) const {
    for (std::size_t i = 0; i < kCaptionNames.size(); ++i) {
        if (name == QLatin1String(kCaptionNames[i])) {
            return captions_[i];
        }
    }
    return nullptr;
}

QSize CellPanelWidget::sizeHint() const {
    return {545, 190};
}

}  // namespace cellwatch
