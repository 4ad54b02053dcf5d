// The readout frames, shared by the main window and the viewer windows.
//
// The frames are dark; they and their texts take their colours and type from
// palettes and fonts, not from style sheets, so that the tooltips over them
// (windows of their own, which a style sheet would reach but a palette does
// not) keep the normal tooltip look.
#include "app/readout_panels.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "app/captions.h"
#include "app/power_gauge.h"
#include "chart/chart_view.h"
#include "chart/data_table.h"
#include "protocol/reading_format.h"
#include "readout/cell_panel.h"
#include "readout/cell_panel_widget.h"
#include "readout/cursor_search.h"
#include "readout/glyph_text.h"
#include "readout/recording.h"

namespace cellwatch {
namespace {

constexpr int kGaugeFrameWidth = 2130;  // Frame5, inside Frame2, in twips
constexpr int kGaugeInset = 2;          // the dial's margin in its frame, in pixels
// The large readouts' left edge in Frame2 while the gauge shows, in pixels.
constexpr int kLargeReadoutLeft = 6;
constexpr int kLargeReadoutPixelSize = 25;
constexpr int kDetailPixelSize = 11;

// Colours of the four curves, used for their switches and legend values.
const QColor kCurveColours[4] = {QColor(255, 0, 0), QColor(0, 255, 0), QColor(255, 255, 0),
                                 QColor(255, 255, 255)};
const QColor kPanelText(200, 215, 235);
const QColor kDetailValueColour(120, 230, 255);

const QColor kPanelBackground(0, 20, 50);
const QColor kPanelBorder(40, 70, 110);

void setTextColour(QWidget* w, const QColor& colour) {
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, colour);
    w->setPalette(p);
}

// Gives a text that changes with every sample the panel's own background (an
// opaque widget is redrawn alone, where a transparent one has the frame, the
// tab page and the window behind it drawn again first) and has it drawn from
// its font's glyphs.
void fillPanelBackground(QLabel* label) {
    QPalette p = label->palette();
    p.setColor(QPalette::Window, kPanelBackground);
    label->setPalette(p);
    label->setAutoFillBackground(true);
    drawTextFromGlyphs(label);
}

// A font of `pixelSize` (0 keeps the size), bold or not.
QFont withSize(QFont font, int pixelSize, bool bold) {
    if (pixelSize > 0) {
        font.setPixelSize(pixelSize);
    }
    font.setBold(bold);
    return font;
}

// A readout frame: dark, with a thin rounded border, drawn by itself.
class PanelFrame final : public QGroupBox {
public:
    explicit PanelFrame(QWidget* parent) : QGroupBox(parent) {
        setTextColour(this, kPanelText);  // handed on to every text inside
    }

protected:
    // The frame is drawn behind its texts again and again (wherever one of
    // them changes, or a neighbour overlapping its edge does): drawn once per
    // size and scale into a picture, each time after is a copy of the part asked for.
    void paintEvent(QPaintEvent* event) override {
        const qreal ratio = devicePixelRatioF();
        if (picture_.size() != size() * ratio || picture_.devicePixelRatio() != ratio) {
            picture_ = QPixmap(size() * ratio);
            picture_.setDevicePixelRatio(ratio);
            picture_.fill(Qt::transparent);
            QPainter painter(&picture_);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(QPen(kPanelBorder, 1));
            painter.setBrush(kPanelBackground);
            painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
        }
        QPainter painter(this);
        const QRect part = event->rect();
        painter.drawPixmap(part, picture_,
                           QRectF(QPointF(part.topLeft()) * ratio, QSizeF(part.size()) * ratio));
    }

private:
    QPixmap picture_;
};

}  // namespace

QGroupBox* newPanel(QWidget* parent) {
    return new PanelFrame(parent);
}

