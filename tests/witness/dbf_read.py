#!/usr/bin/python3
"""Prints every record of a table as python-dbf reads it, one a line:
the record number, '*' for the deleted mark or '-', then the field values,
tab-separated, with tabs and line breaks escaped. Text is printed as UTF-8."""
import sys
import dbf


def show(value):
    if value is None:
        return ""
    if isinstance(value, bool):
        return "T" if value else "F"
    if isinstance(value, float) and value.is_integer():
        value = int(value)
    if hasattr(value, "strftime"):
        return value.strftime("%Y%m%d")
    text = str(value).rstrip(" ")
    return text.replace("\\", "\\\\").replace("\t", "\\t").replace("\r", "\\r").replace("\n", "\\n")


table = dbf.Table(sys.argv[1], codepage="cp1252")
table.open(dbf.READ_ONLY)
for number, record in enumerate(table, start=1):
    values = [show(record[name]) for name in table.field_names]
    print("\t".join([str(number), "*" if dbf.is_deleted(record) else "-"] + values))
table.close()
