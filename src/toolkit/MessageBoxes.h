// Message boxes and file dialogs behind one narrow interface, so that tests can answer them
// with a script and read back exactly what the user would have seen.
#pragma once

#include <QString>
#include <memory>
#include <optional>

class QFileDialog;
class QWidget;

namespace rastel::toolkit {

// The title of every box that names none of its own.
inline const QString kAppTitle = QStringLiteral("rastel");

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgButtons { Ok, OkCancel };
enum class MsgResult { Ok, Cancel };

struct MessageRequest {
    QString text;
    QString title;  // empty: the application title
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
    MsgResult defaultButton = MsgResult::Ok;
};

struct FileRequest {
    bool save = false;    // false: an open dialog
    bool folder = false;  // a folder to choose, not a file
    // "description|pattern" pairs joined by "|", as "すべてのファイル(*.*)|*.*".
    QString filter;
    QString fileName;          // proposed full path or bare name
    QString defaultExtension;  // ".bmp": added to a name typed without one
    bool fileMustExist = false;
    bool overwritePrompt = false;
};

class Dialogs {
  public:
    virtual ~Dialogs() = default;
    virtual MsgResult Message(QWidget* owner, const MessageRequest& request) = 0;
    // The chosen full path, or nothing when the user cancelled.
    virtual std::optional<QString> File(QWidget* owner, const FileRequest& request) = 0;
};

// Real Qt boxes and dialogs.
class QtDialogs : public Dialogs {
  public:
    MsgResult Message(QWidget* owner, const MessageRequest& request) override;
    std::optional<QString> File(QWidget* owner, const FileRequest& request) override;
};

// The dialogs every window uses: the Qt ones unless a test installed others.
Dialogs& CurrentDialogs();
// Installs d (nullptr: back to the Qt ones); returns the previous one.
Dialogs* SetDialogs(Dialogs* d);

MsgResult MsgBox(QWidget* owner, const QString& text, const QString& title = {},
                 MsgIcon icon = MsgIcon::None, MsgButtons buttons = MsgButtons::Ok,
                 MsgResult defaultButton = MsgResult::Ok);

// Turns "desc|pattern|desc|pattern" into Qt's ";;"-separated filters; "*.*" means every file.
// The dialog shows each description alone, as written.
QString QtFilter(const QString& filter);

// The Qt dialog that QtDialogs shows for request, not yet shown.
std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* owner, const FileRequest& request);

}  // namespace rastel::toolkit
