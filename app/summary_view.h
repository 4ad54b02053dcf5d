// A recording's summary as the windows show it: one line a value (start,
// battery, kind, rows, duration, capacity, energy, current, voltage,
// temperatures, cells, largest spread, pack, note), in the installed language. The English
// values read exactly as cellwatch-report prints them. Below them, what the
// rows tell beyond: each phase (charge, discharge, rest) with its capacity,
// energy, duration and currents, the efficiency of a recording with both,
// and the pack's resistance.
#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <vector>

#include "analysis/phases.h"
#include "analysis/recording_analysis.h"
#include "analysis/recording_summary.h"
#include "analysis/reported_resistance.h"
#include "analysis/resistance.h"

class QLabel;

namespace cellwatch {

// A recording's kind as the window shows it: "charge", "discharge", "mixed",
// translated.
QString kindText(RecordingKind kind);

struct SummaryLine {
    QString key;    // the report's name of the line: "start", "energy", ...
    QString name;   // its title, translated
    QString value;  // its value, translated
};

inline constexpr int kSummaryLineCount = 14;

std::vector<SummaryLine> summaryLines(const RecordingSummaryValues& summary);

// The lines below: "phase 1", "phase 2", ... (numbered as the report
// numbers them; the first kShownPhases, then "more phases" saying how many
// more), "efficiency" (a recording with a charge and a
// discharge) and "resistance" (a recording with current steps); none
// without them.
inline constexpr int kShownPhases = 12;
std::vector<SummaryLine> analysisLines(const RecordingPhases& phases,
                                       const std::vector<ResistanceEstimate>& resistance);

// The summary's lines in two columns of titles and values, the phases,
// efficiency and resistance in full-width lines under them.
class SummaryView final : public QWidget {
    Q_OBJECT
public:
    explicit SummaryView(QWidget* parent = nullptr);

    void setSummary(const RecordingSummaryValues& summary);
    // The phases and the resistance estimates (cleared by empty ones).
    void setPhases(const RecordingPhases& phases);
    void setResistance(std::vector<ResistanceEstimate> resistance);
    void setAnalysis(const RecordingAnalysis& analysis);
    // The charger's own figures, shown as "charger resistance" after the
    // estimate (cleared by an empty one).
    void setReportedResistance(ReportedResistance reported);
    const RecordingSummaryValues& summary() const { return summary_; }

    // The value shown for a line, by its report name or key ("" for an
    // unknown one).
    QString value(const QString& key) const;
    // Every line as "title: value", one a line.
    QString text() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void refresh();
    void refreshAnalysis();

    RecordingSummaryValues summary_;
    std::array<QLabel*, kSummaryLineCount> names_{};
    std::array<QLabel*, kSummaryLineCount> values_{};
    std::vector<SummaryLine> lines_;
    RecordingPhases phases_;
    std::vector<ResistanceEstimate> resistance_;
    ReportedResistance reported_;
    std::vector<std::pair<QLabel*, QLabel*>> analysisLabels_;  // made as needed
    std::vector<SummaryLine> analysisLines_;
};

}  // namespace cellwatch
