#pragma once

#include <xlsxwriter.h>

#include <QString>

namespace tavrin {

// The functions of libxlsxwriter that a spreadsheet file is made with, under the
// library's own names. The library is loaded when the first spreadsheet is written, not
// when a program starts: linked, it and the cryptography library it brings were loaded
// and bound at every start of the main window, which writes a report once a survey if
// ever.
struct XlsxLibrary {
    decltype(&::workbook_new) workbook_new = nullptr;
    decltype(&::workbook_close) workbook_close = nullptr;
    decltype(&::workbook_add_format) workbook_add_format = nullptr;
    decltype(&::workbook_add_worksheet) workbook_add_worksheet = nullptr;
    decltype(&::format_set_num_format) format_set_num_format = nullptr;
    decltype(&::format_set_bold) format_set_bold = nullptr;
    decltype(&::format_set_text_wrap) format_set_text_wrap = nullptr;
    decltype(&::format_set_align) format_set_align = nullptr;
    decltype(&::format_set_pattern) format_set_pattern = nullptr;
    decltype(&::format_set_bg_color) format_set_bg_color = nullptr;
    decltype(&::worksheet_write_string) worksheet_write_string = nullptr;
    decltype(&::worksheet_write_blank) worksheet_write_blank = nullptr;
    decltype(&::worksheet_write_number) worksheet_write_number = nullptr;
    decltype(&::worksheet_write_datetime) worksheet_write_datetime = nullptr;
    decltype(&::worksheet_write_comment_opt) worksheet_write_comment_opt = nullptr;
    decltype(&::worksheet_set_column) worksheet_set_column = nullptr;
    decltype(&::worksheet_set_row) worksheet_set_row = nullptr;
    decltype(&::worksheet_freeze_panes) worksheet_freeze_panes = nullptr;
    decltype(&::worksheet_repeat_rows) worksheet_repeat_rows = nullptr;
    decltype(&::worksheet_autofilter) worksheet_autofilter = nullptr;
    decltype(&::worksheet_gridlines) worksheet_gridlines = nullptr;
    decltype(&::worksheet_set_landscape) worksheet_set_landscape = nullptr;
    decltype(&::worksheet_fit_to_pages) worksheet_fit_to_pages = nullptr;
    decltype(&::lxw_strerror) lxw_strerror = nullptr;
};

// The library's functions, loaded on the first call (from any thread) and kept; null,
// with the loader's reason in *error, when the library or one of them is missing.
const XlsxLibrary *LoadXlsxLibrary(QString *error);

} // namespace tavrin
