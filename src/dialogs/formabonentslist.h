#pragma once

#include "dialogs/messagebox.h"

#include <QDialog>
#include <QList>

#include <functional>

class QHBoxLayout;
class QPushButton;
class QTableWidget;
class QToolButton;

namespace tavrin {

struct AbonentDirectory;

// The subscriber list: the directory in a grid of number, name and phone number, sorted
// by name or by phone, where subscribers are added, edited and deleted. Every change is
// made at once in the directory the opener hands over; "Принять" only records the
// selected row and reports acceptance, "Отменить" undoes nothing.
class TFormAbonents_List : public QDialog {
    Q_OBJECT
public:
    TFormAbonents_List(AbonentDirectory &directory, QWidget *owner);

    ShowMessageFn showMessage; // handed on to the subscriber editor
    AskQuestionFn askQuestion; // the question before a deletion
    // "Опрос…": opens the survey window for the selected rows (positions from 0).
    std::function<void(const QList<int> &rows)> openSurvey;

protected:
    void showEvent(QShowEvent *event) override; // FormShow: size, place, fillGrid

private:
    void createGrid();
    QWidget *createHeader();
    QHBoxLayout *createButtons();
    void connectHandlers();

    void fillGrid();
    void showRow(int row);
    void showSortOrder();
    void onRowChosen(int row);        // a row selected by mouse or keys
    void onRowDoubleClicked(int row); // chosen and edited
    void onSortClicked(int sortKey);
    void onEditClicked();
    void onAddClicked();
    void onDeleteClicked();
    void deleteSelected();
    void onAcceptClicked();
    void onSurveyClicked();

    AbonentDirectory &m_directory;
    QTableWidget *m_grid = nullptr;
    QToolButton *m_sortByNameButton = nullptr;
    QToolButton *m_sortByPhoneButton = nullptr;
    QPushButton *m_editButton = nullptr;
    QPushButton *m_addButton = nullptr;
    QPushButton *m_deleteButton = nullptr;
    QPushButton *m_surveyButton = nullptr;
    QPushButton *m_acceptButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
};

} // namespace tavrin
