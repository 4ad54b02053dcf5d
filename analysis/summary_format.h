// A recording's summary as JSON (the report's --json) and as aligned text.
#pragma once

#include <QJsonObject>
#include <QString>

#include "analysis/recording_summary.h"

namespace cellwatch {

// The keys: file, start (ISO 8601 with its UTC offset, or null), battery,
// kind, rows, duration_s, capacity_mah, energy_wh (4 decimals),
// current_avg_a, current_max_a, voltage_first_v, voltage_last_v,
// voltage_max_v, temp_ext_max_c, temp_int_max_c, cells, cells_last_v,
// cell_spread_max_v, cell_spread_max_at_s, pack and note (null when none);
// all numbers as JSON numbers.
QJsonObject summaryJson(const RecordingSummaryValues& summary, const QString& file);

// Several lines, the file first, then one value a line, aligned.
QString summaryText(const RecordingSummaryValues& summary, const QString& file);

// Measured values carry two or three decimals; sums and means are shown to
// four, so that floating-point residue (0.11999999) never reaches the page.
double round4(double value);
// A number with a fixed number of decimals, locale-free ("12.60").
QString fixed(double value, int decimals);
// A number in its shortest plain form, up to four decimals and never with an
// exponent ("1000000", "12.5"); "-" for a value that is not finite.
QString plain(double value);

// A text on one line: line breaks as blanks, outer blanks removed (a note).
QString oneLine(const QString& text);

// H:mm:ss of whole seconds.
QString durationText(double seconds);

}  // namespace cellwatch
