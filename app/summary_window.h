// The live recording's summary in a small window of its own (View >
// Summary…): it follows the rows as they arrive and starts again with every
// new recording.
#pragma once

#include <QWidget>

#include "analysis/recording_summary.h"

namespace cellwatch {

class SummaryView;

class SummaryWindow final : public QWidget {
    Q_OBJECT
public:
    explicit SummaryWindow(QWidget* parent = nullptr);

    void setSummary(const RecordingSummaryValues& summary);
    SummaryView& view() const { return *view_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();

    SummaryView* view_ = nullptr;
};

}  // namespace cellwatch
