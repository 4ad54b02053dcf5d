#!/usr/bin/env python3
"""Writes resources/alarm.wav: the window's alarm sound, three short beeps
of 880 Hz (16-bit mono, 16 kHz, 0.6 s)."""
import math
import struct
import sys
import wave

RATE = 16000
path = sys.argv[1] if len(sys.argv) > 1 else "resources/alarm.wav"
frames = bytearray()
for beep in range(3):
    for i in range(int(RATE * 0.12)):
        envelope = min(1.0, i / 160, (RATE * 0.12 - i) / 160)
        value = int(12000 * envelope * math.sin(2 * math.pi * 880 * i / RATE))
        frames += struct.pack("<h", value)
    frames += b"\0\0" * int(RATE * 0.08)
with wave.open(path, "wb") as out:
    out.setnchannels(1)
    out.setsampwidth(2)
    out.setframerate(RATE)
    out.writeframes(bytes(frames))
