# Made for test_sheets: a sheet whose XML is many times one read of the zip.
import sys
import openpyxl
OUT = sys.argv[1]
wb = openpyxl.Workbook()
ws = wb.active
ws.append(['Emp No', 'Day', 'Code'])
for i in range(5000):
    ws.append(['E%05d' % i, i % 28 + 1, 'P'])
wb.save(OUT)
