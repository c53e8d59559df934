#!/usr/bin/python3
"""Prints the cells of the first sheet of a flat OpenDocument spreadsheet, one
row a line, tab-separated, with backslash, tab, CR and LF escaped; empty cells
at the end of a row and empty rows at the end of the sheet are left out.

    calc_cells.py SHEET.fods"""
import sys
import xml.etree.ElementTree as ET

NS = {"table": "urn:oasis:names:tc:opendocument:xmlns:table:1.0",
      "text": "urn:oasis:names:tc:opendocument:xmlns:text:1.0"}
T = "{%s}" % NS["table"]
X = "{%s}" % NS["text"]


def inline(el):
    out = el.text or ""
    for child in el:
        if child.tag == X + "s":
            out += " " * int(child.get(X + "c", "1"))
        elif child.tag == X + "tab":
            out += "\t"
        elif child.tag == X + "line-break":
            out += "\n"
        else:
            out += inline(child)
        out += child.tail or ""
    return out


def cell_text(cell):
    return "\n".join(inline(p) for p in cell.findall("text:p", NS))


def esc(v):
    return v.replace("\\", "\\\\").replace("\t", "\\t").replace("\r", "\\r").replace("\n", "\\n")


sheet = ET.parse(sys.argv[1]).getroot().find(".//table:table", NS)
rows = []
for row in sheet.iter(T + "table-row"):
    cells = []
    for cell in row:
        if cell.tag not in (T + "table-cell", T + "covered-table-cell"):
            continue
        n = int(cell.get(T + "number-columns-repeated", "1"))
        cells += [cell_text(cell)] * min(n, 1000)
    while cells and cells[-1] == "":
        cells.pop()
    n = int(row.get(T + "number-rows-repeated", "1"))
    rows += [cells] * min(n, 1000)
while rows and not rows[-1]:
    rows.pop()
for r in rows:
    print("\t".join(esc(c) for c in r))
