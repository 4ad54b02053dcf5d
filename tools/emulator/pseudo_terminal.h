// A pseudo-terminal that stands in for the charger's serial port. The
// receiver opens the slave side like any serial device; the emulator writes
// to the master side.
#pragma once

#include <string>

namespace cellwatch::emulator {

class PseudoTerminal {
public:
    // Creates the pair, puts the slave in raw mode at 9600 baud and closes the
    // emulator's own slave descriptor, so that the master reports POLLHUP
    // whenever no other program has the slave open. The master is
    // non-blocking. Throws std::system_error.
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    int masterFd() const { return master_; }
    const std::string& slavePath() const { return slavePath_; }

    // Whether some program has the slave open. Discards whatever the listener
    // sent, and when a listener has gone away, the bytes it left unread, so
    // that the next one starts with fresh messages as on a real line.
    bool listenerPresent();

private:
    void dropLeftovers() const;

    int master_ = -1;
    std::string slavePath_;
    bool hadListener_ = false;
};

}  // namespace cellwatch::emulator
