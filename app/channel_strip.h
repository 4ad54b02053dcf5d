// A row of channel cards (app/channel_card.h), one per channel of a charger
// with several. Channels count from 0 here (card 0 shows "1").
//
// Each recording given gets a view subscribed to it that feeds its card. A
// recording keeps its views as long as it lives, so a view whose card is
// gone (the strip given other recordings, or closed) does nothing.
//
// With no recording or only one the strip is hidden: a charger of one
// channel shows what it always showed. The cards stand in one row while
// each gets the width its texts need, else in as few rows as let them,
// without their curves then (the chart keeps its room).
#pragma once

#include <QPointer>
#include <QWidget>
#include <vector>

class QGridLayout;

namespace cellwatch {

class ChannelCard;
class Recording;

class ChannelStrip : public QWidget {
    Q_OBJECT
public:
    explicit ChannelStrip(QWidget* parent = nullptr);

    // One card per recording, in order; the strip shows with two or more.
    void setRecordings(const std::vector<Recording*>& recordings);
    int count() const { return static_cast<int>(cards_.size()); }
    // nullptr out of range.
    ChannelCard* card(int channel) const;

    // The channel shown on the chart (its card is marked); -1 for none.
    void setChosen(int channel);
    int chosen() const { return chosen_; }
    void markAlarm(int channel, bool on);
    // How many cards stand side by side.
    int columns() const { return columns_; }

signals:
    // The user chose a card (a click, or Enter, Return or Space on it).
    void channelChosen(int channel);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    void moveFocus(int channel, int step);
    // Places the cards in as many columns as the strip's width holds.
    void placeCards();

    QGridLayout* grid_ = nullptr;
    int columns_ = 0;
    std::vector<QPointer<ChannelCard>> cards_;
    int chosen_ = -1;
};

}  // namespace cellwatch
