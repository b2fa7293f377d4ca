#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tavrin {

// The bar under the exchange log that finds text: "Найти:", the text, the next and the
// previous place, and how the last find went. Enter finds the next place, Shift+Enter
// the previous one, Esc closes the bar.
class LogFindBar : public QWidget {
    Q_OBJECT
public:
    explicit LogFindBar(QWidget *parent = nullptr);

    QString text() const;
    // Takes the keyboard, the text selected so that typing replaces it.
    void activate();
    enum class Outcome { Found, Wrapped, WrappedBack, NotFound, Nothing };
    void showOutcome(Outcome outcome);

signals:
    void findRequested(bool backward);
    // The text was changed by typing: a find from where the last one stopped.
    void textEdited();
    void closeRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QLineEdit *m_text = nullptr;
    QLabel *m_outcome = nullptr;
};

} // namespace tavrin