void buildCurvePanel(QGroupBox* f, CurveSwitches& switches, Label3Array& label3, ChartView& chart) {
    auto* grid = new QGridLayout(f);
    // Tight columns: the longest title ("Capacity(mAh)") and the widest
    // value ("15.08") share the frame's width in English.
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setHorizontalSpacing(2);
    grid->setVerticalSpacing(2);
    const std::pair<const char*, int> rows[4] = {
        {"A001", 15}, {"A002", 14}, {"A003", 2}, {"A004", 1}};
    const char* designValues[4] = {"0.00", "0.00", "0", "0"};
    for (int i = 0; i < 4; ++i) {
        const auto ui = static_cast<std::size_t>(i);
        auto* check = new QCheckBox(f);
        check->setObjectName(QStringLiteral("Check1_%1").arg(i));
        check->setChecked(true);
        switches[ui] = check;
        auto* title = new QLabel(f);
        title->setObjectName(QString::fromLatin1(rows[i].first));
        auto* value = new QLabel(QString::fromLatin1(designValues[i]), f);
        value->setObjectName(QStringLiteral("Label3_%1").arg(rows[i].second));
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        setTextColour(title, kCurveColours[i]);
        setTextColour(value, kCurveColours[i]);
        fillPanelBackground(value);
        value->setFont(withSize(value->font(), 0, true));
        label3[static_cast<std::size_t>(rows[i].second)] = value;
        grid->addWidget(check, i, 0);
        grid->addWidget(title, i, 1);
        grid->addWidget(value, i, 2, value->alignment());
        // A curve switch shows or hides its curve; points keep coming.
        QObject::connect(check, &QCheckBox::toggled, &chart,
                         [&chart, i](bool on) { chart.setSeriesActive(i, on); });
    }
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(4, 1);
}

void buildDetailPanel(QGroupBox* f, Label3Array& label3) {
    auto* grid = new QGridLayout(f);
    grid->setContentsMargins(5, 4, 5, 4);
    grid->setHorizontalSpacing(3);
    grid->setVerticalSpacing(1);
    const std::tuple<const char*, int, const char*> rows[] = {
        {"A005", 16, "0.00"},    {"A006", 23, ""},     {"A007", 22, ""},  {"A008", 21, "0Cells"},
        {"A009", 20, "0.00"},    {"A010", 19, "0.00"}, {"A011", 18, "0"}, {"a012", 17, "0.000"},
        {"a013", 24, "0:00:00"}, {"a018", 0, "0"},     {"A019", 3, "0"},
    };
    int row = 0;
    for (const auto& [titleName, index, text] : rows) {
        auto* title = new QLabel(f);
        title->setObjectName(QString::fromLatin1(titleName));
        auto* value = new QLabel(QString::fromLatin1(text), f);
        value->setObjectName(QStringLiteral("Label3_%1").arg(index));
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        title->setFont(withSize(title->font(), kDetailPixelSize, false));
        value->setFont(withSize(value->font(), kDetailPixelSize, true));
        setTextColour(value, kDetailValueColour);
        fillPanelBackground(value);
        label3[static_cast<std::size_t>(index)] = value;
        grid->addWidget(title, row, 0);
        grid->addWidget(value, row, 1, value->alignment());
        ++row;
    }
    grid->setColumnStretch(0, 1);
}

