# Made for test_sheets: OUT is the path to write.
import sys
OUT = sys.argv[1]
import openpyxl, zipfile, struct
wb = openpyxl.Workbook(); ws = wb.active; ws['A1'] = 'x'; wb.save(OUT)
src = zipfile.ZipFile(OUT); items = [(i, src.read(i)) for i in src.namelist()]; src.close()
z = zipfile.ZipFile(OUT, 'w', zipfile.ZIP_DEFLATED)
row = b'<row r="2"><c r="A2"><v>1</v></c></row>'
for i, d in items:
    if 'sheet1' in i: d = d.replace(b'</sheetData>', row * (40 * 1024 * 1024 // len(row)) + b'</sheetData>')
    z.writestr(i, d)
z.close()
import sys
if sys.argv[2] == "lie":
    b = bytearray(open(OUT, 'rb').read())
    k = b.find(b'xl/worksheets/sheet1.xml')
    # the central directory's uncompressed size of the sheet made small
    c = b.rfind(b'PK\x01\x02', 0, b.rfind(b'xl/worksheets/sheet1.xml'))
    b[c + 24:c + 28] = struct.pack('<I', 1000)
    l = b.find(b'PK\x03\x04', 0, k)
    while b.find(b'PK\x03\x04', l + 4, k) >= 0: l = b.find(b'PK\x03\x04', l + 4, k)
    b[l + 22:l + 26] = struct.pack('<I', 1000)
    open(OUT, 'wb').write(bytes(b))
