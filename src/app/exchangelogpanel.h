#pragma once

#include <QGroupBox>

class QPushButton;

namespace tavrin {

class ExchangeLogView;

// The exchange log's group (gb_obmen): the trace and "Очистить список" under it.
class ExchangeLogPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit ExchangeLogPanel(QWidget *parent);

    ExchangeLogView &log() const { return *m_log; }
    QPushButton *clearButton() const { return m_clearButton; }

private:
    ExchangeLogView *m_log = nullptr;
    QPushButton *m_clearButton = nullptr;
};

} // namespace tavrin
