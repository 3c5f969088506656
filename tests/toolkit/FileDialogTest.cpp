// The Qt file dialog as the windows ask for it: each type label once and as written, "*.*"
// listing names without a dot, and a change of type carrying the name's extension along.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>

#include "toolkit/MessageBoxes.h"

namespace rastel::toolkit {
namespace {

QStringList Items(const QAbstractItemModel* model, const QModelIndex& parent = {}) {
    QStringList items;
    for (int row = 0; row < model->rowCount(parent); ++row) {
        items << model->index(row, 0, parent).data().toString();
    }
    return items;
}

TEST(FileDialog, ShowsTheTypesAsWrittenAndFollowsTheChosenOne) {
    QTemporaryDir dir;
    for (const char* name : {"a.bin", "b.bmp", "noext"}) {
        QFile(dir.filePath(name)).open(QIODevice::WriteOnly);
    }
    FileRequest request;
    request.filter = QStringLiteral("すべてのファイル(*.*)|*.*");
    request.fileName = dir.filePath("a.bin");
    auto dialog = MakeFileDialog(nullptr, request);
    EXPECT_EQ(Items(dialog->findChild<QComboBox*>("fileTypeCombo")->model()),
              QStringList{"すべてのファイル(*.*)"});
    dialog->show();
    const auto* list = dialog->findChild<QListView*>("listView");
    // QTRY_COMPARE cannot fail a GoogleTest test.
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return Items(list->model(), list->rootIndex()) == QStringList{"a.bin", "b.bmp", "noext"};
    }));

    request.save = true;
    request.filter = QStringLiteral("ビットマップファイル(*.bmp)|*.bmp|PNG ファイル(*.png)|*.png");
    request.fileName += QStringLiteral(".bmp");
    request.defaultExtension = QStringLiteral(".bmp");
    dialog = MakeFileDialog(nullptr, request);
    auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
    EXPECT_EQ(Items(types->model()),
              (QStringList{"ビットマップファイル(*.bmp)", "PNG ファイル(*.png)"}));
    QTest::keyClick(types, Qt::Key_Down);  // the user picks PNG
    EXPECT_EQ(dialog->findChild<QLineEdit*>("fileNameEdit")->text(), "a.bin.png");
    EXPECT_EQ(dialog->defaultSuffix(), "png");
}

}  // namespace
}  // namespace rastel::toolkit
