#include "survey/xlsxlibrary.h"

#include "link/libraryfunction.h"

#include <QLibrary>

namespace tavrin {

namespace {

struct Loaded {
    XlsxLibrary functions;
    QString error; // empty when every function was found
};

Loaded Load()
{
    Loaded loaded;
    // By file name, as the loader finds a linked library; the name is the one the build
    // found beside the header it compiled against. Never unloaded.
    QLibrary library(QStringLiteral(TAVRIN_XLSXWRITER_LIBRARY));
    if (!library.load()) {
        loaded.error = library.errorString();
        return loaded;
    }
    XlsxLibrary &f = loaded.functions;
    QString *error = &loaded.error;
    ResolveLibraryFunction(library, "workbook_new", &f.workbook_new, error);
    ResolveLibraryFunction(library, "workbook_close", &f.workbook_close, error);
    ResolveLibraryFunction(library, "workbook_add_format", &f.workbook_add_format, error);
    ResolveLibraryFunction(library, "workbook_add_worksheet", &f.workbook_add_worksheet, error);
    ResolveLibraryFunction(library, "format_set_num_format", &f.format_set_num_format, error);
    ResolveLibraryFunction(library, "format_set_bold", &f.format_set_bold, error);
    ResolveLibraryFunction(library, "format_set_text_wrap", &f.format_set_text_wrap, error);
    ResolveLibraryFunction(library, "format_set_align", &f.format_set_align, error);
    ResolveLibraryFunction(library, "format_set_pattern", &f.format_set_pattern, error);
    ResolveLibraryFunction(library, "format_set_bg_color", &f.format_set_bg_color, error);
    ResolveLibraryFunction(library, "worksheet_write_string", &f.worksheet_write_string, error);
    ResolveLibraryFunction(library, "worksheet_write_blank", &f.worksheet_write_blank, error);
    ResolveLibraryFunction(library, "worksheet_write_number", &f.worksheet_write_number, error);
    ResolveLibraryFunction(library, "worksheet_write_datetime", &f.worksheet_write_datetime, error);
    ResolveLibraryFunction(library, "worksheet_write_comment_opt", &f.worksheet_write_comment_opt, error);
    ResolveLibraryFunction(library, "worksheet_set_column", &f.worksheet_set_column, error);
    ResolveLibraryFunction(library, "worksheet_set_row", &f.worksheet_set_row, error);
    ResolveLibraryFunction(library, "worksheet_freeze_panes", &f.worksheet_freeze_panes, error);
    ResolveLibraryFunction(library, "worksheet_repeat_rows", &f.worksheet_repeat_rows, error);
    ResolveLibraryFunction(library, "worksheet_autofilter", &f.worksheet_autofilter, error);
    ResolveLibraryFunction(library, "worksheet_gridlines", &f.worksheet_gridlines, error);
    ResolveLibraryFunction(library, "worksheet_set_landscape", &f.worksheet_set_landscape, error);
    ResolveLibraryFunction(library, "worksheet_fit_to_pages", &f.worksheet_fit_to_pages, error);
    ResolveLibraryFunction(library, "lxw_strerror", &f.lxw_strerror, error);
    return loaded;
}

} // namespace

const XlsxLibrary *LoadXlsxLibrary(QString *error)
{
    static const Loaded loaded = Load();
    if (!loaded.error.isEmpty()) {
        if (error)
            *error = loaded.error;
        return nullptr;
    }
    return &loaded.functions;
}

} // namespace tavrin
