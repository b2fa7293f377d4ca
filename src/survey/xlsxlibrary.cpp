#include "survey/xlsxlibrary.h"

#include <QLibrary>

namespace tavrin {

namespace {

struct Loaded {
    XlsxLibrary functions;
    QString error; // empty when every function was found
};

template <typename Function>
void Resolve(QLibrary &library, const char *name, Function *function, QString *error)
{
    *function = reinterpret_cast<Function>(library.resolve(name));
    if (!*function && error->isEmpty())
        *error = library.errorString();
}

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
    Resolve(library, "workbook_new", &f.workbook_new, error);
    Resolve(library, "workbook_close", &f.workbook_close, error);
    Resolve(library, "workbook_add_format", &f.workbook_add_format, error);
    Resolve(library, "workbook_add_worksheet", &f.workbook_add_worksheet, error);
    Resolve(library, "format_set_num_format", &f.format_set_num_format, error);
    Resolve(library, "format_set_bold", &f.format_set_bold, error);
    Resolve(library, "format_set_text_wrap", &f.format_set_text_wrap, error);
    Resolve(library, "format_set_align", &f.format_set_align, error);
    Resolve(library, "format_set_pattern", &f.format_set_pattern, error);
    Resolve(library, "format_set_bg_color", &f.format_set_bg_color, error);
    Resolve(library, "worksheet_write_string", &f.worksheet_write_string, error);
    Resolve(library, "worksheet_write_blank", &f.worksheet_write_blank, error);
    Resolve(library, "worksheet_write_number", &f.worksheet_write_number, error);
    Resolve(library, "worksheet_write_datetime", &f.worksheet_write_datetime, error);
    Resolve(library, "worksheet_write_comment_opt", &f.worksheet_write_comment_opt, error);
    Resolve(library, "worksheet_set_column", &f.worksheet_set_column, error);
    Resolve(library, "worksheet_set_row", &f.worksheet_set_row, error);
    Resolve(library, "worksheet_freeze_panes", &f.worksheet_freeze_panes, error);
    Resolve(library, "worksheet_repeat_rows", &f.worksheet_repeat_rows, error);
    Resolve(library, "worksheet_autofilter", &f.worksheet_autofilter, error);
    Resolve(library, "worksheet_gridlines", &f.worksheet_gridlines, error);
    Resolve(library, "worksheet_set_landscape", &f.worksheet_set_landscape, error);
    Resolve(library, "worksheet_fit_to_pages", &f.worksheet_fit_to_pages, error);
    Resolve(library, "lxw_strerror", &f.lxw_strerror, error);
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
