#include "app/alarm_settings_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <cmath>

#include "app/alarm_texts.h"
#include "app/captions.h"
#include "app/settings.h"

namespace cellwatch {
namespace {

using alarms::Kind;

struct KindTexts {
    const char* name;
    const char* first;   // what the first limit is
    const char* second;  // the second one's, when there is one
};

KindTexts textsOf(Kind kind) {
    switch (kind) {
        case Kind::CellHigh:
            return {QT_TRANSLATE_NOOP("cellwatch::AlarmSettingsDialog", "Cell too high"),
                    QT_TRANSLATE_NOOP("cellwatch::AlarmSettingsDialog", "LiIo/Po/Fe"),
                    QT_TRANSLATE_NOOP("cellwatch::AlarmSettingsDialog", "Pb")};
        case Kind::CellLow:
            return {
                QT_TRANSLATE_NOOP("cellwatch::AlarmSettingsDialog", "Cell too low (discharging)"),
                QT_TRANSLATE_NOOP("cellwatch::AlarmSettingsDialog", "LiIo/Po/Fe"),
                QT_TRANSLATE_NOOP("cellwatch::AlarmSettingsDialog", "Pb")};
        case Kind::CellSpread:
            return {QT_TRANSLATE_NOOP("cellwatch::AlarmSettingsDialog", "Cells drift apart"),
                    QT_TRANSLATE_NOOP("cellwatch::AlarmSettingsDialog", "Spread"), nullptr};
        case Kind::Temperature:
            return {QT_TRANSLATE_NOOP("cellwatch::AlarmSettingsDialog", "Temperature too high"),
                    QT_TRANSLATE_NOOP("cellwatch::AlarmSettingsDialog", "External"),
                    QT_TRANSLATE_NOOP("cellwatch::AlarmSettingsDialog", "Internal")};
        case Kind::InputLow:
            return {QT_TRANSLATE_NOOP("cellwatch::AlarmSettingsDialog", "Input too low"),
                    QT_TRANSLATE_NOOP("cellwatch::AlarmSettingsDialog", "Input"), nullptr};
        case Kind::Finished:
            return {QT_TRANSLATE_NOOP("cellwatch::AlarmSettingsDialog", "Charge finished"),
                    QT_TRANSLATE_NOOP("cellwatch::AlarmSettingsDialog", "Idle seconds"), nullptr};
        case Kind::Stalled:
            return {QT_TRANSLATE_NOOP("cellwatch::AlarmSettingsDialog", "Charger stalled"),
                    QT_TRANSLATE_NOOP("cellwatch::AlarmSettingsDialog", "Seconds without a row"),
                    nullptr};
        case Kind::Lost:
            return {QT_TRANSLATE_NOOP("cellwatch::AlarmSettingsDialog", "Link lost"), nullptr,
                    nullptr};
    }
    return {};
}

QString nameOf(Kind kind) {
    return QString::fromUtf8(alarms::kindName(kind));
}

Decimal readDecimal(const Settings& store, Keyed which, Kind kind, Decimal fallback) {
    const QString text = store.text(which, nameOf(kind));
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

QString alarmKindCaption(Kind kind) {
    return AlarmSettingsDialog::tr(textsOf(kind).name);
}

QString rearmNote() {
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
    //: %1 the cells' margin ("0.05 V"), %2 the input's, %3 the temperature's, %4 seconds
    return AlarmSettingsDialog::tr(
               "Once raised, an alarm is raised again only after its value "
               "has gone back past the limit by %1 (cells, spread), %2 "
               "(input) or %3 (temperature) and stayed there for %4 s.")
        .arg(cells, input, degrees, hold);
}

alarms::AlarmSettings readAlarmSettings(const Settings& store) {
    alarms::AlarmSettings s = alarms::AlarmSettings::defaults();
    for (Kind kind : alarms::kAllKinds) {
        alarms::Rule& rule = s[kind];
        rule.enabled = store.text(Keyed::AlarmOn, nameOf(kind)) != QLatin1String("0");
        rule.limit = readDecimal(store, Keyed::AlarmLimit, kind, rule.limit);
        rule.second = readDecimal(store, Keyed::AlarmSecond, kind, rule.second);
        if (alarms::limitUnit(kind) == "s" && rule.limit < Decimal::fromInt(1)) {
            rule.limit = alarms::AlarmSettings::defaults()[kind].limit;
        }
    }
    return s;
}

void writeAlarmSettings(Settings& store, const alarms::AlarmSettings& settings) {
    for (Kind kind : alarms::kAllKinds) {
        const alarms::Rule& rule = settings[kind];
        store.setText(Keyed::AlarmOn, nameOf(kind),
                      rule.enabled ? QStringLiteral("1") : QStringLiteral("0"));
        if (alarms::limitCount(kind) > 0) {
            store.setText(Keyed::AlarmLimit, nameOf(kind),
                          QString::fromStdString(rule.limit.plainText()));
        }
        if (alarms::limitCount(kind) > 1) {
            store.setText(Keyed::AlarmSecond, nameOf(kind),
                          QString::fromStdString(rule.second.plainText()));
        }
    }
}

bool readAlarmSound(const Settings& store) {
    return store.on(Flag::AlarmSound);
}

void writeAlarmSound(Settings& store, bool on) {
    store.setOn(Flag::AlarmSound, on);
}

AlarmSettingsDialog::AlarmSettingsDialog(const alarms::AlarmSettings& settings, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("AlarmSettings"));
    auto* grid = new QGridLayout(this);
    int row = 0;
    for (Kind kind : alarms::kAllKinds) {
        const alarms::Rule& rule = settings[kind];
        auto* on = new QCheckBox(this);
        on->setObjectName(QString::fromUtf8(alarms::kindName(kind)));
        on->setChecked(rule.enabled);
        enabled_[static_cast<std::size_t>(kind)] = on;
        grid->addWidget(on, row, 0);
        const bool seconds = alarms::limitUnit(kind) == "s";
        for (int which = 0; which < alarms::limitCount(kind); ++which) {
            auto* label = new QLabel(this);
            limitNames_[static_cast<std::size_t>(kind)][static_cast<std::size_t>(which)] = label;
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
    note_ = new QLabel(this);
    note_->setObjectName(QStringLiteral("rearmNote"));
    note_->setWordWrap(true);
    grid->addWidget(note_, row++, 0, 1, 5);
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons_->setObjectName(QStringLiteral("alarmButtons"));
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    grid->addWidget(buttons_, row, 0, 1, 5);
    retranslate();
}

void AlarmSettingsDialog::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
    }
    QDialog::changeEvent(event);
}

void AlarmSettingsDialog::retranslate() {
    setWindowTitle(tr("Alarms"));
    for (Kind kind : alarms::kAllKinds) {
        const KindTexts texts = textsOf(kind);
        const auto k = static_cast<std::size_t>(kind);
        enabled_[k]->setText(tr(texts.name));
        for (std::size_t which = 0; which < 2; ++which) {
            if (QLabel* label = limitNames_[k][which]) {
                label->setText(tr(which == 0 ? texts.first : texts.second));
            }
        }
    }
    note_->setText(rearmNote());
    buttons_->button(QDialogButtonBox::Ok)->setText(tr("OK"));
    buttons_->button(QDialogButtonBox::Cancel)->setText(tr("Cancel"));
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
