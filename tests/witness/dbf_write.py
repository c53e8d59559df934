#!/usr/bin/python3
"""Writes a table with python-dbf: DBF plus memo file, Windows-1252 text, one
deleted-marked record. The second argument picks the kind: fp (FoxPro, FPT
memo, the default), db3 (dBase III, DBT memo) or vfp (Visual FoxPro)."""
import datetime
import sys
import dbf

rows = [
    ("Anderson", "Ann", "CA", 34, 1250.5, True, datetime.date(1990, 1, 31), "Short memo"),
    ("Müller", "Dörte", "TX", 45, -3.25, False, datetime.date(2001, 12, 1), "Zeile 1\r\nZeile 2: é à ö"),
    ("O'Brien", "Seán", "NY", 0, 0.0, False, None, ""),
    ("Zed", "Zoë", "ca", 99, 99999.99, True, datetime.date(1969, 7, 20), "x" * 3000),
]
table = dbf.Table(
    sys.argv[1],
    "LNAME C(20); FNAME C(15); STATE C(2); AGE N(3,0); BAL N(9,2); ACTIVE L; BORN D; NOTES M",
    dbf_type=sys.argv[2] if len(sys.argv) > 2 else "fp",
    codepage="cp1252",
)
table.open(dbf.READ_WRITE)
for row in rows:
    table.append(row)
dbf.delete(table[2])
table.close()
