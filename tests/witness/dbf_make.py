#!/usr/bin/python3
"""Writes a table with python-dbf from rows on standard input.

    dbf_make.py PATH KIND "FIELD SPECS" [CODEPAGE] < rows

KIND is db3 (dBase III, DBT memo), fp (FoxPro, FPT memo) or vfp (Visual
FoxPro); the specs are python-dbf's ("LNAME C(20); NOTES M; BORN D"). Each
input line is one record: '*' (deleted) or '-', then the values, tab-separated,
with \\t, \\n, \\r and \\\\ escaped. Dates are yyyymmdd or empty, logicals T or F,
text is UTF-8 and stored in Windows-1252, or in CODEPAGE (cp437, cp850),
which the table's header then names."""
import datetime
import sys
import dbf


def unescape(text):
    out, i = [], 0
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text):
            out.append({"t": "\t", "n": "\n", "r": "\r", "\\": "\\"}.get(text[i + 1], text[i + 1]))
            i += 2
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


table = dbf.Table(sys.argv[1], sys.argv[3], dbf_type=sys.argv[2], codepage=sys.argv[4] if len(sys.argv) > 4 else "cp1252")
table.open(dbf.READ_WRITE)
kinds = [table.field_info(name).field_type for name in table.field_names]
for line in sys.stdin.read().splitlines():
    if not line:
        continue
    parts = [unescape(p) for p in line.split("\t")]
    values = []
    for kind, text in zip(kinds, parts[1:]):
        kind = chr(kind) if isinstance(kind, int) else str(kind)[-1]
        if kind == "D":
            values.append(datetime.date(int(text[:4]), int(text[4:6]), int(text[6:8])) if text else None)
        elif kind == "L":
            values.append(text == "T")
        elif kind in "NFIB":
            values.append(float(text) if text else 0)
        else:
            values.append(text)
    table.append(tuple(values))
    if parts[0] == "*":
        dbf.delete(table[-1])
table.close()
