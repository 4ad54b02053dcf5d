// Ctrl-C and SIGTERM (stop) and SIGUSR1 (a new address for the page) reach
// the log's event loop through pipes of their own: the handlers only write
// one byte, the loop watches the pipes' read ends.
#pragma once

namespace cellwatch::logger {

// Installs the handlers and ignores SIGPIPE (a reader that goes away makes
// writes fail with EPIPE, reported as such). False when the pipes cannot
// be made.
bool catchSignals();

// The read ends: readable once the signal came, until drained.
int stopSignalFd();
int renewSignalFd();

// Reads all that waits in `fd` (a read end above).
void drainSignal(int fd);

}  // namespace cellwatch::logger
