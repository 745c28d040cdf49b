#include "app/AviFileDialog.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileSystemModel>
#include <QTemporaryDir>
#include <QTest>
#include <string>
#include <vector>

namespace {

// The file names the dialog lists in `folder`, once it has read them (the
// model reads folders on its own thread).
std::vector<std::string> Listed(QFileSystemModel& files, const QString& folder, int wanted) {
    const QDeadlineTimer deadline(2000);
    QStringList names;
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        const QModelIndex root = files.index(folder);
        names.clear();
        for (int row = 0; row < files.rowCount(root); ++row) {
            names << files.index(row, 0, root).data().toString();
        }
    } while (names.size() != wanted && !deadline.hasExpired());
    names.sort();
    std::vector<std::string> result;
    for (const QString& name : names) {
        result.push_back(name.toStdString());
    }
    return result;
}

}  // namespace

// The second filter keeps its label, "All Files (*.*)", and lists every
// file: a name without a dot as well.
TEST(AviFileDialogTest, AllFilesKeepsItsLabelAndListsEveryFile) {
    QTemporaryDir folder;
    for (const char* name : {"take.avi", "notes", "clip.mkv"}) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    AviFileDialog dialog(folder.path());
    EXPECT_EQ(dialog.nameFilters(), (QStringList{"QuorvCCD Files (*.avi)", "All Files (*.*)"}));
    auto* files = dialog.findChild<QFileSystemModel*>();
    ASSERT_NE(files, nullptr);
    EXPECT_EQ(Listed(*files, folder.path(), 1), std::vector<std::string>{"take.avi"});

    auto* filters = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(filters, nullptr);
    QTest::keyClick(filters, Qt::Key_Down);  // as the user picks it
    EXPECT_EQ(filters->currentText(), "All Files (*.*)");
    EXPECT_EQ(Listed(*files, folder.path(), 3),
              (std::vector<std::string>{"clip.mkv", "notes", "take.avi"}));
}
