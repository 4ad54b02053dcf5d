// Rows of recordings made by construction, with the answers known: the
// texts a journal holds, from numbers.
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "protocol/reading_format.h"

namespace cellwatch::made {

struct Reading {
    double seconds = 0;
    const char* state = "+CHG+";
    double volts = 0;
    double amps = 0;  // signed: negative while discharging
    double mah = 0;
    std::vector<double> cells;  // V; absent ones left out
    double ext = 25;
};

inline QString hundredthsText(double value) {
    return QString::number(std::round(value * 100.0) / 100.0, 'f', 2);
}

// The 22 texts of a reading, numbers to the charger's 0.01 resolution.
inline QStringList rowTexts(const Reading& r) {
    QStringList t{QString::fromStdString(ReadingFormat::elapsedText(
                      static_cast<std::uint32_t>(std::llround(r.seconds)) * 1000U)),
                  "LiIo/Po/Fe",
                  r.state,
                  QString::number(std::lround(r.ext)),
                  "30",
                  "15.00",
                  hundredthsText(r.volts),
                  hundredthsText(r.amps),
                  QString::number(std::llround(r.mah)),
                  hundredthsText(std::fabs(r.volts * r.amps))};
    for (std::size_t c = 0; c < 12; ++c) {
        t << (c < r.cells.size() ? hundredthsText(r.cells[c]) : QStringLiteral("0.00"));
    }
    return t;
}

inline std::vector<QStringList> rowsOf(const std::vector<Reading>& readings) {
    std::vector<QStringList> rows;
    rows.reserve(readings.size());
    for (const Reading& r : readings) {
        rows.push_back(rowTexts(r));
    }
    return rows;
}

// A constant-current run: `seconds` rows a second apart from `start`, the
// counter counting from `fromMah` at |amps|.
inline void appendRun(std::vector<Reading>& out, const char* state, double start, int seconds,
                      double volts, double amps, double fromMah, std::vector<double> cells) {
    for (int k = 0; k < seconds; ++k) {
        Reading r;
        r.seconds = start + k;
        r.state = state;
        r.volts = volts;
        r.amps = amps;
        r.mah = fromMah + std::fabs(amps) * k / 3.6;
        r.cells = cells;
        out.push_back(r);
    }
}

}  // namespace cellwatch::made
