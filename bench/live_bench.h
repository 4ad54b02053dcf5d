// The window's processor load and latency while it receives, for
// `resource_bench live [seconds]`:
//
// The window, with the system's clocks, connects to the slave side of
// a pseudo-terminal. First the charger is silent for the given time
// (default 5 s), then a writer thread sends back-to-back 112-byte
// messages at the line's 960 bytes a second: a 3S pack part way
// through a 2 A charge as a charger reports it (the voltage creeping
// up with a hundredth of jitter, the capacity growing 0.065 mAh a
// message from 1,200 mAh), first for 2 s (the recording starting: its
// title and time axis are set, the chart drawn whole a few times),
// then for about the given time as the charge goes on, then as long
// again with every value changing every message (voltage and cells in
// a sawtooth, capacity +10 mAh: the most drawing a message can cause),
// then 50 back-to-back 76-byte messages. Process CPU time (getrusage,
// all threads, less the writer thread's own) over the silent and the
// 112-byte stretches; and for every message the time from the write
// of its last byte to the master side to its table row (rowsInserted).
// A message is matched to its row by its input voltage (12.00 V + its
// number in hundredths); a message that gives no row (the recording
// restarting, or the last 76-byte one, which waits for 111 bytes after
// its start byte) is left out.
// Prints: cpu <phase> <cpu seconds> <wall seconds> <percent of a core>
// (phases silent, starting, receiving, churning)
//         latency <layout> <rows> <messages> <median ms> <max ms>
#pragma once

namespace cellwatch::bench {

void live(int seconds);

}  // namespace cellwatch::bench
