// Why the MQTT client's connection to its broker failed or was lost, as a
// kind with its figures: a window words it in its language, the log tools
// keep the English line (brokerFailureLine). Where the words are another
// part's own (the system's, the resolver's, the TLS library's), they come in
// `detail` and a window shows them after a lead of its own language.
#pragma once

#include <QString>
#include <cstdint>

namespace cellwatch::net {

struct BrokerFailure {
    enum class Kind {
        Other,             // `detail`: the library's or the system's words
        ConnectionFailed,  // the connection failed, and nothing says why
        PortClosed,  // nothing takes connections at the broker's port; `detail`: the system's words
        HostNotFound,   // `detail`: the resolver's words
        KeepAlive,      // no answer to the keep-alive
        TimedOut,       // the library timed out
        Administrator,  // disconnected by the broker's administrator
        LibraryCode,    // `number`: a code of the library without words
        Refused,   // the broker refused: `number` its answer's code, `detail` the library's words
        NoAnswer,  // no answer within `seconds`
        AcceptedNoAnswer,    // accepted at `detail` (the broker), no answer within `seconds`
        Disconnected,        // the client disconnected
        NotReading,          // the broker reads nothing; `kilobytes` wait
        StoppedAnswering,    // nothing from the broker for `seconds`; `kilobytes` wait (0: none)
        UnknownAuthority,    // the certificate is signed by an authority not trusted here
        Expired,             // the certificate has expired
        NotYetValid,         // the certificate is not valid yet
        OtherHost,           // the certificate is for another host name than `detail`
        CertificateRefused,  // `detail`: the TLS library's words
        TlsFailed,           // `detail`: the TLS library's logged line
    };
    Kind kind = Kind::ConnectionFailed;
    QString detail{};
    std::int64_t number = 0;
    int seconds = 0;
    std::int64_t kilobytes = 0;

    bool operator==(const BrokerFailure&) const = default;
};

// The English line of a failure.
QString brokerFailureLine(const BrokerFailure& failure);

}  // namespace cellwatch::net
