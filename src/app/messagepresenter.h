#pragma once

#include <QString>

namespace tavrin {

// Where the window's message boxes and Yes/No questions go instead of real boxes: a
// test sets one to answer them and read their texts.
class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;
    virtual void showMessage(const QString &text) = 0;
    virtual bool askQuestion(const QString &text) = 0;
};

} // namespace tavrin
