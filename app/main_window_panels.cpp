// The readout frames along the bottom of the window: the curve switches with
// their legend values, the detail readouts, the large readouts beside the
// power gauge, and the rule that shares the top readout frame between them.
//
// The frames are dark; they and their texts take their colours and type from
// palettes and fonts, not from style sheets, so that the tooltips over them
// (windows of their own, which a style sheet would reach but a palette does
// not) keep the normal tooltip look.
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "app/charger_model.h"
#include "app/main_window_layout.h"
#include "app/power_gauge.h"
#include "app/toolbar.h"
#include "chart/chart_view.h"

namespace cellwatch {
namespace {

constexpr int kGaugeFrameWidth = 2130;  // Frame5, inside Frame2, in twips
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
    void paintEvent(QPaintEvent* /*event*/) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(kPanelBorder, 1));
        painter.setBrush(kPanelBackground);
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    }
};

}  // namespace

QGroupBox* newPanel(QWidget* parent) {
    return new PanelFrame(parent);
}

void MainWindow::buildFrame1() {
    // The curve switches with the legend values of the four curves.
    QGroupBox* f = frames_[0];
    auto* grid = new QGridLayout(f);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setVerticalSpacing(2);
    const std::pair<const char*, int> rows[4] = {
        {"A001", 15}, {"A002", 14}, {"A003", 2}, {"A004", 1}};
    const char* designValues[4] = {"0.00", "0.00", "0", "0"};
    for (int i = 0; i < 4; ++i) {
        const auto ui = static_cast<std::size_t>(i);
        auto* check = new QCheckBox(f);
        check->setObjectName(QStringLiteral("Check1_%1").arg(i));
        check->setChecked(true);
        check1_[ui] = check;
        auto* title = new QLabel(f);
        title->setObjectName(QString::fromLatin1(rows[i].first));
        auto* value = new QLabel(QString::fromLatin1(designValues[i]), f);
        value->setObjectName(QStringLiteral("Label3_%1").arg(rows[i].second));
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        setTextColour(title, kCurveColours[i]);
        setTextColour(value, kCurveColours[i]);
        value->setFont(withSize(value->font(), 0, true));
        label3_[static_cast<std::size_t>(rows[i].second)] = value;
        grid->addWidget(check, i, 0);
        grid->addWidget(title, i, 1);
        grid->addWidget(value, i, 2);
        // A curve switch shows or hides its curve; points keep coming.
        connect(check, &QCheckBox::toggled, this,
                [this, i](bool on) { chart_->setSeriesActive(i, on); });
    }
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(4, 1);
}

void MainWindow::buildFrame4() {
    // The detail readouts: title on the left, value on the right.
    QGroupBox* f = frames_[3];
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
        label3_[static_cast<std::size_t>(index)] = value;
        grid->addWidget(title, row, 0);
        grid->addWidget(value, row, 1);
        ++row;
    }
    grid->setColumnStretch(0, 1);
}

void MainWindow::buildFrame2() {
    // The large readouts on the left, the gauge frame Frame5 on the right.
    QGroupBox* f = frames_[1];
    const std::tuple<int, const char*, QColor, int> large[3] = {
        {1, "0.00V", QColor(255, 80, 80), 14},
        {0, "0.00A", QColor(80, 255, 80), 72},
        {2, "0mAh", QColor(255, 255, 90), 130},
    };
    // Sized so that a pack voltage, a current and a four-digit capacity fit
    // beside the gauge in the frame's design width.
    const QFont font = withSize(this->font(), kLargeReadoutPixelSize, true);
    for (const auto& [index, text, colour, top] : large) {
        auto* label = new QLabel(QString::fromLatin1(text), f);
        label->setObjectName(QStringLiteral("Label2_%1").arg(index));
        label->setFont(font);
        setTextColour(label, colour);
        label->move(kLargeReadoutLeft, top);
        label->adjustSize();
        label2_[static_cast<std::size_t>(index)] = label;
    }
    QGroupBox* gaugeFrame = frames_[4];
    const int gaugeWidth = static_cast<int>(std::lround(kGaugeFrameWidth / tppX_));
    gaugeFrame->setGeometry(f->width() - gaugeWidth, 0, gaugeWidth, f->height());
    gauge_ = new PowerGauge(gaugeFrame);
    gauge_->setObjectName(QStringLiteral("Car1"));
    gauge_->setGeometry(gaugeFrame->rect().adjusted(2, 2, -2, -2));
}

void MainWindow::FitReadouts() {
    std::array<double, 3> widths{};
    for (std::size_t i = 0; i < 3; ++i) {
        widths[i] = label2_[i]->width();
    }
    QGroupBox* frame2 = frames_[1];
    QGroupBox* frame5 = frames_[4];
    // The readouts stand kLargeReadoutLeft in from the frame's left edge, so
    // the room for the gauge frame is what lies right of them: a readout
    // that fits is never drawn over the gauge.
    const ReadoutFit fit =
        cellwatch::fitReadouts(frame2->width() - kLargeReadoutLeft, widths, frame5->width());
    QWidget* modelBox = tool(QStringLiteral("state"), QStringLiteral("Model"))->widget();
    frame5->setVisible(fit.gaugeVisible);
    modelBox->setVisible(fit.gaugeVisible);
    if (fit.gaugeVisible) {
        frame5->move(kLargeReadoutLeft + fit.gaugeLeft, frame5->y());
        // Back at their own place, should they have been centred before.
        for (QLabel* l : label2_) {
            l->move(kLargeReadoutLeft, l->y());
        }
    } else {
        // The widest readout centred in the frame, the others lined up with it.
        double widest = 0;
        for (double width : widths) {
            widest = std::max(widest, std::round(width));
        }
        const int left = static_cast<int>(std::lround((frame2->width() - widest) / 2));
        for (QLabel* l : label2_) {
            l->move(left, l->y());
        }
    }
}

}  // namespace cellwatch
