#!/usr/bin/python3
"""Writes a spreadsheet of 1,000 addresses as a flat OpenDocument file, for
LibreOffice to save as CSV, and the values it holds as the test expects to
find them: one record a line, the cells tab-separated with tab, line breaks
and backslash escaped.

    address_sheet.py SHEET.fods EXPECTED.tsv

Every cell is text, so zip codes keep their leading zeros. The values carry
commas, double quotes, line breaks inside a cell and accented letters that
Windows-1252 has, so the UTF-8 and the Windows-1252 CSV hold the same."""
import sys
from xml.sax.saxutils import escape

COLUMNS = ["LNAME", "FNAME", "ORG", "STREET", "STREET2", "CITY", "STATE", "ZIP", "PHONE", "EMAIL", "USER1"]
LAST = ["Smith", "O'Neil", "Müller", "García", "Nguyễn".replace("ễ", "e"), "Dvořák".replace("ř", "r"), "Øster", "Lefèvre",
        "D\"Angelo", "Brontë", "Ça Va", "Œuvre"]
FIRST = ["Ann", "José", "Zoë", "François", "Björn", "Seán", "Renée", "Ñandú", "Þór", "Åsa"]
CITY = ["Springfield", "Zürich", "São Paulo", "Köln", "Montréal", "Reykjavík", "Málaga", "Dayton"]
STATE = ["OH", "IL", "ZH", "QC", "NRW", "CA"]


def record(i):
    org = ["", "Smith, Jones & Co", "The \"Best\" Shop", "Café Zoë", "ACME Inc."][i % 5]
    street = f"{100 + i} Oak St" + (", Apt 4" if i % 3 == 0 else "")
    street2 = ["", "Building \"B\"", "c/o Mr. Smith, Esq.", "Floor 2"][i % 4]
    user1 = ["", "first line\nsecond line", "said \"hello\", then left", "€ 20,00 paid"][i % 4]
    return [
        LAST[i % len(LAST)] + str(i),
        FIRST[i % len(FIRST)],
        org,
        street,
        street2,
        CITY[i % len(CITY)],
        STATE[i % len(STATE)],
        f"{i * 37 % 100000:05d}",
        f"555-{i:04d}",
        f"person{i}@example.com",
        user1,
    ]


def cell(value):
    if value == "":
        return "<table:table-cell/>"
    paragraphs = "".join(f"<text:p>{escape(line)}</text:p>" for line in value.split("\n"))
    return f'<table:table-cell office:value-type="string" calcext:value-type="string">{paragraphs}</table:table-cell>'


def tsv(value):
    return value.replace("\\", "\\\\").replace("\t", "\\t").replace("\r", "\\r").replace("\n", "\\n")


rows = [record(i) for i in range(1000)]
with open(sys.argv[1], "w", encoding="utf-8") as out:
    out.write('<?xml version="1.0" encoding="UTF-8"?>\n'
              '<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
              'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
              'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
              'xmlns:calcext="urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0" '
              'office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">'
              '<office:body><office:spreadsheet><table:table table:name="Addresses">')
    for row in rows:
        out.write("<table:table-row>" + "".join(cell(v) for v in row) + "</table:table-row>\n")
    out.write("</table:table></office:spreadsheet></office:body></office:document>\n")
with open(sys.argv[2], "w", encoding="utf-8") as out:
    out.write("\t".join(COLUMNS) + "\n")
    for row in rows:
        out.write("\t".join(tsv(v) for v in row) + "\n")
