# Writes an .xlsx with openpyxl from rows given as JSON: OUT, then the rows (a list of lists).
# "date:2026-03-05" becomes a date cell, "=..." a formula openpyxl stores without a value, and a
# row whose first value is "hidden:" is written hidden without that marker.
import datetime, json, sys
import openpyxl
OUT = sys.argv[1]
rows = json.loads(open(sys.argv[2]).read())
wb = openpyxl.Workbook()
ws = wb.active
ws.title = sys.argv[3] if len(sys.argv) > 3 else 'Sheet'
for r, row in enumerate(rows, start=1):
    hidden = bool(row) and row[0] == 'hidden:'
    if hidden:
        row = row[1:]
        ws.row_dimensions[r].hidden = True
    for c, v in enumerate(row, start=1):
        if isinstance(v, str) and v.startswith('date:'):
            v = datetime.datetime.strptime(v[5:], '%Y-%m-%d')
            ws.cell(r, c, v).number_format = 'dd/mm/yyyy'
        elif v is not None:
            ws.cell(r, c, v)
wb.save(OUT)
