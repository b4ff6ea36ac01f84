# Made for test_sheets: OUT is the path to write.
import sys
OUT = sys.argv[1]
import xlwt, datetime
wb = xlwt.Workbook(); ws = wb.add_sheet('Client')
d = xlwt.easyxf(num_format_str='DD/MM/YYYY')
for c, v in enumerate(['Emp No', 'Date', 'Code', 'Normal']): ws.write(0, c, v)
ws.write(1, 0, '1001'); ws.write(1, 1, datetime.date(2026, 12, 1), d); ws.write(1, 2, 'P'); ws.write(1, 3, 8)
ws.write(2, 0, 1002); ws.write(2, 1, datetime.date(2026, 12, 31), d); ws.write(2, 3, 7.5)
ws.write(4, 2, u'\u0645\u0631\u062d\u0628\u0627')
wb.add_sheet('Other').write(0, 0, 'x')
wb.save(OUT)
