#include "app/channel_card.h"

#include <qcustomplot.h>

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace cellwatch {
namespace {

constexpr Phrase kStateWords[kChargeStateCount] = {
    {QT_TRANSLATE_NOOP("Captions", "Idle")},        {QT_TRANSLATE_NOOP("Captions", "Charging")},
    {QT_TRANSLATE_NOOP("Captions", "Discharging")}, {QT_TRANSLATE_NOOP("Captions", "Resting")},
    {QT_TRANSLATE_NOOP("Captions", "Balancing")},   {QT_TRANSLATE_NOOP("Captions", "Storage")},
    {QT_TRANSLATE_NOOP("Captions", "Done")},        {QT_TRANSLATE_NOOP("Captions", "Error")}};

QString text(const Decimal& value, std::string_view pattern, const char* unit) {
    return QString::fromStdString(value.format(pattern)) + QLatin1String(unit);
}

QFont scaled(QFont font, double factor, bool bold) {
    font.setPointSizeF(font.pointSizeF() * factor);
    font.setBold(bold);
    return font;
}

}  // namespace

std::optional<WorstCell> worstCell(const Reading& reading) {
    const int count = std::clamp(reading.cellCount, 0, kMostCells);
    double sum = 0;
    int present = 0;
    for (int k = 0; k < count; ++k) {
        const Decimal v = reading.cells[static_cast<std::size_t>(k)];
        if (!v.isZero()) {
            sum += v.toDouble();
            ++present;
        }
    }
    if (present < 2) {
        return std::nullopt;
    }
    const bool charging = reading.state == ChargeState::Charging;
    int worst = -1;
    double worstScore = 0;
    for (int k = 0; k < count; ++k) {
        const Decimal v = reading.cells[static_cast<std::size_t>(k)];
        if (v.isZero()) {
            continue;
        }
        // Lower is worse while charging; elsewhere the distance from the others.
        const double others = (sum - v.toDouble()) / (present - 1);
        const double score = charging ? -v.toDouble() : std::fabs(v.toDouble() - others);
        if (worst < 0 || score > worstScore + 1e-9) {
            worst = k;
            worstScore = score;
        }
    }
    return WorstCell{worst + 1, reading.cells[static_cast<std::size_t>(worst)]};
}

QString stateWord(ChargeState state) {
    const auto index = static_cast<std::size_t>(state);
    return index < std::size(kStateWords) ? kStateWords[index].text() : QString();
}

ChannelCard::ChannelCard(int channel, QWidget* parent) : QFrame(parent), channel_(channel) {
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::StyledPanel);
    setObjectName(QStringLiteral("ChannelCard_%1").arg(channel + 1));
    setCursor(Qt::PointingHandCursor);

    number_ = new QLabel(QString::number(channel + 1), this);
    number_->setFont(scaled(font(), 1.6, true));
    state_ = new QLabel(this);
    state_->setFont(scaled(font(), 0.95, true));
    alarm_ = new QLabel(this);
    alarm_->setFont(scaled(font(), 0.85, true));
    alarm_->setAutoFillBackground(true);
    QPalette alarmPalette = alarm_->palette();
    alarmPalette.setColor(QPalette::Window, QColor(200, 0, 0));
    alarmPalette.setColor(QPalette::WindowText, Qt::white);
    alarm_->setPalette(alarmPalette);
    alarm_->setContentsMargins(3, 0, 3, 0);
    alarm_->setVisible(false);
    voltage_ = new QLabel(this);
    voltage_->setFont(scaled(font(), 1.15, true));
    current_ = new QLabel(this);
    capacity_ = new QLabel(this);
    worst_ = new QLabel(this);
    worst_->setFont(scaled(font(), 0.9, false));

    curve_ = new QCustomPlot(this);
    curve_->setAttribute(Qt::WA_TransparentForMouseEvents);
    curve_->setFocusPolicy(Qt::NoFocus);
    curve_->setMinimumHeight(34);
    curve_->setBackground(palette().brush(QPalette::Base));
    curve_->axisRect()->setAutoMargins(QCP::msNone);
    curve_->axisRect()->setMargins(QMargins(1, 1, 1, 1));
    curve_->xAxis->setVisible(false);
    curve_->yAxis->setVisible(false);
    curve_->setNoAntialiasingOnDrag(true);
    QCPGraph* graph = curve_->addGraph();
    graph->setPen(QPen(QColor(0, 110, 220), 1));
    graph->setAdaptiveSampling(true);

    // One figure a line, so a card is as narrow as its longest text; the
    // alarm mark lies over the curve's top right corner. The texts stay
    // inside the chosen card's border and the focus line.
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(1);
    grid->addWidget(number_, 0, 0, 2, 1, Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(state_, 0, 1);
    grid->addWidget(voltage_, 1, 1);
    grid->addWidget(current_, 2, 1);
    grid->addWidget(capacity_, 3, 1);
    grid->addWidget(worst_, 4, 0, 1, 2);
    grid->addWidget(curve_, 5, 0, 1, 2);
    grid->setRowStretch(5, 1);
    grid->setColumnStretch(1, 1);
    alarm_->raise();
    curve_->installEventFilter(this);

    showTexts();
}

QSize ChannelCard::minimumSizeHint() const {
    // As wide as the widest figures need, whatever the figures now.
    const QSize laidOut = QFrame::minimumSizeHint();
    const int widest = std::max(
        {QFontMetrics(voltage_->font()).horizontalAdvance(QStringLiteral("00.000 V")),
         QFontMetrics(capacity_->font()).horizontalAdvance(QStringLiteral("00000 mAh")),
         QFontMetrics(state_->font()).horizontalAdvance(stateWord(ChargeState::Discharging))});
    const int numberColumn = number_->sizeHint().width() + 6;
    const int worst =
        QFontMetrics(worst_->font())
            .horizontalAdvance(worstCellFormat().arg(16).arg(QStringLiteral("0.000")));
    const int alarm = alarm_->sizeHint().width() + 4;
    return {std::max({laidOut.width(), numberColumn + widest + 12, worst + 12, alarm + 12}),
            laidOut.height()};
}

QSize ChannelCard::sizeHint() const {
    const QFontMetrics metrics(font());
    const QSize least = minimumSizeHint();
    return {least.width(), curve_->isVisibleTo(this)
                               ? std::max(least.height(), metrics.height() * 6 + 40)
                               : least.height()};
}

bool ChannelCard::eventFilter(QObject* watched, QEvent* event) {
    // The curve placed anew by the layout: the mark goes with it.
    if (watched == curve_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
        placeAlarm();
    }
    return QFrame::eventFilter(watched, event);
}

void ChannelCard::setCurveShown(bool shown) {
    curve_->setVisible(shown);
    placeAlarm();
}

void ChannelCard::placeAlarm() {
    alarm_->adjustSize();
    // Over the curve's top right corner; without the curve, the card's
    // (a card that wide has room beside its state).
    const QRect area = curve_->isVisibleTo(this)
                           ? curve_->geometry()
                           : contentsRect().marginsRemoved(layout()->contentsMargins());
    alarm_->move(area.right() + 1 - alarm_->width(), area.top());
}

void ChannelCard::showReading(const Reading& reading, double days) {
    last_ = reading;
    idle_ = false;
    addPoint(days, reading.voltage.toDouble());
    showTexts();
}

void ChannelCard::showIdle() {
    idle_ = true;
    showTexts();
}

void ChannelCard::clearCurve() {
    xs_.clear();
    ys_.clear();
    stride_ = 1;
    skipped_ = 0;
    curve_->graph(0)->data()->clear();
    curve_->replot(QCustomPlot::rpQueuedReplot);
}

void ChannelCard::addPoint(double days, double volts) {
    if (++skipped_ < stride_) {
        return;
    }
    skipped_ = 0;
    if (xs_.size() >= kMostPoints) {
        // Thin to every other point, and take half as many from now on.
        qsizetype kept = 0;
        for (qsizetype i = 0; i < xs_.size(); i += 2) {
            xs_[kept] = xs_[i];
            ys_[kept] = ys_[i];
            ++kept;
        }
        xs_.resize(kept);
        ys_.resize(kept);
        stride_ *= 2;
    }
    xs_.push_back(days);
    ys_.push_back(volts);
    curve_->graph(0)->setData(xs_, ys_, true);
    const auto [low, high] = std::minmax_element(ys_.cbegin(), ys_.cend());
    const double pad = std::max((*high - *low) * 0.08, 0.01);
    curve_->yAxis->setRange(*low - pad, *high + pad);
    curve_->xAxis->setRange(xs_.front(), std::max(xs_.back(), xs_.front() + 1e-6));
    curve_->replot(QCustomPlot::rpQueuedReplot);
}

void ChannelCard::showTexts() {
    setToolTip(tr("Channel %1: click to show it on the chart").arg(channel_ + 1));
    setAccessibleName(stateText().isEmpty()
                          ? number_->text()
                          : QStringLiteral("%1 %2").arg(number_->text(), stateText()));
    alarm_->setText(tr("ALARM"));
    if (!last_) {
        state_->setText(stateWord(ChargeState::Idle));
        voltage_->setText(QStringLiteral("— V"));
        current_->setText(QStringLiteral("— A"));
        capacity_->setText(QStringLiteral("— mAh"));
        worst_->setText(tr("Worst: —"));
        return;
    }
    const Reading& r = *last_;
    if (idle_) {
        state_->setText(stateWord(ChargeState::Idle));
        current_->setText(text(Decimal(), kFormat2, " A"));
    } else {
        state_->setText(r.stateText.empty() ? stateWord(r.state)
                                            : QString::fromStdString(r.stateText));
        current_->setText(text(r.current, kFormat2, " A"));
    }
    voltage_->setText(text(r.voltage, kFormat3, " V"));
    capacity_->setText(QString::fromStdString(r.capacity.fixedText(0)) + QStringLiteral(" mAh"));
    if (const std::optional<WorstCell> worst = worstCell(r)) {
        worst_->setText(worstCellFormat()
                            .arg(worst->cell)
                            .arg(QString::fromStdString(worst->volts.format(kFormat3))));
    } else {
        worst_->setText(tr("Worst: —"));
    }
}

void ChannelCard::setAlarm(bool on) {
    alarmed_ = on;
    alarm_->setVisible(on);
    placeAlarm();
}

void ChannelCard::setChosen(bool chosen) {
    if (chosen_ != chosen) {
        chosen_ = chosen;
        update();
    }
}

QString ChannelCard::worstCellFormat() {
    return tr("Worst %1: %2 V");
}

void ChannelCard::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    placeAlarm();
}

