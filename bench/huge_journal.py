#!/usr/bin/env python3
"""Writes a journal of ROWS rows whose state flips every row (ROWS phases):
the worst case for a recording's analysis. Usage: huge_journal.py OUT ROWS
(a gigabyte, about 11,000,000 rows, takes seconds: each hour's rows are the
same texts but for the hour, so five hours' texts are made once)."""
import sys

out, rows = sys.argv[1], int(sys.argv[2])
header = ("Time,Type,+CHG/DIS-,Ext.Temp(\u2103),In.Temp(\u2103),In.Volt(V),Bat.Volt(V),Curr(A),"
          "Cap(mAh),Power(W),C1,C2,C3,C4,C5,C6,C7,C8,C9,C10,C11,C12")


def tail(i):
    """Row i's texts after its hour."""
    charging = i % 2 == 0
    return (f":{(i // 60) % 60:02d}:{i % 60:02d},LiIo/Po/Fe,"
            f"{'+CHG+' if charging else '-DSC-'},25,36,14.91,14.{i % 50:02d},"
            f"{'2.00' if charging else '-2.00'},{i % 1000},28.00,"
            "3.60,3.61,3.59,3.60,0,0,0,0,0,0,0,0\r\n")


# Row 3600 h + s differs from row s of hour h % 5 (the counter, i % 1000,
# repeats every 5 hours) only in its hour.
hours = [[tail(3600 * h + s) for s in range(3600)] for h in range(5)]
with open(out, "w", encoding="utf-8-sig", newline="") as f:
    f.write('"# cellwatch bench; port=bench; start=2026-12-01T10:00:00+00:00; battery=LiIo/Po/Fe"\r\n')
    f.write(header + "\r\n")
    for h in range(rows // 3600 + 1):
        first, last = max(1, 3600 * h), min(rows, 3600 * h + 3599)
        if first > last:
            break
        if first == 3600 * h and last == first + 3599:
            f.write(str(h).join([""] + hours[h % 5]))
        else:
            f.write("".join(f"{h}{tail(i)}" for i in range(first, last + 1)))
