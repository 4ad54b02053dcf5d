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
// installed program has it). When neither exists, the path beside the program.
QString localHelpFile(const QString& programDir);
QString localHelpFile();

}  // namespace cellwatch
