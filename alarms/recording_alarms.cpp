#include "alarms/recording_alarms.h"

#include <type_traits>

#include "protocol/reading_format.h"
#include "readout/recording.h"
#include "readout/row_store.h"

namespace cellwatch::alarms {
namespace {

Decimal number(const QString& text) {
    return Decimal::parse(text.toStdString()).value_or(Decimal());
}

// Empty for a field the row leaves empty (not reported).
std::optional<Decimal> reported(const QString& text) {
    return text.isEmpty() ? std::nullopt : std::optional<Decimal>(number(text));
}

// Chains `extra` after what a recording's event already does.
template <typename... Args>
void chain(std::function<void(Args...)>& event,
           std::type_identity_t<std::function<void(Args...)>> extra) {
    event = [first = std::move(event), extra = std::move(extra)](Args... args) {
        if (first) {
            first(args...);
        }
        extra(args...);
    };
}

}  // namespace

RowValues rowValues(const QStringList& texts) {
    const auto text = [&texts](int field) {
        return field < texts.size() ? texts[field] : QString();
    };
    RowValues v;
    v.elapsedSeconds = ReadingFormat::parseElapsed(text(0).toStdString()).value_or(0);
    v.chemistry = ReadingFormat::chemistryOf(text(1).toStdString());
    v.state = ReadingFormat::stateOf(text(2).toStdString());
    v.extTemperature = reported(text(3));
    v.intTemperature = reported(text(4));
    v.inputVoltage = reported(text(5));
    for (int cell = 0; cell < kCellCount; ++cell) {
        v.cells[static_cast<std::size_t>(cell)] = number(text(10 + cell));
    }
    return v;
}

RowValues rowValues(const RowStore& table, int row) {
    std::uint32_t seconds = 0;
    std::array<std::int32_t, kRowFieldCount - 3> hundredths{};
    if (!table.compactNumbers(row, seconds, hundredths)) {
        QStringList texts;
        for (int column = 1; column <= kRowFieldCount; ++column) {
            texts << table.gridText(row, column);
        }
        RowValues v = rowValues(texts);
        v.chemistry = table.chemistry(row);  // as the driver mapped them
        v.state = table.state(row);
        return v;
    }
    // The stored numbers, as the decoder gave them.
    const auto at = [&hundredths](int field) {
        return Decimal::fromHundredths(hundredths[static_cast<std::size_t>(field - 3)]);
    };
    RowValues v;
    v.elapsedSeconds = seconds;
    // The state and chemistry as the driver mapped them, whatever its words.
    v.chemistry = table.chemistry(row);
    v.state = table.state(row);
    // What the charger left out is empty, not 0.
    const auto reportedAt = [&](int field) {
        return table.value(row, field) ? std::optional<Decimal>(at(field)) : std::nullopt;
    };
    v.extTemperature = reportedAt(kFieldExtTemperature);
    v.intTemperature = reportedAt(kFieldIntTemperature);
    v.inputVoltage = reportedAt(kFieldInputVoltage);
    for (int cell = 0; cell < kCellCount; ++cell) {
        v.cells[static_cast<std::size_t>(cell)] = at(kFieldCell1 + cell);
    }
    return v;
}

void DecoderTap::readingDecoded(const Reading& reading, FrameLayout layout) {
    host_.readingDecoded(reading, layout);
    decoded_(isActive(reading.state));
}

RecordingAlarms::RecordingAlarms(DecoderHost& recording, const RowStore& table,
                                 const TickClock& ticks, const WallClock& wall,
                                 std::function<void(const Alarm&)> raised)
    : table_(table),
      ticks_(ticks),
      wall_(wall),
      raised_(std::move(raised)),
      tap_(recording, [this](bool working) {
          emitAll(monitor_.messageDecoded(working, ticks_.tickCount()));
      }) {}

void RecordingAlarms::listen(Recording& recording) {
    Recording::Events& events = recording.events();
    chain(events.rowAppended, [this](int row) {
        if (row == 1 && monitor_.hasRows()) {
            emitAll(monitor_.restarted(ticks_.tickCount()));
        }
        emitAll(monitor_.row(rowValues(table_, row), ticks_.tickCount()));
    });
    chain(events.restarted, [this] { emitAll(monitor_.restarted(ticks_.tickCount())); });
    chain(events.idleShown, [this] { emitAll(monitor_.idleShown(ticks_.tickCount())); });
}

void RecordingAlarms::linkOpened() {
    if (table_.gridRowCount() <= 1) {
        emitAll(monitor_.connected(ticks_.tickCount()));
    } else {
        monitor_.linkOpened(ticks_.tickCount());
    }
}

void RecordingAlarms::emitAll(const std::vector<Alarm>& alarms) {
    for (Alarm alarm : alarms) {
        const QDateTime now = wall_.now();
        alarm.raisedMs = now.isValid() ? now.toMSecsSinceEpoch() : 0;
        raised_(alarm);
    }
}

}  // namespace cellwatch::alarms
