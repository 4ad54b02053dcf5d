// A recording's summary as the windows show it: one line a value (start,
// battery, kind, rows, duration, capacity, energy, current, voltage,
// temperatures, cells, largest spread, pack, note), in Chinese or English. The English
// values read exactly as cellwatch-report prints them.
#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <vector>

#include "analysis/recording_summary.h"

class QLabel;

namespace cellwatch {

// A recording's kind as the window shows it: "charge", "discharge", "mixed",
// or in Chinese.
QString kindText(RecordingKind kind, bool chinese);

struct SummaryLine {
    QString key;    // the report's name of the line: "start", "energy", ...
    QString name;   // its title in the language chosen
    QString value;  // its value in the language chosen
};

inline constexpr int kSummaryLineCount = 14;

std::vector<SummaryLine> summaryLines(const RecordingSummaryValues& summary, bool chinese);

// The summary's lines in two columns of titles and values.
class SummaryView final : public QWidget {
    Q_OBJECT
public:
    explicit SummaryView(QWidget* parent = nullptr);

    void setSummary(const RecordingSummaryValues& summary);
    void setLanguage(bool chinese);
    const RecordingSummaryValues& summary() const { return summary_; }

    // The value shown for a line, by its report name ("" for an unknown one).
    QString value(const QString& key) const;
    // Every line as "title: value", one a line.
    QString text() const;

private:
    void refresh();

    RecordingSummaryValues summary_;
    bool chinese_ = false;
    std::array<QLabel*, kSummaryLineCount> names_{};
    std::array<QLabel*, kSummaryLineCount> values_{};
    std::vector<SummaryLine> lines_;
};

}  // namespace cellwatch
