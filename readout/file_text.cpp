#include "readout/file_text.h"

#include <QFile>
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
    std::string block(kTextBlockBytes, '\0');
    std::string pending;  // the lines not yet whole
    std::size_t total = 0;
    std::size_t textBytes = 0;
    bool nulSeen = false;  // NUL bytes are allowed at the very end only
    for (;;) {
        const qint64 got = file.read(block.data(), static_cast<qint64>(block.size()));
        if (got < 0) {
            cannotReadRecording(fileName, file.errorString());
        }
        if (got == 0) {
            break;
        }
        std::string_view part(block.data(), static_cast<std::size_t>(got));
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
        pending.append(part);
        const std::size_t lastBreak = pending.rfind('\n');
        if (lastBreak != std::string::npos) {
            lines(std::string_view(pending.data(), lastBreak + 1), false);
            pending.erase(0, lastBreak + 1);
        }
    }
    if (textBytes == 0) {
        notARecording(fileName, QStringLiteral("the file is empty."));
    }
    lines(pending, true);
    return static_cast<qint64>(total) < size;
}

}  // namespace cellwatch
