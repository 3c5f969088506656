// A stand-in for the message boxes and file dialogs that tests install: it records every
// request and answers from a script, never showing a window.
#pragma once

#include <deque>
#include <vector>

#include "toolkit/MessageBoxes.h"

namespace rastel::toolkit {

class ScriptedDialogs : public Dialogs {
  public:
    ScriptedDialogs();            // installs itself
    ~ScriptedDialogs() override;  // puts back what was installed before
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    MsgResult Message(QWidget* owner, const MessageRequest& request) override;
    std::optional<QString> File(QWidget* owner, const FileRequest& request) override;

    // Answers used in order; a box with no answer left gets its default button. A file
    // dialog is cancelled by an empty answer or when none is left.
    std::deque<MsgResult> messageAnswers;
    std::deque<QString> fileAnswers;

    std::vector<MessageRequest> messages;
    std::vector<FileRequest> files;

  private:
    Dialogs* mPrevious = nullptr;
};

}  // namespace rastel::toolkit
