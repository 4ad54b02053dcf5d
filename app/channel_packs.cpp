#include "app/channel_packs.h"

#include <QCoreApplication>
#include <algorithm>

#include "analysis/range_stats.h"
#include "readout/journal.h"
#include "readout/row_store.h"
#include "session/journal_pack.h"
#include "session/live_session.h"

namespace cellwatch {

ChannelPacks::ChannelPacks(Parts parts, QObject* parent)
    : QObject(parent), parts_(std::move(parts)) {
    connect(&parts_.session, &session::LiveSession::channelRowAppended, this,
            &ChannelPacks::rowAppended);
}

ChannelPacks::~ChannelPacks() = default;

int ChannelPacks::shown() const {
    return std::clamp(parts_.shown ? parts_.shown() : 1, 1, parts_.session.channelCount());
}

PackChoice& ChannelPacks::choice(int channel) const {
    const auto index = static_cast<std::size_t>(std::max(channel, 1) - 1);
    if (choices_.size() <= index) {
        choices_.resize(index + 1);
    }
    if (!choices_[index]) {
        session::LiveSession& session = parts_.session;
        choices_[index] = std::make_unique<PackChoice>(PackChoice::Parts{
            parts_.owner, parts_.settings, parts_.hooks, parts_.folder,
            [&session, channel] {
                // The channel's journal while it writes one (a channel
                // gone has none).
                if (channel > session.channelCount() || !session.journaling(channel)) {
                    return QString();
                }
                const Journal* journal = session.journal(channel);
                return journal != nullptr ? journal->path() : QString();
            },
            parts_.tell, channel,
            [&session, channel] {
                return session.channelCount() > 1
                           ? QCoreApplication::translate("ChannelPacks", "Channel %1").arg(channel)
                           : QString();
            }});
    }
    return *choices_[index];
}

PackInfo ChannelPacks::of(int channel) const {
    return choice(channel).chosen();
}

bool ChannelPacks::choose() {
    return choice(shown()).choose();
}

void ChannelPacks::rowAppended(int channel, int row) {
    PackChoice& pack = choice(channel);
    if (!pack.tagPending()) {
        return;
    }
    // The row's cells in use, as the alarms and the summary count them.
    TableRangeRows rows(parts_.session.rows(channel));
    const std::size_t index = row > 0 ? static_cast<std::size_t>(row - 1) : 0;
    pack.tagJournal(index < rows.rowCount() ? session::cellsInUse(rows.numbers(index).cells) : 0);
}

}  // namespace cellwatch
