"""Reads a log CSV as other programs do: Python's csv module, dates by datetime.fromisoformat.

Usage: check_csv.py FILE ROWS. Exits non-zero when the file does not read as written.
"""
import csv
import datetime
import sys

path, expected_rows = sys.argv[1], int(sys.argv[2])
with open(path, "rb") as raw:
    assert raw.read(3) == b"No,", "the file starts with a byte-order mark or another header"
with open(path, newline="", encoding="utf-8") as f:
    rows = list(csv.DictReader(f))
assert len(rows) == expected_rows, len(rows)
previous = None
for row in rows:
    moment = datetime.datetime.fromisoformat(row["Date-Time"])
    assert moment.utcoffset() is not None, row
    assert moment.strftime("%H:%M:%S") == row["Time"], row
    assert previous is None or moment > previous, row
    previous = moment
    if row["Number"]:
        assert float(row["Number"]) == float(row["Value"].replace(",", ".")), row
    else:
        assert "L" in row["Value"], row
    assert row["Verdict"] in ("Pass", "Fail"), row
assert {row["Date-Time"][:10] for row in rows} == {"2026-12-31", "2027-01-01"}
assert {row["Unit"] for row in rows} == {"V", "k\u03a9", "\u00b0C", "\u00b5A", "diode"}
