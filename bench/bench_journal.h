// A long journal written as the program writes one, for the benchmarks that
// open recordings: one row a second, `cells` cells (1..12).
//   Sawtooth: every value goes round a 50-second sawtooth, cell 2 10 mV above
//             the others (every pixel column of a zoomed-out chart spans
//             the whole range: the hardest case for the curves).
//   Charges:  the cells as a day of logging has them: 2-hour charges from
//             3.70 to 4.20 V one after the other, each cell with its own
//             10 mV of noise and cell 3 lagging 20 mV behind.
#pragma once

#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

#include "protocol/decimal.h"
#include "protocol/reading_format.h"
#include "readout/row_store.h"

namespace cellwatch::bench {

enum class CellPattern { Sawtooth, Charges };

inline int cellHundredths(CellPattern pattern, int row, int cell) {
    if (pattern == CellPattern::Sawtooth) {
        return 370 + row % 50 + (cell == 1 ? 1 : 0);
    }
    const int noise = static_cast<int>((static_cast<unsigned>(row) * 2654435761U +
                                        static_cast<unsigned>(cell) * 40503U) >>
                                       30) %
                          3 -
                      1;
    return 370 + 50 * (row % 7200) / 7200 + noise - (cell == 2 ? 2 : 0);
}

inline QString writeChargeJournal(const QTemporaryDir& dir, int rows, int cells = 3,
                                  CellPattern pattern = CellPattern::Sawtooth) {
    const QString path = dir.filePath(QStringLiteral("cellwatch-20261205-143012.csv"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
    QByteArray bytes(
        "\xEF\xBB\xBF# cellwatch 1.10.0; port=/dev/ttyUSB0; start=2026-12-05T14:30:12+01:00; "
        "battery=LiIo/Po/Fe\r\n");
    QStringList header;
    for (int c = 1; c <= kRowFieldCount; ++c) {
        header << RowStore::headerText(c);
    }
    bytes += header.join(u',').toUtf8() + "\r\n";
    // The texts as the program writes them: two decimals for the voltages,
    // the current and the power, the shortest plain form for the rest.
    const auto plain = [](int hundredths) {
        return QString::fromStdString(Decimal::fromHundredths(hundredths).plainText());
    };
    const auto two = [](int hundredths) {
        return QString::fromStdString(Decimal::fromHundredths(hundredths).format(kFormat2));
    };
    for (int k = 1; k <= rows; ++k) {
        int volts = 0;  // hundredths of a volt, as the cells
        QString cellTexts;
        for (int c = 0; c < 12; ++c) {
            cellTexts += u',';
            if (c < cells) {
                const int cell = cellHundredths(pattern, k, c);
                volts += cell;
                cellTexts += plain(cell);
            } else {
                cellTexts += QStringLiteral("0");
            }
        }
        bytes += QStringLiteral("%1,LiIo/Po/Fe,+CHG+,25,31,12.00,%2,2.00,%3,%4%5\r\n")
                     .arg(QString::fromStdString(
                              ReadingFormat::elapsedText(static_cast<std::uint32_t>(k) * 1000)),
                          two(volts), QString::number(k / 2), two(2 * volts), cellTexts)
                     .toUtf8();
        if (bytes.size() > (8 << 20)) {
            f.write(bytes);
            bytes.clear();
        }
    }
    f.write(bytes);
    return path;
}

}  // namespace cellwatch::bench