PowerGauge* buildLargeReadoutPanel(QGroupBox* f, QGroupBox* gaugeFrame, Label2Array& label2,
                                   const QFont& base, double twipsPerPixelX) {
    const std::tuple<int, const char*, QColor, int> large[3] = {
        {1, "0.00V", QColor(255, 80, 80), 14},
        {0, "0.00A", QColor(80, 255, 80), 72},
        {2, "0mAh", QColor(255, 255, 90), 130},
    };
    // Sized so that a pack voltage, a current and a four-digit capacity fit
    // beside the gauge in the frame's design width.
    const QFont font = withSize(base, kLargeReadoutPixelSize, true);
    for (const auto& [index, text, colour, top] : large) {
        auto* label = new QLabel(QString::fromLatin1(text), f);
        label->setObjectName(QStringLiteral("Label2_%1").arg(index));
        label->setFont(font);
        setTextColour(label, colour);
        fillPanelBackground(label);
        label->move(kLargeReadoutLeft, top);
        label->adjustSize();
        label2[static_cast<std::size_t>(index)] = label;
    }
    const int gaugeWidth = static_cast<int>(std::lround(kGaugeFrameWidth / twipsPerPixelX));
    gaugeFrame->setGeometry(f->width() - gaugeWidth, 0, gaugeWidth, f->height());
    auto* gauge = new PowerGauge(gaugeFrame);
    gauge->setObjectName(QStringLiteral("Car1"));
    // The dial fills its frame, whatever size the frame takes.
    auto* fill = new QVBoxLayout(gaugeFrame);
    fill->setContentsMargins(kGaugeInset, kGaugeInset, kGaugeInset, kGaugeInset);
    fill->addWidget(gauge);
    return gauge;
}

void fillCellPanelBackground(CellPanelWidget& panel) {
    for (int cell = 1; cell <= kMostCells; ++cell) {
        fillPanelBackground(panel.cellLabel(cell));
    }
    for (int index = 1; index <= CellPanelWidget::kStatisticCount; ++index) {
        fillPanelBackground(panel.statisticLabel(index));
    }
}

bool placeLargeReadouts(QGroupBox* frame2, QGroupBox* frame5, const Label2Array& label2) {
    std::array<double, 3> widths{};
    for (std::size_t i = 0; i < 3; ++i) {
        widths[i] = label2[i]->width();
    }
    // The readouts stand kLargeReadoutLeft in from the frame's left edge, so
    // the room for the gauge frame is what lies right of them: a readout
    // that fits is never drawn over the gauge.
    const ReadoutFit fit =
        fitReadouts(frame2->width() - kLargeReadoutLeft, widths, frame5->width());
    frame5->setVisible(fit.gaugeVisible);
    if (fit.gaugeVisible) {
        // As tall as the frame it sits in (that frame is sized after it was made).
        frame5->setGeometry(kLargeReadoutLeft + fit.gaugeLeft, 0, frame5->width(),
                            frame2->height());
        // Back at their own place, should they have been centred before.
        for (QLabel* l : label2) {
            l->move(kLargeReadoutLeft, l->y());
        }
    } else {
        // The widest readout centred in the frame, the others lined up with it.
        double widest = 0;
        for (double width : widths) {
            widest = std::max(widest, std::round(width));
        }
        const int left = static_cast<int>(std::lround((frame2->width() - widest) / 2));
        for (QLabel* l : label2) {
            l->move(left, l->y());
        }
    }
    return fit.gaugeVisible;
}

QString idleChartTitle() {
    return QCoreApplication::translate("ChartTitles", "Idle");
}

void setPanelCaptions(QWidget& root) {
    const auto pick = [](const ControlText& c) { return c.translated(); };
    for (const ControlText& c : controlTooltips()) {
        if (auto* w = root.findChild<QWidget*>(QString::fromLatin1(c.control))) {
            w->setToolTip(pick(c));
        }
    }
    for (const ControlText& c : readoutTitles()) {
        if (auto* label = root.findChild<QLabel*>(QString::fromLatin1(c.control))) {
            label->setText(pick(c));
        }
    }
}

std::optional<int> rowAtPixel(const ChartView& chart, const RowStore& rows, int x) {
    const double t = chart.xAtPixel(x);
    const auto k = findPointAtOrBefore(chart, kSeriesVoltage, t);
    if (!k) {
        return std::nullopt;
    }
    const int row = static_cast<int>(*k) + 1;
    if (row >= rows.gridRowCount()) {
        return std::nullopt;  // the point has no row: nothing to show
    }
    return row;
}

}  // namespace cellwatch
