#!/usr/bin/env python3
"""Reads an .xls file with xlrd (an independent reader) and prints what the tests check as JSON:
sheets with their cells (type, value, format index), column widths, and the cell formats with
their fonts and number-format strings.  Usage: xls_dump.py FILE [MAX_ROWS]"""
import json
import sys

import xlrd


def main():
    path = sys.argv[1]
    max_rows = int(sys.argv[2]) if len(sys.argv) > 2 else -1
    book = xlrd.open_workbook(path, formatting_info=True, on_demand=False)
    out = {"sheets": [], "xfs": [], "datemode": book.datemode}
    for xf in book.xf_list:
        font = book.font_list[xf.font_index]
        fmt = book.format_map.get(xf.format_key)
        out["xfs"].append({
            "font": font.name,
            "bold": bool(font.bold),
            "weight": font.weight,
            "italic": bool(font.italic),
            "height": font.height,
            "colour": font.colour_index,
            "format": fmt.format_str if fmt else None,
            "halign": xf.alignment.hor_align,
            "valign": xf.alignment.vert_align,
            "wrap": xf.alignment.text_wrapped,
            "rotation": xf.alignment.rotation,
        })
    for sheet in book.sheets():
        rows = sheet.nrows if max_rows < 0 else min(sheet.nrows, max_rows)
        cells = []
        for r in range(rows):
            row = []
            for c in range(sheet.ncols):
                cell = sheet.cell(r, c)
                row.append([cell.ctype, cell.value, cell.xf_index])
            cells.append(row)
        widths = []
        for c in range(sheet.ncols):
            info = sheet.colinfo_map.get(c)
            widths.append(info.width if info else None)
        out["sheets"].append({"name": sheet.name, "nrows": sheet.nrows, "ncols": sheet.ncols,
                              "cells": cells, "widths": widths})
    json.dump(out, sys.stdout, ensure_ascii=True)


if __name__ == "__main__":
    main()
