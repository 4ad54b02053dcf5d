#!/usr/bin/python3
"""An iCharger's input registers served by pymodbus as a Modbus RTU slave.

An implementation of the charger's side independent of Cellwatch's own
emulator: the test chooses the values (a JSON object, see below), this
script lays them out as the charger's register map and pymodbus' serial
server answers the reads on PORT (one end of a pseudo-terminal pair).

    pymodbus_charger.py PORT JSON

JSON: {"serial": "...", "firmware": 123, "channels": [CHANNEL, ...]} with
one CHANNEL per output (a second one makes it a DUO):
    {"status": word, "powerMw": n, "current10mA": n, "inputMv": n,
     "packMv": n, "capacityMah": n, "intTemp": tenths, "extTemp": tenths,
     "cellsMv": [..], "cellIr": [..], "packIr": n, "runStatus": n,
     "errorCode": n}
"""

import json
import logging
import sys

from pymodbus.datastore import ModbusServerContext, ModbusSlaveContext, ModbusSparseDataBlock
from pymodbus.server import StartSerialServer
from pymodbus.transaction import ModbusRtuFramer

CHANNEL_BASES = (0x0100, 0x0200)
ABSENT_CELL_MV = 1024


def u16(value):
    return value & 0xFFFF


def words32(value):
    """A 32-bit value as the charger sends it: low word first."""
    value &= 0xFFFFFFFF
    return [value & 0xFFFF, value >> 16]


def text_words(text, size):
    """A byte array of the charger's structs: each byte pair swapped."""
    data = text.encode("ascii")[:size].ljust(size, b"\0")
    return [data[k] | data[k + 1] << 8 for k in range(0, size, 2)]


def channel_block(ch):
    cells = list(ch.get("cellsMv", []))
    cells += [ABSENT_CELL_MV] * (16 - len(cells))
    ir = list(ch.get("cellIr", []))
    ir += [0] * (16 - len(ir))
    block = []
    block += words32(ch.get("timeMs", 0))
    block += words32(ch["powerMw"])
    block += [u16(ch["current10mA"]), ch["inputMv"], ch["packMv"]]
    block += words32(ch["capacityMah"])
    block += [u16(ch["intTemp"]), u16(ch["extTemp"])]
    block += cells
    block += [0] * 8  # balance flags
    block += ir
    block += [ch.get("packIr", 0), 0, 0, 0, ch.get("runStatus", 0),
              (ch.get("errorCode", 0) & 0xFF) << 8, 0]
    assert len(block) == 58
    return block


def registers(values):
    channels = values["channels"]
    info = [0x0101] + text_words(values.get("serial", ""), 12)
    info += [values.get("firmware", 0), values.get("hardware", 0), 0, 0]
    info += [channels[0]["status"], channels[1]["status"] if len(channels) > 1 else 0]
    regs = dict(enumerate(info))
    for base, ch in zip(CHANNEL_BASES, channels):
        for offset, value in enumerate(channel_block(ch)):
            regs[base + offset] = value
    return regs


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    port, values = sys.argv[1], json.loads(sys.argv[2])
    logging.basicConfig(level=logging.ERROR)
    store = ModbusSlaveContext(ir=ModbusSparseDataBlock(registers(values)), zero_mode=True)
    context = ModbusServerContext(slaves={1: store}, single=False)
    print("serving", flush=True)
    StartSerialServer(context=context, framer=ModbusRtuFramer, port=port, baudrate=9600,
                      bytesize=8, parity="N", stopbits=1)


if __name__ == "__main__":
    main()
