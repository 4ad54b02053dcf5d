#include "links/emulator_link.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <stdexcept>

#include "protocol/frames_text.h"

namespace cellwatch {

namespace {

constexpr int kStartWaitMs = 5000;
constexpr int kEndWaitMs = 2000;

// The bytes of a line of hex pairs (spaces allowed); false when it is not one.
bool hexBytes(const QByteArray& line, QByteArray& out) {
    out.clear();
    int high = -1;
    for (const char c : line) {
        if (c == ' ' || c == '\t') {
            continue;
        }
        const int v = hexDigit(c);
        if (v < 0) {
            return false;
        }
        if (high < 0) {
            high = v;
        } else {
            out.append(static_cast<char>(high * 16 + v));
            high = -1;
        }
    }
    return high < 0 && !out.isEmpty();
}

}  // namespace

QString findEmulatorProgram() {
    const QString given = qEnvironmentVariable("CELLWATCH_EMULATOR");
    if (!given.isEmpty()) {
        return QFileInfo(given).isExecutable() ? given : QString();
    }
    const QString here = QCoreApplication::applicationDirPath();
    for (const QString& folder :
         {here, here + QStringLiteral("/tools"), QStringLiteral("/usr/bin")}) {
        const QFileInfo program(QDir(folder).filePath(QStringLiteral("cellwatch-emulator")));
        if (program.isFile() && program.isExecutable()) {
            return program.absoluteFilePath();
        }
    }
    return {};
}

EmulatorLink::EmulatorLink(QString charger, QString model, QObject* parent)
    : MessageLink(parent), charger_(std::move(charger)), model_(std::move(model)) {
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(&process_, &QProcess::readyReadStandardOutput, this, &EmulatorLink::readLines);
    connect(&process_, &QProcess::finished, this, &EmulatorLink::ended);
}

EmulatorLink::~EmulatorLink() {
    process_.disconnect(this);
    close();
}

QString EmulatorLink::name() const {
    return QStringLiteral("emulator:") + charger_ + (model_.isEmpty() ? QString() : u':' + model_);
}

void EmulatorLink::open() {
    close();
    const QString program = findEmulatorProgram();
    if (program.isEmpty()) {
        throw std::runtime_error(
            "cellwatch-emulator is not there (beside the program or in /usr/bin)");
    }
    QStringList arguments{QStringLiteral("--charger"), charger_};
    if (!model_.isEmpty()) {
        arguments << QStringLiteral("--model") << model_;
    }
    closing_ = false;
    process_.start(program, arguments);
    if (!process_.waitForStarted(kStartWaitMs)) {
        throw std::runtime_error("cellwatch-emulator could not start: " +
                                 process_.errorString().toStdString());
    }
}

void EmulatorLink::close() {
    if (process_.state() == QProcess::NotRunning) {
        return;
    }
    closing_ = true;
    process_.closeWriteChannel();  // the emulator ends at the end of its input
    if (!process_.waitForFinished(kEndWaitMs)) {
        process_.kill();
        process_.waitForFinished(kEndWaitMs);
    }
}

bool EmulatorLink::write(std::span<const std::uint8_t> message, std::string_view target) {
    if (!isOpen() || message.empty()) {
        return false;
    }
    QByteArray line;
    if (!target.empty()) {
        line = '@' + QByteArray(target.data(), static_cast<qsizetype>(target.size())) + ' ';
    }
    line += QByteArray(reinterpret_cast<const char*>(message.data()),
                       static_cast<qsizetype>(message.size()))
                .toHex(' ');
    line += '\n';
    return process_.write(line) == line.size();
}

void EmulatorLink::readLines() {
    QByteArray message;
    while (process_.canReadLine()) {
        const QByteArray line = process_.readLine().trimmed();
        if (hexBytes(line, message)) {
            emit received(message);
        } else if (!line.isEmpty()) {
            ++otherLines_;
        }
    }
}

void EmulatorLink::ended() {
    if (closing_) {
        return;
    }
    emit lost(QStringLiteral("the emulator ended"));
}

}  // namespace cellwatch
