// The survey window's size: as wide as its table's columns need to show their values
// whole at the font in use, as high as some fifteen rows, and never beyond its screen.
#include "dialogs/dialogwidgets.h"
#include "dialogs/formsurvey.h"
#include "survey/surveycolumns.h"

#include <QHeaderView>
#include <QLayout>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QTableWidget>

#include <algorithm>

namespace tavrin {

namespace {

constexpr int kRowsShown = 15;

} // namespace

void TFormSurvey::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous() || m_sized)
        return;
    fitToTable();
    m_sized = true;
    if (parentWidget())
        CentreOnOwner(*this);
    else
        CentreOnScreen(*this);
}

void TFormSurvey::fitToTable()
{
    if (!isVisible())
        return; // sized when first shown, at the font it is shown with
    const QHeaderView *header = m_table->horizontalHeader();
    const QAbstractItemView *cells = m_table; // where the width a column's values need is public
    int columns = 0;
    for (int column = 0; column < m_table->columnCount(); ++column) {
        const int values = column == ResultColumn ? std::min(cells->sizeHintForColumn(column), resultColumnCap())
                                                  : cells->sizeHintForColumn(column);
        columns += std::max(values, header->sectionSizeHint(column));
    }
    // The table's frame and scroll bar, the window's margins.
    const QMargins margins = layout()->contentsMargins();
    const int chrome = 2 * m_table->frameWidth() + m_table->verticalScrollBar()->sizeHint().width() + margins.left()
                       + margins.right();
    QSize wanted(std::max(width(), columns + chrome), height());
    if (!m_sized) {
        const int rows = header->sizeHint().height() + kRowsShown * m_table->verticalHeader()->defaultSectionSize();
        const int rest = layout()->sizeHint().height() - m_table->sizeHint().height();
        wanted.setHeight(rest + rows + 2 * m_table->frameWidth());
    }
    wanted = wanted.expandedTo(minimumSizeHint());
    if (wanted == size())
        return;
    resize(wanted);
    KeepOnScreen(*this);
}

} // namespace tavrin
