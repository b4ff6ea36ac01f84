#!/usr/bin/env python3
"""Reads an .xlsx file with openpyxl (an independent reader) and prints what the tests check as
JSON: sheets with their size, cells (type, value, style) and column widths.  Usage:
xlsx_dump.py FILE [MAX_ROWS]  (with MAX_ROWS the file is streamed and only the first rows read;
widths are then not reported)"""
import datetime
import json
import sys

import openpyxl


def value_of(v):
    if isinstance(v, (datetime.datetime, datetime.date, datetime.time)):
        return v.isoformat()
    return v


def fill_of(cell):
    fill = cell.fill
    if fill is None or fill.fill_type is None:
        return None
    rgb = fill.fgColor.rgb if fill.fgColor is not None else None
    return rgb if isinstance(rgb, str) else None


def style_of(cell):
    font = cell.font
    colour = font.color.rgb if font is not None and font.color is not None else None
    return {
        "font": font.name if font is not None else None,
        "bold": bool(font.b) if font is not None else False,
        "size": float(font.sz) if font is not None and font.sz is not None else None,
        "colour": colour if isinstance(colour, str) else None,
        "format": cell.number_format,
        "halign": cell.alignment.horizontal,
        "valign": cell.alignment.vertical,
        "wrap": bool(cell.alignment.wrap_text),
        "fill": fill_of(cell),
    }


def main():
    path = sys.argv[1]
    max_rows = int(sys.argv[2]) if len(sys.argv) > 2 else -1
    streamed = max_rows >= 0
    book = openpyxl.load_workbook(path, read_only=streamed)
    out = {"sheets": []}
    for ws in book.worksheets:
        rows = []
        limit = ws.max_row if not streamed else min(ws.max_row or 0, max_rows)
        if limit:
            for row in ws.iter_rows(min_row=1, max_row=limit):
                cells = []
                for cell in row:
                    if cell.value is None:
                        kind = "blank"
                    else:
                        kind = cell.data_type
                        if cell.is_date:
                            kind = "d"
                    cells.append({"type": kind, "value": value_of(cell.value), "style": style_of(cell)})
                rows.append(cells)
        widths = []
        if not streamed:
            for c in range(1, (ws.max_column or 0) + 1):
                dim = ws.column_dimensions.get(openpyxl.utils.get_column_letter(c))
                widths.append(dim.width if dim is not None and dim.customWidth else None)
        out["sheets"].append({"name": ws.title, "nrows": ws.max_row or 0, "ncols": ws.max_column or 0,
                              "cells": rows, "widths": widths})
    json.dump(out, sys.stdout, ensure_ascii=True)


if __name__ == "__main__":
    main()
