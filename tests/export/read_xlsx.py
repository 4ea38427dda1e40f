# Dumps a workbook as tab-separated lines for the export tests: sheets, columns, filled cells.
import sys

import openpyxl

book = openpyxl.load_workbook(sys.argv[1])
for sheet in book.worksheets:
    print("sheet\t%s\t%d\t%d" % (sheet.title, sheet.max_row, sheet.max_column))
    for key, dim in sorted(sheet.column_dimensions.items()):
        print("columns\t%d\t%d\t%r\t%d\t%s" % (dim.min, dim.max, dim.width, bool(dim.font.b), dim.alignment.horizontal))
    for row in sheet.iter_rows():
        for cell in row:
            if cell.value is None:
                continue
            kind = "n" if isinstance(cell.value, (int, float)) else "s"
            print("cell\t%s\t%s\t%s\t%d\t%s" % (cell.coordinate, kind, cell.value, bool(cell.font.b), cell.alignment.horizontal))
