// The message box a step showed, checked as the user saw it and then forgotten, so the next
// step starts with none.
#pragma once

#include <gtest/gtest.h>

#include "support/ScriptedDialogs.h"

namespace rastel::testing {

struct Box {
    QString text;  // ending in "...": only its start is given
    QString title;
    toolkit::MsgIcon icon = toolkit::MsgIcon::None;
    toolkit::MsgButtons buttons = toolkit::MsgButtons::Ok;
    toolkit::MsgResult defaultButton = toolkit::MsgResult::Ok;
};

// The box for a failure nobody planned for, with the system's error number.
inline Box ErrorReport(int number) {
    return {
        QStringLiteral("エラーが発生しました。こちらのエラーを報告してくださるようお願いします。"
                       "\nエラーコード %1 \n...")
            .arg(number),
        QStringLiteral("rastel")};
}

inline void ExpectBox(toolkit::ScriptedDialogs& dialogs, const Box& want) {
    ASSERT_EQ(dialogs.messages.size(), 1u) << "boxes shown";
    const toolkit::MessageRequest box = dialogs.messages[0];
    dialogs.messages.clear();
    const bool start = want.text.endsWith(QStringLiteral("..."));
    EXPECT_EQ(start ? box.text.left(want.text.size() - 3) + "..." : box.text, want.text);
    EXPECT_EQ(std::tuple(box.title, box.icon, box.buttons, box.defaultButton),
              std::tuple(want.title, want.icon, want.buttons, want.defaultButton));
}

}  // namespace rastel::testing
