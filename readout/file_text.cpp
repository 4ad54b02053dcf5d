#include "readout/file_text.h"

#include <QFile>
#include <cstring>
#include <stdexcept>

#include "serial/file_open.h"

namespace cellwatch {
namespace {

// What readTextLines() reads at a time.
constexpr std::size_t kTextBlockBytes = std::size_t{4} << 20;

}  // namespace

void cannotReadRecording(const QString& fileName, const QString& why) {
    throw std::runtime_error(
        QStringLiteral("Cannot read %1: %2.").arg(fileName, why).toStdString());
}

void notARecording(const QString& fileName, const QString& reason) {
    throw std::runtime_error(
        QStringLiteral("%1 is not a recording: %2").arg(fileName, reason).toStdString());
}

FileBytes::FileBytes(const QString& fileName) {
    FileContents contents =
        readRegularFile(QFile::encodeName(fileName).toStdString(), kMaxRecordingBytes);
    if (!contents.ok()) {
        QString why = QString::fromStdString(contents.why);
        if (why.startsWith(QLatin1String("it is larger"))) {
            why += QStringLiteral(", more than any recording");
        }
        throw std::runtime_error(
            QStringLiteral("Cannot read %1: %2.").arg(fileName, why).toStdString());
    }
    copy_ = std::move(contents.bytes);
    cut_ = contents.shrank;
}

std::string_view recordingText(const FileBytes& bytes) {
    std::string_view text(bytes.begin(), static_cast<std::size_t>(bytes.end() - bytes.begin()));
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    while (!text.empty() && text.back() == '\0') {
        text.remove_suffix(1);
    }
    return text;
}

bool readTextLines(const QString& fileName,
                   const std::function<void(std::string_view text, bool last)>& lines) {
    std::string why;
    const int fd = openRegularFile(QFile::encodeName(fileName).toStdString(), why);
    QFile file;
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        cannotReadRecording(fileName, fd < 0 ? QString::fromStdString(why) : file.errorString());
    }
    const qint64 size = file.size();
    const auto tooLarge = [&fileName] {
        cannotReadRecording(fileName,
                            QStringLiteral("it is larger than %1, more than any recording")
                                .arg(QString::fromStdString(byteCountText(kMaxRecordingBytes))));
    };
    if (size > static_cast<qint64>(kMaxRecordingBytes)) {
        tooLarge();
    }
    // The file is read into the buffer after the line not yet whole (kept
    // at its start), and the whole lines are handed on from there: no byte
    // is copied twice.
    std::string buffer(kTextBlockBytes, '\0');
    std::size_t pending = 0;  // the bytes of the line not yet whole
    std::size_t total = 0;
    std::size_t textBytes = 0;
    bool nulSeen = false;  // NUL bytes are allowed at the very end only
    for (;;) {
        if (buffer.size() - pending < kTextBlockBytes / 2) {
            buffer.resize(pending + kTextBlockBytes);  // a line longer than a block
        }
        char* const room = buffer.data() + pending;
        const qint64 got = file.read(room, static_cast<qint64>(buffer.size() - pending));
        if (got < 0) {
            cannotReadRecording(fileName, file.errorString());
        }
        if (got == 0) {
            break;
        }
        std::string_view part(room, static_cast<std::size_t>(got));
        if (total == 0 && part.substr(0, 3) == "\xEF\xBB\xBF") {
            part.remove_prefix(3);
        }
        total += static_cast<std::size_t>(got);
        if (total > kMaxRecordingBytes) {
            tooLarge();
        }
        const std::size_t nul = nulSeen ? 0 : part.find('\0');
        if (nul != std::string_view::npos) {
            if (part.find_first_not_of('\0', nul) != std::string_view::npos) {
                notARecording(fileName, QStringLiteral("it holds binary data."));
            }
            nulSeen = true;
            part = part.substr(0, nul);
        }
        textBytes += part.size();
        if (part.data() != room) {
            std::memmove(room, part.data(), part.size());  // the byte-order mark goes
        }
        const std::size_t filled = pending + part.size();
        const std::size_t lastBreak = std::string_view(room, part.size()).rfind('\n');
        if (lastBreak == std::string_view::npos) {
            pending = filled;
            continue;
        }
        const std::size_t whole = pending + lastBreak + 1;
        lines(std::string_view(buffer.data(), whole), false);
        pending = filled - whole;
        std::memmove(buffer.data(), buffer.data() + whole, pending);
    }
    if (textBytes == 0) {
        notARecording(fileName, QStringLiteral("the file is empty."));
    }
    lines(std::string_view(buffer.data(), pending), true);
    return static_cast<qint64>(total) < size;
}

}  // namespace cellwatch
