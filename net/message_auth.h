// Messages signed with a charger's shared key (see messages.h for the wire
// format): the publisher signs every message it publishes, a watcher given
// the same key takes only what verifies and is newer than what it took on
// the same topic.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace cellwatch::net {

// The sequence numbers of one publisher: the connection's epoch (ms since
// 1970, and never less than one more than the previous epoch) in the high
// 42 bits, the message's index in the connection in the low 22. The last
// index of a connection is its will's, so that the will comes after
// everything the connection published and before anything of the next.
// After 4 million messages in one connection the epoch steps on by one:
// the numbers still grow, and the will still comes after the start.
class SignSequence {
public:
    static constexpr int kIndexBits = 22;
    static constexpr std::uint64_t kWillIndex = (std::uint64_t{1} << kIndexBits) - 1;

    // A new connection at `nowMs` since 1970.
    void beginConnection(std::int64_t nowMs);
    // The next message's number (the index stops short of the will's).
    std::uint64_t next();
    // The will's number of the present connection.
    std::uint64_t will() const { return (epoch_ << kIndexBits) | kWillIndex; }

private:
    std::uint64_t epoch_ = 0;
    std::uint64_t index_ = 0;
};

class MessageAuth {
public:
    // The shortest key taken, in bytes.
    static constexpr qsizetype kMinKeyBytes = 16;
    // The fewest different bytes in a key taken.
    static constexpr qsizetype kMinKeyDistinct = 8;
    // Whether `wire` carries a token at all (signed with some key).
    static bool looksSigned(const QString& topic, const QByteArray& wire);
    // The token's length: base64url of the sequence and the tag, unpadded.
    static constexpr qsizetype kTokenChars = 32;

    explicit MessageAuth(QByteArray key) : key_(std::move(key)) {}

    // `payload` as published on `topic` with the sequence number `sequence`.
    QByteArray sign(const QString& topic, const QByteArray& payload, std::uint64_t sequence) const;

    struct Verified {
        QByteArray payload;
        std::uint64_t sequence = 0;
    };
    // The payload of a message signed with this key for `topic`; nothing
    // when it carries no token, or one made with another key, for another
    // topic or over other bytes.
    std::optional<Verified> verify(const QString& topic, const QByteArray& wire) const;

private:
    QByteArray tag(const QString& topic, const QByteArray& payload, std::uint64_t sequence) const;

    QByteArray key_;
};

}  // namespace cellwatch::net
