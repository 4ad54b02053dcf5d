#include "app/channel_strip.h"

#include <QEvent>
#include <QGridLayout>
#include <algorithm>
#include <memory>

#include "app/channel_card.h"
#include "readout/recording.h"

namespace cellwatch {
namespace {

// Feeds one card from its recording while the card lives.
class CardFeed final : public RecordingView {
public:
    explicit CardFeed(ChannelCard* card) : card_(card) {}

    void reset(const Recording&) override {
        if (card_) {
            card_->clearCurve();
        }
    }
    void accepted(const Recording& recording, const Reading& reading) override {
        if (card_) {
            card_->showReading(reading, recording.lastX());
        }
    }
    void idle(const Recording&) override {
        if (card_) {
            card_->showIdle();
        }
    }

private:
    QPointer<ChannelCard> card_;
};

}  // namespace

ChannelStrip::ChannelStrip(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ChannelStrip"));
    grid_ = new QGridLayout(this);
    grid_->setContentsMargins(2, 2, 2, 2);
    grid_->setSpacing(4);
    setVisible(false);
}

void ChannelStrip::setRecordings(const std::vector<Recording*>& recordings) {
    for (const QPointer<ChannelCard>& card : cards_) {
        delete card.data();
    }
    cards_.clear();
    for (std::size_t i = 0; i < recordings.size(); ++i) {
        auto* card = new ChannelCard(static_cast<int>(i), this);
        connect(card, &ChannelCard::chosenByUser, this, [this](int channel) {
            setChosen(channel);
            emit channelChosen(channel);
        });
        connect(card, &ChannelCard::focusStep, this, &ChannelStrip::moveFocus);
        cards_.emplace_back(card);
        if (recordings[i] != nullptr) {
            recordings[i]->subscribe(std::make_unique<CardFeed>(card));
        }
    }
    // Tab goes along the cards in their order.
    for (std::size_t i = 1; i < cards_.size(); ++i) {
        setTabOrder(cards_[i - 1], cards_[i]);
    }
    if (chosen_ >= count()) {
        chosen_ = -1;
    }
    if (ChannelCard* shown = card(chosen_)) {
        shown->setChosen(true);
    }
    columns_ = 0;
    placeCards();
    setVisible(recordings.size() > 1);
}

void ChannelStrip::placeCards() {
    const int cards = count();
    if (cards == 0) {
        columns_ = 0;
        return;
    }
    int widest = 0;
    for (int i = 0; i < cards; ++i) {
        widest = std::max(widest, card(i)->minimumSizeHint().width());
    }
    const QMargins margins = grid_->contentsMargins();
    const int room = width() - margins.left() - margins.right();
    const int spacing = grid_->horizontalSpacing();
    const int fit = std::clamp((room + spacing) / std::max(1, widest + spacing), 1, cards);
    // As few rows as hold them, the cards spread evenly over them.
    const int rows = (cards + fit - 1) / fit;
    const int columns = (cards + rows - 1) / rows;
    if (columns == columns_) {
        return;
    }
    columns_ = columns;
    for (int i = 0; i < cards; ++i) {
        grid_->removeWidget(card(i));
    }
    for (int column = 0; column < std::max(grid_->columnCount(), columns); ++column) {
        grid_->setColumnStretch(column, column < columns ? 1 : 0);
    }
    for (int i = 0; i < cards; ++i) {
        grid_->addWidget(card(i), i / columns, i % columns);
        card(i)->setCurveShown(rows == 1);
    }
}

void ChannelStrip::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeCards();
}

bool ChannelStrip::event(QEvent* event) {
    // A card's texts or language changed what it needs.
    if (event->type() == QEvent::LayoutRequest) {
        placeCards();
    }
    return QWidget::event(event);
}

ChannelCard* ChannelStrip::card(int channel) const {
    return channel >= 0 && channel < count() ? cards_[static_cast<std::size_t>(channel)].data()
                                             : nullptr;
}

void ChannelStrip::setChosen(int channel) {
    chosen_ = channel >= 0 && channel < count() ? channel : -1;
    for (int i = 0; i < count(); ++i) {
        card(i)->setChosen(i == chosen_);
    }
}

void ChannelStrip::markAlarm(int channel, bool on) {
    if (ChannelCard* marked = card(channel)) {
        marked->setAlarm(on);
    }
}

void ChannelStrip::moveFocus(int channel, int step) {
    if (ChannelCard* next = card(channel + step)) {
        next->setFocus(Qt::OtherFocusReason);
    }
}

}  // namespace cellwatch
