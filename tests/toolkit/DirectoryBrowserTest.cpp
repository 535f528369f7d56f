#include "toolkit/DirectoryBrowser.h"

#include "toolkit/PathLabel.h"
#include "toolkit/QtText.h"
#include "support/TempDir.h"

#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QSignalSpy>
#include <QTreeView>
#include <QtTest>

#include <filesystem>
#include <set>

namespace kalmora {

namespace {

namespace fs = std::filesystem;

QString Q(const fs::path& path)
{
    return QString::fromStdString(path.string());
}

// Where the tree stands.
QString TreeDirectory(const QTreeView& tree)
{
    return QDir::toNativeSeparators(static_cast<const QFileSystemModel*>(tree.model())->filePath(tree.currentIndex()));
}

}  // namespace

class DirectoryBrowserTest : public QObject {
    Q_OBJECT

private slots:
    void movingTakesTheDriveListAndThePathAlong()
    {
        test::TempDir dir;
        DirectoryBrowser browser(
            "lst_drive", "lst_dir", [](const fs::path&) { return true; }, "lbl_dir");
        QSignalSpy moved(&browser, &DirectoryBrowser::Moved);
        QSignalSpy chosen(&browser, &DirectoryBrowser::Chosen);

        browser.MoveTo(dir.Path());

        QCOMPARE(Q(browser.Directory()), Q(dir.Path()));
        QCOMPARE(TreeDirectory(browser.DirectoryList()), Q(dir.Path()));
        // The drive shown is a volume that holds the directory.
        QVERIFY(browser.DriveList().currentIndex() >= 0);
        QVERIFY2(QDir::fromNativeSeparators(Q(dir.Path())).startsWith(browser.DriveList().currentText(), Qt::CaseInsensitive),
                 qPrintable(browser.DriveList().currentText()));
        QCOMPARE(browser.findChild<PathLabel*>("lbl_dir")->Path(), QDir::toNativeSeparators(Q(dir.Path())));
        QCOMPARE(moved.count(), 1);
        QCOMPARE(chosen.count(), 0);

        DirectoryBrowser withoutPath("lst_drive", "lst_dir", [](const fs::path&) { return true; });
        QVERIFY(withoutPath.findChild<PathLabel*>() == nullptr);
    }

    // The user's choice in either list is asked about; a refused one puts both lists back.
    void userChoiceIsAcceptedOrPutBack_data()
    {
        QTest::addColumn<bool>("byDrive");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("directory accepted") << false << true;
        QTest::newRow("directory refused") << false << false;
        QTest::newRow("drive accepted") << true << true;
        QTest::newRow("drive refused") << true << false;
    }
    void userChoiceIsAcceptedOrPutBack()
    {
        QFETCH(bool, byDrive);
        QFETCH(bool, accepted);
        test::TempDir dir;
        fs::create_directories(dir / "sub");
        std::set<fs::path> asked;
        DirectoryBrowser browser("lst_drive", "lst_dir", [&](const fs::path& directory) {
            asked.insert(directory);
            return accepted;
        });
        browser.MoveTo(dir.Path());
        const QString driveBefore = browser.DriveList().currentText();
        QSignalSpy moved(&browser, &DirectoryBrowser::Moved);
        QSignalSpy chosen(&browser, &DirectoryBrowser::Chosen);

        fs::path choice = dir / "sub";
        if (byDrive) {
            choice = PathFromQt(QDir::rootPath());
            browser.DriveList().setCurrentIndex(0);
            emit browser.DriveList().activated(0);
        } else {
            auto* model = static_cast<QFileSystemModel*>(browser.DirectoryList().model());
            browser.DirectoryList().setCurrentIndex(model->index(Q(choice)));
        }

        QCOMPARE(asked, std::set<fs::path>{choice});
        const fs::path standing = accepted ? choice : dir.Path();
        QCOMPARE(Q(browser.Directory()), Q(standing));
        QCOMPARE(TreeDirectory(browser.DirectoryList()), Q(standing));
        QCOMPARE(browser.DriveList().currentText(), accepted && byDrive ? QDir::rootPath() : driveBefore);
        QCOMPARE(moved.count(), 1);
        QCOMPARE(Q(moved.front().front().value<fs::path>()), Q(standing));
        QCOMPARE(chosen.count(), accepted ? 1 : 0);
    }
};

}  // namespace kalmora

QTEST_MAIN(kalmora::DirectoryBrowserTest)
#include "DirectoryBrowserTest.moc"
