// A row of channel cards (app/channel_card.h), one per channel of a charger
// with several. Channels count from 0 here (card 0 shows "1").
//
// Each recording given gets a view subscribed to it that feeds its card. A
// recording keeps its views as long as it lives, so a view whose card is
// gone (the strip given other recordings, or closed) does nothing.
//
// With no recording or only one the strip is hidden: a charger of one
// channel shows what it always showed.
#pragma once

#include <QPointer>
#include <QWidget>
#include <vector>

class QHBoxLayout;

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
    void setLanguage(bool chinese);

signals:
    // The user chose a card (a click, or Enter, Return or Space on it).
    void channelChosen(int channel);

private:
    void moveFocus(int channel, int step);

    QHBoxLayout* row_ = nullptr;
    std::vector<QPointer<ChannelCard>> cards_;
    int chosen_ = -1;
    bool chinese_ = false;
};

}  // namespace cellwatch
