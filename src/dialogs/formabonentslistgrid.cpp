// The subscriber list's grid and what its buttons do to the directory.
#include "dialogs/formabonentslist.h"

#include "dialogs/abonentediting.h"
#include "dialogs/dialogtexts.h"
#include "dialogs/dialogwidgets.h"
#include "settings/settings.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QToolButton>

#include <algorithm>

namespace tavrin {

namespace {

// The hourglass while a deletion rearranges the directory.
struct WaitCursor {
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

void SetCell(QTableWidget *grid, int row, int column, const QString &text)
{
    // An item shows its text as it is: nothing in a name is read as markup.
    grid->setItem(row, column, new QTableWidgetItem(text));
}

} // namespace

void TFormAbonents_List::fillGrid()
{
    // The rows change here, not by the user's choice: the selection is set at the end.
    const QSignalBlocker quiet(m_grid);
    const int count = std::min<int>(m_directory.count, kMaxAbonents);
    m_grid->setRowCount(std::max(count, 1)); // the grid keeps at least one row
    if (count == 0) {
        for (int column = 0; column < m_grid->columnCount(); ++column)
            SetCell(m_grid, 0, column, QString());
        m_grid->setCurrentCell(-1, -1);
        m_editButton->setEnabled(false);
        m_deleteButton->setEnabled(false);
        m_addButton->setEnabled(true);
        return;
    }
    if (count > 1)
        SortAbonents(m_directory, m_directory.sortKey);
    showSortOrder();
    for (int row = 0; row < count; ++row)
        showRow(row);
    if (m_directory.selectedIndex < count) {
        m_grid->setCurrentCell(m_directory.selectedIndex, 0);
        m_grid->scrollToItem(m_grid->item(m_directory.selectedIndex, 0));
    }
    m_editButton->setEnabled(true);
    m_deleteButton->setEnabled(true);
    m_addButton->setEnabled(count < kMaxAbonents);
}

void TFormAbonents_List::showRow(int row)
{
    const AbonentRecord &entry = m_directory.entries[row];
    SetCell(m_grid, row, 0, QStringLiteral("  %1").arg(row + 1));
    SetCell(m_grid, row, 1, QLatin1Char(' ') + entry.name);
    SetCell(m_grid, row, 2, QLatin1Char(' ') + entry.phoneNumber);
    SetCell(m_grid, row, 3, entry.networkAddress.isEmpty() ? QString() : QLatin1Char(' ') + entry.networkAddress);
    // A long host name is cut at a large font: the whole address is in the tooltip.
    if (!entry.networkAddress.isEmpty())
        m_grid->item(row, 3)->setToolTip(PlainToolTip(entry.networkAddress));
}

// The button of the order in force is the disabled one; a sort key of neither kind (a
// hand-edited file) leaves both as they are.
void TFormAbonents_List::showSortOrder()
{
    if (m_directory.sortKey != ByName && m_directory.sortKey != ByPhone)
        return;
    m_sortByNameButton->setEnabled(m_directory.sortKey != ByName);
    m_sortByPhoneButton->setEnabled(m_directory.sortKey != ByPhone);
}

void TFormAbonents_List::onRowChosen(int row)
{
    if (m_directory.count > 0 && row >= 0 && row < m_directory.count)
        m_directory.selectedIndex = quint8(row);
}

void TFormAbonents_List::onRowDoubleClicked(int row)
{
    if (m_directory.count == 0)
        return;
    onRowChosen(row);
    onEditClicked();
}

void TFormAbonents_List::onSortClicked(int sortKey)
{
    m_directory.sortKey = AbonentSortKey(sortKey);
    fillGrid();
}

void TFormAbonents_List::onEditClicked()
{
    if (EditAbonent(m_directory, this, showMessage))
        fillGrid(); // an edited name or number may move the subscriber
}

void TFormAbonents_List::onAddClicked()
{
    if (AddAbonent(m_directory, this, showMessage))
        fillGrid();
}

void TFormAbonents_List::onDeleteClicked()
{
    if (m_directory.count == 0 || m_directory.selectedIndex >= m_directory.count)
        return;
    if (!askQuestion(AbonentListTexts::DeleteQuestion))
        return;
    const WaitCursor hourglass;
    deleteSelected();
    fillGrid();
}

// The entries after the selected one move down a place; the slot left over at the end
// is cleared to all zeros; the subscriber before the deleted one becomes selected.
void TFormAbonents_List::deleteSelected()
{
    const int last = m_directory.count - 1;
    std::move(m_directory.entries.begin() + m_directory.selectedIndex + 1, m_directory.entries.begin() + last + 1,
              m_directory.entries.begin() + m_directory.selectedIndex);
    m_directory.entries[last] = AbonentRecord{QString(), 0, 0, QString()};
    if (m_directory.selectedIndex > 0)
        --m_directory.selectedIndex;
    --m_directory.count;
}

void TFormAbonents_List::onAcceptClicked()
{
    onRowChosen(m_grid->currentRow());
    accept();
}

} // namespace tavrin
