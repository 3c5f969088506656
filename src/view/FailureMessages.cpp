#include "view/FailureMessages.h"

#include "toolkit/ErrorReport.h"
#include "toolkit/MessageBoxes.h"

namespace rastel {

namespace {

using Why = core::Outcome::Why;
using toolkit::MsgIcon;

enum class Title {
    kProgram,  // the program's name
    kReading,  // "エラーN: ファイル読み込み", N the row's number
    kWriting,  // "エラー (N)", N the failure's error number
};

struct Message {
    FailedStep step;
    Why why;  // kDone: every kind the step has no row of its own for
    const char* text;
    Title title;
    int number;  // for kReading: the number the box has always shown for it
    MsgIcon icon;
};

// clang-format off
constexpr Message kMessages[] = {
    {FailedStep::kLoad, Why::kFolder, "フォルダの展開はできません", Title::kReading, 9, MsgIcon::Critical},
    {FailedStep::kLoad, Why::kNotRegular, "通常のファイルではないため読み込めません", Title::kReading, 6, MsgIcon::Critical},
    {FailedStep::kLoad, Why::kEmpty, "ファイルサイズが0です", Title::kReading, 8, MsgIcon::Critical},
    {FailedStep::kLoad, Why::kFileTooLarge, "ファイルが大きすぎます", Title::kReading, 10, MsgIcon::Critical},
    {FailedStep::kLoad, Why::kUnreadable, "ファイルが読み出せませんでした", Title::kReading, 6, MsgIcon::Critical},
    {FailedStep::kLoad, Why::kOutOfMemory, "メモリが足りないためファイルを読み込めませんでした", Title::kProgram, 0, MsgIcon::Exclamation},
    {FailedStep::kDraw, Why::kDone, "画像の幅と高さが正しくありません", Title::kProgram, 0, MsgIcon::Exclamation},
    {FailedStep::kWrite, Why::kDone, "ファイルの書き込みに失敗しました", Title::kWriting, 0, MsgIcon::Critical},
};
// clang-format on

const Message* Find(FailedStep step, Why why) {
    const Message* fallback = nullptr;
    for (const Message& m : kMessages) {
        if (m.step == step && m.why == why) {
            return &m;
        }
        if (m.step == step && m.why == Why::kDone) {
            fallback = &m;
        }
    }
    return fallback;
}

}  // namespace

void ReportFailure(QWidget* owner, FailedStep step, const core::Outcome& failure,
                   const QString& path) {
    if (failure.ok() || failure.why == Why::kCancelled) {
        return;
    }
    const Message* m = Find(step, failure.why);
    if (m == nullptr) {  // the system's own failure, nobody planned for: its report
        toolkit::ShowErrorReport(owner, failure.error,
                                 QString::fromStdString(failure.reason) + ": " + path);
        return;
    }
    const QString title = m->title == Title::kProgram ? toolkit::kAppTitle
                          : m->title == Title::kReading
                              ? QStringLiteral("エラー%1: ファイル読み込み").arg(m->number)
                              : QStringLiteral("エラー (%1)").arg(failure.error);
    toolkit::MsgBox(owner, QString::fromUtf8(m->text), title, m->icon);
}

}  // namespace rastel
