#include "support/ScriptedDialogs.h"

namespace rastel::toolkit {

ScriptedDialogs::ScriptedDialogs() : mPrevious(SetDialogs(this)) {}

ScriptedDialogs::~ScriptedDialogs() {
    SetDialogs(mPrevious);
}

MsgResult ScriptedDialogs::Message(QWidget*, const MessageRequest& request) {
    messages.push_back(request);
    if (messageAnswers.empty()) {
        return request.buttons == MsgButtons::Ok ? MsgResult::Ok : request.defaultButton;
    }
    const MsgResult answer = messageAnswers.front();
    messageAnswers.pop_front();
    return answer;
}

std::optional<QString> ScriptedDialogs::File(QWidget*, const FileRequest& request) {
    files.push_back(request);
    if (fileAnswers.empty()) {
        return std::nullopt;
    }
    const QString answer = fileAnswers.front();
    fileAnswers.pop_front();
    if (answer.isEmpty()) {
        return std::nullopt;
    }
    return answer;
}

}  // namespace rastel::toolkit
