// The live recordings' packs of a charger of several channels: each channel
// has a pack choice of its own (View > Pack… names the pack of the channel
// shown), and each channel's journal is filed under its channel's pack as
// its first row with cells comes. A charger of one channel has channel 1's
// choice alone, as it always had.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

#include "app/pack_choice.h"

namespace cellwatch {

namespace session {
class LiveSession;
}

class ChannelPacks final : public QObject {
    Q_OBJECT
public:
    struct Parts {
        QWidget& owner;
        Settings& settings;
        const WindowHooks& hooks;
        session::LiveSession& session;
        std::function<QString()> folder;  // the recordings folder
        std::function<int()> shown;       // the channel shown (1 ...)
        std::function<void(const QString&)> tell;
    };
    explicit ChannelPacks(Parts parts, QObject* parent = nullptr);
    ~ChannelPacks() override;

    // The pack of the channel shown.
    PackInfo chosen() const { return of(shown()); }
    // The pack of channel `channel` (1 ...).
    PackInfo of(int channel) const;
    // Asks for the shown channel's pack; true when the user chose.
    bool choose();
    PackChoice& choice(int channel) const;

private:
    int shown() const;
    void rowAppended(int channel, int row);

    Parts parts_;
    // Made as a channel first needs one; [0] is channel 1's.
    mutable std::vector<std::unique_ptr<PackChoice>> choices_;
};

}  // namespace cellwatch
