// The charger emulator library: everything a test, benchmark or tool needs
// to produce the charger's side of the serial line.
#pragma once

#include "tools/emulator/charger_reading.h"  // IWYU pragma: export
#include "tools/emulator/paced_writer.h"     // IWYU pragma: export
#include "tools/emulator/pseudo_terminal.h"  // IWYU pragma: export
#include "tools/emulator/scenario.h"         // IWYU pragma: export
#include "tools/emulator/status_encoder.h"   // IWYU pragma: export
#include "tools/emulator/step_capture.h"     // IWYU pragma: export
