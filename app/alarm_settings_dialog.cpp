#include "app/alarm_settings_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <cmath>

#include "app/alarm_texts.h"
#include "app/captions.h"
#include "app/settings_store.h"

namespace cellwatch {
namespace {

using alarms::Kind;

const QString kSection = QStringLiteral("Alarms");

struct KindTexts {
    BilingualText name;
    BilingualText first;   // what the first limit is
    BilingualText second;  // the second one's, when there is one
};

KindTexts textsOf(Kind kind) {
    switch (kind) {
        case Kind::CellHigh:
            return {{"单节电压过高", "Cell too high"}, {"锂电", "LiIo/Po/Fe"}, {"铅酸", "Pb"}};
        case Kind::CellLow:
            return {{"放电单节电压过低", "Cell too low (discharging)"},
                    {"锂电", "LiIo/Po/Fe"},
                    {"铅酸", "Pb"}};
        case Kind::CellSpread:
            return {{"单节压差过大", "Cells drift apart"}, {"压差", "Spread"}, {"", ""}};
        case Kind::Temperature:
            return {
                {"温度过高", "Temperature too high"}, {"外部", "External"}, {"内部", "Internal"}};
        case Kind::InputLow:
            return {{"输入电压过低", "Input too low"}, {"输入", "Input"}, {"", ""}};
        case Kind::Finished:
            return {{"充放电结束", "Charge finished"}, {"空闲秒数", "Idle seconds"}, {"", ""}};
        case Kind::Stalled:
            return {{"充电器无响应", "Charger stalled"},
                    {"无新数据秒数", "Seconds without a row"},
                    {"", ""}};
        case Kind::Lost:
            return {{"连接中断", "Link lost"}, {"", ""}, {"", ""}};
    }
    return {};
}

QString key(Kind kind, const char* what) {
    return QString::fromUtf8(alarms::kindName(kind)) + u'.' + QLatin1String(what);
}

Decimal readDecimal(const SettingsStore& store, const QString& name, Decimal fallback) {
    const QString text = store.read(kSettingsApplication, kSection, name, QString());
    const auto value = Decimal::parse(text.toStdString());
    return value && *value >= Decimal() && *value <= Decimal::fromInt(3600) ? value->rounded(2)
                                                                            : fallback;
}

double toSpin(Decimal d) {
    return d.toDouble();
}

Decimal fromSpin(double v) {
    return Decimal::fromHundredths(std::llround(v * 100.0));
}

}  // namespace

QString alarmKindCaption(Kind kind, bool chinese) {
    return textsOf(kind).name.pick(chinese);
}

QString shownAlarmText(const alarms::Alarm& alarm, bool /*chinese*/) {
    return alarmText(alarm);
}

QString rearmNote(bool chinese) {
    const auto margin = [](Kind kind) {
        const Decimal m = alarms::rearmMargin(kind);
        const bool volts = alarms::limitUnit(kind) == "V";
        return QString::fromStdString(volts ? m.format(kFormat2) : m.plainText()) + u' ' +
               QString::fromUtf8(alarms::limitUnit(kind));
    };
    const QString cells = margin(Kind::CellHigh);
    const QString input = margin(Kind::InputLow);
    const QString degrees = margin(Kind::Temperature);
    const QString hold = QString::number(alarms::kRearmHoldMs / 1000U);
    return chinese ? QStringLiteral(
                         "警报触发后，须待数值回到限值以内超过 %1（单节电压、压差）、"
                         "%2（输入电压）或 %3（温度）并保持 %4 秒，才会再次触发。")
                         .arg(cells, input, degrees, hold)
                   : QStringLiteral(
                         "Once raised, an alarm is raised again only after its value "
                         "has gone back past the limit by %1 (cells, spread), %2 "
                         "(input) or %3 (temperature) and stayed there for %4 s.")
                         .arg(cells, input, degrees, hold);
}

alarms::AlarmSettings readAlarmSettings(const SettingsStore& store) {
    alarms::AlarmSettings s = alarms::AlarmSettings::defaults();
    for (Kind kind : alarms::kAllKinds) {
        alarms::Rule& rule = s[kind];
        rule.enabled = store.read(kSettingsApplication, kSection, key(kind, "on"),
                                  QStringLiteral("1")) != QLatin1String("0");
        rule.limit = readDecimal(store, key(kind, "limit"), rule.limit);
        rule.second = readDecimal(store, key(kind, "second"), rule.second);
        if (alarms::limitUnit(kind) == "s" && rule.limit < Decimal::fromInt(1)) {
            rule.limit = alarms::AlarmSettings::defaults()[kind].limit;
        }
    }
    return s;
}

void writeAlarmSettings(SettingsStore& store, const alarms::AlarmSettings& settings) {
    for (Kind kind : alarms::kAllKinds) {
        const alarms::Rule& rule = settings[kind];
        store.write(kSettingsApplication, kSection, key(kind, "on"),
                    rule.enabled ? QStringLiteral("1") : QStringLiteral("0"));
        if (alarms::limitCount(kind) > 0) {
            store.write(kSettingsApplication, kSection, key(kind, "limit"),
                        QString::fromStdString(rule.limit.plainText()));
        }
        if (alarms::limitCount(kind) > 1) {
            store.write(kSettingsApplication, kSection, key(kind, "second"),
                        QString::fromStdString(rule.second.plainText()));
        }
    }
}

bool readAlarmSound(const SettingsStore& store) {
    return store.read(kSettingsApplication, kSection, QStringLiteral("sound"),
                      QStringLiteral("1")) != QLatin1String("0");
}

void writeAlarmSound(SettingsStore& store, bool on) {
    store.write(kSettingsApplication, kSection, QStringLiteral("sound"),
                on ? QStringLiteral("1") : QStringLiteral("0"));
}

AlarmSettingsDialog::AlarmSettingsDialog(const alarms::AlarmSettings& settings, bool chinese,
                                         QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("AlarmSettings"));
    setWindowTitle(chinese ? QString::fromUtf8("警报") : QStringLiteral("Alarms"));
    auto* grid = new QGridLayout(this);
    int row = 0;
    for (Kind kind : alarms::kAllKinds) {
        const KindTexts texts = textsOf(kind);
        const alarms::Rule& rule = settings[kind];
        auto* on = new QCheckBox(texts.name.pick(chinese), this);
        on->setObjectName(QString::fromUtf8(alarms::kindName(kind)));
        on->setChecked(rule.enabled);
        enabled_[static_cast<std::size_t>(kind)] = on;
        grid->addWidget(on, row, 0);
        const bool seconds = alarms::limitUnit(kind) == "s";
        for (int which = 0; which < alarms::limitCount(kind); ++which) {
            auto* label = new QLabel((which == 0 ? texts.first : texts.second).pick(chinese), this);
            auto* spin = new QDoubleSpinBox(this);
            spin->setDecimals(seconds ? 0 : 2);
            spin->setRange(seconds ? 1 : 0, seconds ? 3600 : 1000);
            spin->setSingleStep(seconds ? 1 : 0.01);
            spin->setSuffix(u' ' + QString::fromUtf8(alarms::limitUnit(kind)));
            spin->setValue(toSpin(which == 0 ? rule.limit : rule.second));
            limits_[static_cast<std::size_t>(kind)][static_cast<std::size_t>(which)] = spin;
            grid->addWidget(label, row, 1 + 2 * which);
            grid->addWidget(spin, row, 2 + 2 * which);
        }
        ++row;
    }
    auto* note = new QLabel(rearmNote(chinese), this);
    note->setObjectName(QStringLiteral("rearmNote"));
    note->setWordWrap(true);
    grid->addWidget(note, row++, 0, 1, 5);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("alarmButtons"));
    setButtonCaptions(*buttons, chinese);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    grid->addWidget(buttons, row, 0, 1, 5);
}

alarms::AlarmSettings AlarmSettingsDialog::settings() const {
    alarms::AlarmSettings s = alarms::AlarmSettings::defaults();
    for (Kind kind : alarms::kAllKinds) {
        const auto k = static_cast<std::size_t>(kind);
        s[kind].enabled = enabled_[k]->isChecked();
        if (limits_[k][0] != nullptr) {
            s[kind].limit = fromSpin(limits_[k][0]->value());
        }
        if (limits_[k][1] != nullptr) {
            s[kind].second = fromSpin(limits_[k][1]->value());
        }
    }
    return s;
}

}  // namespace cellwatch
