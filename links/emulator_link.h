// A charger played by cellwatch-emulator, reached the way a USB HID or
// Bluetooth LE charger is: message by message. The emulator runs as a child
// program that takes one request per line in hex on its standard input
// ("@TARGET " in front for a Bluetooth characteristic) and writes each
// reply as one line of hex; each reply line is one message. It is how the
// drivers of polled chargers are tried, shown and tested on a computer
// without the charger.
//
// Named "emulator:CHARGER" or "emulator:CHARGER:MODEL" as a port
// ("emulator:skyrc:T1000", "emulator:isdt:C4 Air").
#pragma once

#include <QProcess>
#include <QString>

#include "links/message_link.h"

namespace cellwatch {

// cellwatch-emulator beside the running program (or in its tools folder, as
// in a build tree), else in /usr/bin; CELLWATCH_EMULATOR names another. ""
// when there is none.
QString findEmulatorProgram();

class EmulatorLink final : public MessageLink {
    Q_OBJECT
public:
    EmulatorLink(QString charger, QString model, QObject* parent = nullptr);
    ~EmulatorLink() override;

    QString name() const override;
    // Throws when the emulator is not there or does not start.
    void open() override;
    void close() override;
    bool isOpen() const override { return process_.state() == QProcess::Running; }
    bool write(std::span<const std::uint8_t> message, std::string_view target = {}) override;
    // Lines that were not hex (the emulator's "# bad request: ..."), so far.
    int otherLines() const { return otherLines_; }

private:
    void readLines();
    void ended();

    QString charger_;
    QString model_;
    QProcess process_;
    bool closing_ = false;
    int otherLines_ = 0;
};

}  // namespace cellwatch
