# Made for test_sheets: OUT is the path to write.
import sys
OUT = sys.argv[1]
import openpyxl, datetime
wb = openpyxl.Workbook(); ws = wb.active; ws.title = 'Client'
ws.append(['Emp No', 'Date', 'Code', 'Normal'])
ws.append(['1001', datetime.datetime(2026, 12, 1), 'P', 8])
ws.append([1002, datetime.datetime(2026, 12, 2), 'A', 2.5])
ws['A3'].number_format = '0'
ws.append(['x' * 10000, '=1+2', True, -1])
ws.append([])
ws.append(['hidden', None, None, 4])
ws.row_dimensions[6].hidden = True
ws['B2'].number_format = 'dd/mm/yyyy'
ws2 = wb.create_sheet('Second'); ws2['C3'] = 'far'
wb.save(OUT)
