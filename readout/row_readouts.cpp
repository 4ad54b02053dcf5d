#include "readout/row_readouts.h"

#include <array>

#include "protocol/reading_format.h"
#include "protocol/table_fields.h"
#include "readout/cell_panel.h"
#include "readout/gauge_settings.h"
#include "readout/readout_view.h"
#include "readout/row_store.h"

namespace cellwatch {
namespace {

QString fromStd(const std::string& s) {
    return QString::fromStdString(s);
}

// A stored field as the decoder's fixed point; an absent or odd one is 0.
Decimal rowField(const RowStore& rows, int row, int field) {
    return rows.value(row, field).value_or(Decimal());
}

}  // namespace

void showMeasurements(ReadoutView& view, const Decimal& voltage, const Decimal& current,
                      const Decimal& capacity, const std::optional<Decimal>& external) {
    showMeasurementTexts(view, voltage, current, capacity, external);
    showPower(view.gauge(), voltage, current);
}

void showMeasurementTexts(ReadoutView& view, const Decimal& voltage, const Decimal& current,
                          const Decimal& capacity, const std::optional<Decimal>& external) {
    const QString v = fromStd(voltage.format(kFormat2));
    const QString a = fromStd(current.format(kFormat2));
    const QString mah = fromStd(capacity.plainText());
    view.setReadout(readouts::kLegendVoltage, v);
    view.setReadout(readouts::kLegendCurrent, a);
    view.setReadout(readouts::kLegendCapacity, mah);
    view.setReadout(readouts::kLegendExternal,
                    external ? fromStd(external->plainText()) : QString());
    view.setLargeReadout(readouts::kLargeVoltage, v + u'V');
    view.setLargeReadout(readouts::kLargeCurrent, a + u'A');
    view.setLargeReadout(readouts::kLargeCapacity, mah + QStringLiteral("mAh"));
    view.fitReadouts();
}

void showPower(PowerGaugeControl& gauge, const Decimal& voltage, const Decimal& current) {
    const Decimal power = (voltage * current).abs();
    gauge.setValue(power.toDouble());
    gauge.setMode(1);
    gauge.setCaption(fromStd(power.format(kFormat3Wide)));
}

void showRowMeasurements(const RowStore& rows, int row, ReadoutView& view) {
    showMeasurements(view, rowField(rows, row, kFieldVoltage), rowField(rows, row, kFieldCurrent),
                     rowField(rows, row, kFieldCapacity), rows.value(row, kFieldExtTemperature));
}

void showRowDetails(const RowStore& rows, int row, ReadoutView& view) {
    const auto field = [&](int f) { return rowField(rows, row, f); };
    const auto plain = [&](int f) { return fromStd(field(f).plainText()); };
    const auto wide = [&](int f) { return fromStd(field(f).format(kFormat2Wide)); };
    const QString type = rows.gridText(row, kFieldBatteryType + 1).trimmed();
    std::array<Decimal, kCellCount> cells{};
    int count = 0;
    for (int i = 0; i < kCellCount; ++i) {
        cells[static_cast<std::size_t>(i)] = field(kFieldCell1 + i);
        count += cells[static_cast<std::size_t>(i)].isZero() ? 0 : 1;
    }
    const Chemistry chemistry = ReadingFormat::chemistryOf(type.toStdString());
    // A row of more than twelve cells (a charger of up to sixteen).
    if (Reading many = rows.reading(row); many.cellCount > kCellCount) {
        many.chemistry = chemistry;
        ShowCellPanel(view.cellPanel(), many);
        count = 0;
        for (int i = 0; i < many.cellCount; ++i) {
            count += many.cells[static_cast<std::size_t>(i)].isZero() ? 0 : 1;
        }
    } else {
        ShowCellPanel(view.cellPanel(), cells, chemistry);
    }
    view.setReadout(readouts::kInputVoltage, plain(kFieldInputVoltage));
    view.setReadout(readouts::kState, rows.gridText(row, kFieldState + 1));
    view.setReadout(readouts::kBatteryType, type);
    view.setReadout(readouts::kCellCount, (count > 0 ? QString::number(count) : QString()) + u'S');
    view.setReadout(readouts::kVoltage, wide(kFieldVoltage));
    view.setReadout(readouts::kCurrent, wide(kFieldCurrent));
    view.setReadout(readouts::kInternal, plain(kFieldIntTemperature));
    view.setReadout(readouts::kPower, wide(kFieldPower));
    view.setReadout(readouts::kElapsed, rows.gridText(row, kFieldElapsed + 1));
    view.setReadout(readouts::kCapacity, plain(kFieldCapacity));
    view.setReadout(readouts::kExternal, plain(kFieldExtTemperature));
}

}  // namespace cellwatch
