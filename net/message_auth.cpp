#include "net/message_auth.h"

#include <QMessageAuthenticationCode>
#include <algorithm>

namespace cellwatch::net {
namespace {

constexpr qsizetype kTagBytes = 16;
constexpr qsizetype kSequenceBytes = 8;
constexpr auto kBase64 = QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals;
// `,"auth":"` before the token and `"}` after it, in a JSON message.
constexpr const char* kJsonBefore = ",\"auth\":\"";
constexpr qsizetype kJsonBeforeChars = 9;
constexpr qsizetype kJsonTrailerChars = kJsonBeforeChars + MessageAuth::kTokenChars + 2;

bool isJsonTopic(const QString& topic) {
    return topic.endsWith(QLatin1String("/row")) || topic.endsWith(QLatin1String("/event")) ||
           topic.endsWith(QLatin1String("/resume"));
}

QByteArray sequenceBytes(std::uint64_t sequence) {
    QByteArray out(kSequenceBytes, '\0');
    for (qsizetype i = kSequenceBytes; i-- > 0;) {
        out[i] = static_cast<char>(sequence & 0xFF);
        sequence >>= 8;
    }
    return out;
}

}  // namespace

void SignSequence::beginConnection(std::int64_t nowSeconds) {
    epoch_ =
        std::max(static_cast<std::uint64_t>(std::max<std::int64_t>(nowSeconds, 0)), epoch_ + 1);
    index_ = 0;
}

std::uint64_t SignSequence::next() {
    if (index_ + 1 >= kWillIndex) {
        // A connection of 4 million messages: a later epoch, whose numbers
        // still come after this one's.
        beginConnection(0);
    }
    return (epoch_ << kIndexBits) | index_++;
}

QByteArray MessageAuth::tag(const QString& topic, const QByteArray& payload,
                            std::uint64_t sequence) const {
    QMessageAuthenticationCode mac(QCryptographicHash::Sha256, key_);
    mac.addData(QByteArrayLiteral("cw1\0"));
    mac.addData(topic.toUtf8());
    mac.addData(QByteArrayLiteral("\0"));
    mac.addData(sequenceBytes(sequence));
    mac.addData(payload);
    return mac.result().left(kTagBytes);
}

QByteArray MessageAuth::sign(const QString& topic, const QByteArray& payload,
                             std::uint64_t sequence) const {
    const QByteArray token =
        (sequenceBytes(sequence) + tag(topic, payload, sequence)).toBase64(kBase64);
    if (isJsonTopic(topic) && payload.endsWith('}') && payload.size() > 2) {
        return payload.chopped(1) + kJsonBefore + token + "\"}";
    }
    return payload + '~' + token;
}

bool MessageAuth::looksSigned(const QString& topic, const QByteArray& wire) {
    if (isJsonTopic(topic)) {
        return wire.size() > kJsonTrailerChars && wire.endsWith("\"}") &&
               wire.mid(wire.size() - kJsonTrailerChars, kJsonBeforeChars) == kJsonBefore;
    }
    return wire.size() > kTokenChars && wire[wire.size() - kTokenChars - 1] == '~';
}

std::optional<MessageAuth::Verified> MessageAuth::verify(const QString& topic,
                                                         const QByteArray& wire) const {
    QByteArray payload;
    QByteArray token;
    if (isJsonTopic(topic)) {
        if (wire.size() <= kJsonTrailerChars || !wire.endsWith("\"}")) {
            return std::nullopt;
        }
        const qsizetype at = wire.size() - kJsonTrailerChars;
        if (wire.mid(at, kJsonBeforeChars) != kJsonBefore) {
            return std::nullopt;
        }
        payload = wire.left(at) + '}';
        token = wire.mid(at + kJsonBeforeChars, kTokenChars);
    } else {
        if (wire.size() < kTokenChars + 1 || wire[wire.size() - kTokenChars - 1] != '~') {
            return std::nullopt;
        }
        payload = wire.left(wire.size() - kTokenChars - 1);
        token = wire.right(kTokenChars);
    }
    const QByteArray::FromBase64Result result =
        QByteArray::fromBase64Encoding(token, kBase64 | QByteArray::AbortOnBase64DecodingErrors);
    if (!result || result.decoded.size() != kSequenceBytes + kTagBytes) {
        return std::nullopt;
    }
    const QByteArray& decoded = result.decoded;
    std::uint64_t sequence = 0;
    for (qsizetype i = 0; i < kSequenceBytes; ++i) {
        sequence = (sequence << 8) | static_cast<std::uint8_t>(decoded[i]);
    }
    const QByteArray expected = tag(topic, payload, sequence);
    // Compared in constant time: how much of a forged tag matched shows nowhere.
    unsigned difference = 0;
    for (qsizetype i = 0; i < kTagBytes; ++i) {
        difference |= static_cast<unsigned>(static_cast<std::uint8_t>(expected[i]) ^
                                            static_cast<std::uint8_t>(decoded[kSequenceBytes + i]));
    }
    if (difference != 0) {
        return std::nullopt;
    }
    return Verified{std::move(payload), sequence};
}

}  // namespace cellwatch::net
