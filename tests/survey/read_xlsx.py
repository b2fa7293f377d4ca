#!/usr/bin/env python3
"""Reads an .xlsx file with openpyxl, a reader that shares no code with the writer, and
prints as JSON what a spreadsheet program would show: per sheet its frozen cell, its
filter range, column widths, row heights, and per cell its type as openpyxl reads it
("s" text, "n" number, "d" date and time), its value, number format, boldness, fill
and comment.

Exit status 3 when openpyxl is missing, so the caller can skip instead of failing."""
import json
import sys

try:
    import openpyxl
except ImportError:
    sys.stderr.write("python3-openpyxl is not installed\n")
    sys.exit(3)


def fill_of(cell):
    fill = cell.fill
    if fill is None or fill.fill_type != "solid":
        return None
    rgb = fill.fgColor.rgb if fill.fgColor is not None else None
    return rgb if isinstance(rgb, str) else None


def value_of(cell):
    value = cell.value
    if hasattr(value, "isoformat"):
        return value.isoformat()
    return value


def main(path):
    book = openpyxl.load_workbook(path)
    sheets = []
    for sheet in book.worksheets:
        cells = {}
        for row in sheet.iter_rows():
            for cell in row:
                if cell.value is None and fill_of(cell) is None and cell.comment is None:
                    continue
                cells[cell.coordinate] = {
                    "type": cell.data_type,
                    "value": value_of(cell),
                    "format": cell.number_format,
                    "bold": bool(cell.font and cell.font.b),
                    "fill": fill_of(cell),
                    "comment": cell.comment.text if cell.comment else None,
                }
        sheets.append({
            "name": sheet.title,
            "freeze": sheet.freeze_panes,
            "filter": sheet.auto_filter.ref,
            "widths": {key: dim.width for key, dim in sheet.column_dimensions.items() if dim.width},
            "heights": {str(key): dim.height for key, dim in sheet.row_dimensions.items() if dim.height},
            "cells": cells,
        })
    json.dump({"sheets": sheets}, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main(sys.argv[1])
