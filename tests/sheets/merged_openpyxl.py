# Made for test_sheets: OUT is the path to write.
import sys
OUT = sys.argv[1]
import openpyxl
wb = openpyxl.Workbook(); ws = wb.active
ws.append(['Emp No', 'Day', 'Code'])
ws.append(['1001', 1, 'P'])
ws.append([None, 2, 'A'])
ws.append(['1002', 1, 'H'])
ws.merge_cells('A2:A3')
ws.merge_cells('B4:C4')
wb.save(OUT)