void ChannelCard::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
    }
    QFrame::changeEvent(event);
}

void ChannelCard::retranslate() {
    showTexts();
    placeAlarm();
    updateGeometry();
}

QString ChannelCard::stateText() const {
    return state_->text();
}
QString ChannelCard::voltageText() const {
    return voltage_->text();
}
QString ChannelCard::currentText() const {
    return current_->text();
}
QString ChannelCard::capacityText() const {
    return capacity_->text();
}
QString ChannelCard::worstCellText() const {
    return worst_->text();
}

void ChannelCard::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    emit chosenByUser(channel_);
    event->accept();
}

void ChannelCard::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            emit chosenByUser(channel_);
            return;
        case Qt::Key_Left:
        case Qt::Key_Up:
            emit focusStep(channel_, -1);
            return;
        case Qt::Key_Right:
        case Qt::Key_Down:
            emit focusStep(channel_, +1);
            return;
        default:
            QFrame::keyPressEvent(event);
    }
}

void ChannelCard::focusInEvent(QFocusEvent* event) {
    QFrame::focusInEvent(event);
    update();
}

void ChannelCard::focusOutEvent(QFocusEvent* event) {
    QFrame::focusOutEvent(event);
    update();
}

void ChannelCard::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (!chosen_ && !hasFocus()) {
        return;
    }
    QPainter painter(this);
    const QColor highlight = palette().color(QPalette::Highlight);
    if (chosen_) {
        painter.setPen(QPen(highlight, 3));
        painter.drawRect(rect().adjusted(1, 1, -2, -2));
    }
    if (hasFocus()) {
        QPen dotted(chosen_ ? palette().color(QPalette::WindowText) : highlight, 1, Qt::DotLine);
        painter.setPen(dotted);
        painter.drawRect(rect().adjusted(4, 4, -5, -5));
    }
}

}  // namespace cellwatch
