#pragma once

#include <QString>

namespace tavrin {

// Where the window's message boxes, Yes/No questions and file choices go instead of
// real dialogs: a test sets one to answer them and read their texts.
class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;
    virtual void showMessage(const QString &text) = 0;
    virtual bool askQuestion(const QString &text) = 0;
    // The file to save to, offered proposedPath; empty when the user cancels.
    virtual QString chooseSaveFile(const QString &proposedPath) = 0;
};

} // namespace tavrin
