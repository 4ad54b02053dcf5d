// What a window's readouts show of one sample: the legend values beside the
// curve switches, the large readouts and the power gauge (the measurements),
// and the detail readouts with the cell panel (the details). The live row as
// it arrives, the row under the cross line and the last row of a recording
// read back all reach the readouts through these.
#pragma once

#include <optional>

#include "protocol/decimal.h"

namespace cellwatch {

class PowerGaugeControl;
class ReadoutView;
class RowStore;

// The legend values, the large readouts ("11.40V", "1.20A", "850mAh") and
// the power gauge (|V x I|, mode 1) for one sample's measurements. An
// external temperature not reported leaves its legend value blank.
void showMeasurements(ReadoutView& view, const Decimal& voltage, const Decimal& current,
                      const Decimal& capacity, const std::optional<Decimal>& external);
// The same without the gauge.
void showMeasurementTexts(ReadoutView& view, const Decimal& voltage, const Decimal& current,
                          const Decimal& capacity, const std::optional<Decimal>& external);
// The gauge alone: |V x I|, mode 1.
void showPower(PowerGaugeControl& gauge, const Decimal& voltage, const Decimal& current);

// The measurements of a stored row (1 = first data row); a field that is
// empty or no number shows as 0, but for the external temperature (blank).
void showRowMeasurements(const RowStore& rows, int row, ReadoutView& view);

// The detail readouts and the cell panel from a stored row, as the
// cross-line cursor shows a recorded sample.
void showRowDetails(const RowStore& rows, int row, ReadoutView& view);

}  // namespace cellwatch
