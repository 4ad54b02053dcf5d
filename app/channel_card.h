// One channel of a charger with several, as a small card: the channel's
// number, what it is doing (the charger's own word, else a short word of
// the program's), its voltage, current and capacity, its worst cell, an
// alarm mark, and a small curve of its voltage.
//
// The curve keeps at most kMostPoints points: when it is full, every other
// point goes and from then on only every other reading adds one (then
// every fourth, ...), so a card costs the same after a day as after a
// minute.
//
// A card takes the keyboard focus (Tab, a click); Enter, Return or Space
// choose it, as a click does; the arrow keys ask for the focus to move to a
// neighbour (the strip moves it).
#pragma once

#include <QFrame>
#include <QString>
#include <QVector>
#include <optional>

#include "app/captions.h"
#include "protocol/reading.h"

class QCustomPlot;
class QLabel;

namespace cellwatch {

// The cell that looks worst: while charging, the lowest; otherwise the one
// farthest from the mean of the other cells. Cells 1..cellCount at 0 V are
// absent; none with fewer than two present. `cell` counts from 1; ties go
// to the lower number.
struct WorstCell {
    int cell = 0;
    Decimal volts;
};
std::optional<WorstCell> worstCell(const Reading& reading);

// The program's short word for a state, in the language installed.
QString stateWord(ChargeState state);

class ChannelCard : public QFrame {
    Q_OBJECT
public:
    static constexpr int kMostPoints = 240;

    // `channel` counts from 0; the card shows channel + 1.
    explicit ChannelCard(int channel, QWidget* parent = nullptr);

    int channel() const { return channel_; }

    // A reading of the channel, its curve's point at `days`.
    void showReading(const Reading& reading, double days);
    // The resting look after a late message: the state word of idle, 0 A.
    void showIdle();
    // The curve emptied (a new recording).
    void clearCurve();

    // The small curve shows (the default) or not (a card in a strip of
    // several rows, which keeps the chart its room).
    void setCurveShown(bool shown);
    void setAlarm(bool on);
    bool alarmed() const { return alarmed_; }
    void setChosen(bool chosen);
    bool chosen() const { return chosen_; }
    // What the card shows, for the strip's users and tests.
    QString stateText() const;
    QString voltageText() const;
    QString currentText() const;
    QString capacityText() const;
    QString worstCellText() const;
    QCustomPlot* curve() const { return curve_; }
    int curvePointCount() const { return static_cast<int>(xs_.size()); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // A click, or Enter, Return or Space with the focus on the card.
    void chosenByUser(int channel);
    // An arrow key: -1 the previous card, +1 the next.
    void focusStep(int channel, int step);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    // A card laid out anew (a switch of language changes its texts'
    // widths): the mark goes with its top right corner.
    void resizeEvent(QResizeEvent* event) override;

private:
    // "Worst %1: %2 V" in the language installed (%1 the cell, %2 its volts).
    static QString worstCellFormat();
    void retranslate();
    void addPoint(double days, double volts);
    void showTexts();
    void placeAlarm();

    int channel_;
    bool alarmed_ = false;
    bool chosen_ = false;
    std::optional<Reading> last_;
    bool idle_ = false;

    QLabel* number_ = nullptr;
    QLabel* state_ = nullptr;
    QLabel* alarm_ = nullptr;
    QLabel* voltage_ = nullptr;
    QLabel* current_ = nullptr;
    QLabel* capacity_ = nullptr;
    QLabel* worst_ = nullptr;
    QCustomPlot* curve_ = nullptr;

    QVector<double> xs_;
    QVector<double> ys_;
    int stride_ = 1;   // a point for every stride_-th reading
    int skipped_ = 0;  // readings since the last point kept
};

}  // namespace cellwatch
