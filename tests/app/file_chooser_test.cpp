// The two "Browse" choosers: each stores its file in its own field and path
// box; cancelling changes nothing.
#include "support/wait.h"
#include "support/window_fixture.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

using namespace zfm;
using namespace zfm::test;

namespace {

class FileChooserTest : public WindowTest {
protected:
    // Answers the chooser once it is open: picks `file`, or cancels when empty.
    void answerChooser(const QString &file)
    {
        QTimer::singleShot(0, [this, file] {
            runUntil([] { return QApplication::activeModalWidget() != nullptr; }, 3000);
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            opened = dialog->directory().absolutePath();
            caption = dialog->windowTitle();
            filters = dialog->nameFilters();
            if (file.isEmpty()) {
                dialog->reject();
            } else {
                dialog->selectFile(file);
                QMetaObject::invokeMethod(dialog, "accept");
            }
        });
    }
    QString opened, caption;
    QStringList filters;
};

} // namespace

TEST_F(FileChooserTest, EachChooserFillsItsOwnFieldOnly)
{
    QTemporaryDir dir;
    const QString news = dir.filePath(QStringLiteral("news.txt"));
    QFile(news).open(QIODevice::WriteOnly);
    store(QStringLiteral("AutoPSPath"), dir.filePath(QStringLiteral("old.txt")));
    start();
    struct Row {
        const char *button, *box, *field, *other;
    };
    const Row rows[] = {{"cmdBrowsePS", "txtAutoPSPath", "AutoPSPath", "AutoRTPath"},
        {"cmdBrowseRT", "txtAutoRTPath", "AutoRTPath", "AutoPSPath"}};
    for (const Row &row : rows) {
        const QString otherBefore = stored(QLatin1String(row.other));
        answerChooser(news);
        click(row.button);
        EXPECT_EQ(stored(QLatin1String(row.field)), news) << row.button;
        EXPECT_EQ(find<QLineEdit>(row.box)->text(), news);
        EXPECT_EQ(stored(QLatin1String(row.other)), otherBefore) << row.button;
        EXPECT_EQ(caption, QStringLiteral("Browse to file with song name (*.txt) ..."));
        EXPECT_EQ(filters, QStringList{QStringLiteral("*.txt")});
    }
    // The PS chooser opened in the folder of its stored file.
    answerChooser(QString());
    click("cmdBrowsePS");
    EXPECT_EQ(opened, QDir(dir.path()).absolutePath());
}

TEST_F(FileChooserTest, CancellingChangesNothingAndAMissingFolderOpensHome)
{
    start(); // the stored default is a Windows path whose folder does not exist here
    const QString before = stored(QStringLiteral("AutoRTPath"));
    answerChooser(QString());
    click("cmdBrowseRT");
    EXPECT_EQ(opened, QDir::homePath());
    EXPECT_EQ(stored(QStringLiteral("AutoRTPath")), before);
    EXPECT_EQ(find<QLineEdit>("txtAutoRTPath")->text(), before);
}
