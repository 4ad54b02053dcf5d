// The alarm rules in the settings, and View > Alarms… that edits them: one
// line per rule with its switch and its limits, in the interface language.
#pragma once

#include <QDialog>
#include <array>
#include <vector>

#include "alarms/alarm_monitor.h"
#include "alarms/alarm_rules.h"

class QCheckBox;
class QDialogButtonBox;
class QDoubleSpinBox;
class QLabel;

namespace cellwatch {

class Settings;

// The rules as kept in the settings (section "Alarms"); the defaults for
// what is not kept or cannot be read.
alarms::AlarmSettings readAlarmSettings(const Settings& store);
void writeAlarmSettings(Settings& store, const alarms::AlarmSettings& settings);
// The sound's switch (View > Alarms > Sound); on when nothing is kept.
bool readAlarmSound(const Settings& store);
void writeAlarmSound(Settings& store, bool on);

// The name of a rule as the window shows it.
QString alarmKindCaption(alarms::Kind kind);

// What the dialog says of re-arming: the threshold rules' margins and hold
// time (alarms/alarm_rules.h), translated.
QString rearmNote();

class AlarmSettingsDialog final : public QDialog {
    Q_OBJECT
public:
    explicit AlarmSettingsDialog(const alarms::AlarmSettings& settings, QWidget* parent = nullptr);
    alarms::AlarmSettings settings() const;

    QCheckBox* enabledBox(alarms::Kind kind) const {
        return enabled_[static_cast<std::size_t>(kind)];
    }
    // The spin box of a rule's first (0) or second (1) limit; null without.
    QDoubleSpinBox* limitBox(alarms::Kind kind, int which) const {
        return limits_[static_cast<std::size_t>(kind)][static_cast<std::size_t>(which)];
    }

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();

    std::array<QCheckBox*, alarms::kKindCount> enabled_{};
    std::array<std::array<QDoubleSpinBox*, 2>, alarms::kKindCount> limits_{};
    std::array<std::array<QLabel*, 2>, alarms::kKindCount> limitNames_{};
    QLabel* note_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
};

}  // namespace cellwatch
