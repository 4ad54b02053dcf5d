// The help page: the project's online page when the computer is online,
// otherwise the local page "ad.htm" beside the program.
#pragma once

#include <QString>

namespace cellwatch {

// The online help page.
inline constexpr const char* kOnlineHelpAddress = "https://cellwatch.example.org/help/";

// Whether the system reports a working internet connection. Asks the
// platform's network information backend, which answers at once; no backend,
// or an unknown answer, counts as offline.
bool IsOnline();

// The local page "ad.htm": in the program's folder (the build copies it
// beside the program), else in ../share/cellwatch from there (where the
// installed program has it); only a regular file counts. When neither is
// one, the path beside the program (or the shared one, when something that
// is no page, say a FIFO, lies beside the program and nothing at the other).
QString localHelpFile(const QString& programDir);
QString localHelpFile();

// The local page's HTML, read whole (4 MiB at most) through the program's
// one opener: a FIFO, a device or a directory in its place is refused at
// once. Empty when it cannot be read, with `why` (when given) saying so;
// `why` is emptied otherwise. For a viewer that shows the page with
// setHtml() (and the page's folder as its search path) instead of opening
// the file itself.
QString readLocalHelpPage(const QString& file, QString* why = nullptr);

}  // namespace cellwatch
