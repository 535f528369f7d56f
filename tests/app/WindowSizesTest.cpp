// What every window does with its size: its lists grow with it, it opens where and as large as the
// user left it, and the main window's clock stays whole however narrow the window gets.
#include "app/frmAbt.h"
#include "app/frmAbta.h"
#include "app/frmEin.h"
#include "app/frmEine.h"
#include "app/frmExp.h"
#include "app/frmImp.h"
#include "app/frmImpe.h"
#include "app/frmInst.h"
#include "app/frmInt.h"
#include "app/frmMain.h"
#include "app/frmOpt.h"
#include "app/frmPat.h"
#include "toolkit/PanelStatusBar.h"
#include "toolkit/QtText.h"
#include "toolkit/QtWindowOpener.h"
#include "toolkit/WindowPlaces.h"
#include "foundation/ScriptedUserInterface.h"
#include "import/ImportRun.h"
#include "reports/DepartmentLines.h"
#include "support/Files.h"
#include "support/ImportedInstallation.h"
#include "support/ScriptedWindowOpener.h"
#include "support/TempDir.h"
#include "support/WindowContext.h"
#include "support/WindowDriving.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kalmora {

namespace {

using test::Find;
using test::Q;

namespace fs = std::filesystem;

// An installation with the department of the append case imported.
struct Installation : test::WindowContext {
    Installation()
    {
        const fs::path fixtures = fs::path(KALMORA_TEST_DATA_DIR) / "import" / "append";
        test::SetUpImportedInstallation(Dir, IniFile, Config,
                                        {fixtures / "A2100101X002.txt", fixtures / "B2100101X002.txt"});
    }

    std::string DepartmentLine() const { return ReadDepartmentLines(Config).front().Text; }
    fs::path PlacesFile() const { return Dir / "places" / "fenster.ini"; }
};

// Opens the window through the opener; `whileOpen` runs once it shows, then the window is closed.
int ShowModal(WindowOpener& opener, QDialog& window, const std::function<void(QDialog&)>& whileOpen)
{
    QTimer::singleShot(0, &window, [&window, whileOpen] {
        if (!QTest::qWaitForWindowExposed(&window)) qFatal("%s did not show", qPrintable(window.objectName()));
        whileOpen(window);
        window.reject();
    });
    return opener.ShowModal(window);
}

// The size a window opens at when nothing is remembered for it.
QSize OwnSize(QDialog& window)
{
    QtWindowOpener rememberingNothing{QString()};
    QSize size;
    ShowModal(rememberingNothing, window, [&size](QDialog& shown) { size = shown.size(); });
    return size;
}

}  // namespace

class WindowSizesTest : public QObject {
    Q_OBJECT

private slots:
    void everyListGrowsWithItsWindow()
    {
        Installation inst;
        frmMain mainWindow(inst.Context);
        ImportRun run;
        const std::string line = inst.DepartmentLine();
        struct Case {
            std::function<std::unique_ptr<QDialog>()> Open;
            QStringList Lists;
            int Page = -1;  // the page of tab control "Tabs" that holds the lists
            QString Tabs{};
            bool GrowsWide = true;
        };
        const std::vector<Case> cases{
            {[&] { return std::make_unique<frmAbt>(inst.Context); }, {"lst_abteilung"}},
            {[&] { return std::make_unique<frmPat>(inst.Context, line); }, {"lst_patient"}},
            {[&] { return std::make_unique<frmAbta>(inst.Context, std::vector<std::string>{line}); }, {"grd_abta"}},
            {[&] { return std::make_unique<frmEin>(inst.Context); }, {"lst_abteilung"}},
            {[&] { return std::make_unique<frmEine>(inst.Context, std::vector<DepartmentEntry>{}); }, {"grd_erg"}},
            {[&] { return std::make_unique<frmExp>(inst.Context); }, {"lst_abteilung"}},
            {[&] { return std::make_unique<frmImp>(inst.Context, run, mainWindow); }, {"lst_file", "lst_dir"}},
            {[&] { return std::make_unique<frmImpe>(inst.Context, run); }, {"grd_erg"}},
            {[&] { return std::make_unique<frmOpt>(inst.Context); }, {"lst_dir"}, 1, "tab_opt"},
            {[&] { return std::make_unique<frmInst>(inst.Context, inst.Dir / "Kalmora"); }, {"lst_dir"}},
            // The survey days are a column of dates: it grows in height only.
            {[&] { return std::make_unique<frmInt>(inst.Context, line); }, {"lst_erhebung_tiss"}, 1, "tab_int", false},
        };
        const QSize gained(160, 120);
        for (const Case& test : cases) {
            const std::unique_ptr<QDialog> window = test.Open();
            const QString name = window->objectName();
            window->show();
            QVERIFY2(QTest::qWaitForWindowExposed(window.get()), qPrintable(name));
            if (test.Page >= 0) {
                Find<QTabWidget>(*window, test.Tabs)->setCurrentIndex(test.Page);
                // A page may show more than the one before it: laid out anew before anything is measured.
                window->layout()->activate();
                QApplication::processEvents();
            }
            std::vector<QSize> before;
            for (const QString& list : test.Lists)
                before.push_back(Find<QAbstractItemView>(*window, list)->size());

            window->resize(window->size() + gained);

            // The lists take what the window gains: in height each of them at least half of it (a
            // chart may share it), in width all of it together (lists side by side share it).
            int widthGained = 0;
            for (std::size_t index = 0; index < before.size(); ++index) {
                const QString& listName = test.Lists[static_cast<qsizetype>(index)];
                const auto* list = Find<QAbstractItemView>(*window, listName);
                QTRY_VERIFY2(list->height() >= before[index].height() + gained.height() / 2,
                             qPrintable(name + " " + listName));
                QVERIFY2(!test.GrowsWide || list->width() > before[index].width(), qPrintable(name + " " + listName));
                widthGained += list->width() - before[index].width();
            }
            QCOMPARE(widthGained, test.GrowsWide ? gained.width() : 0);
            QVERIFY2(window->minimumSize().width() < window->maximumSize().width(), qPrintable(name));
            window->hide();
        }
    }

    void aWindowOpensWhereAndAsLargeAsItWasLeft()
    {
        Installation inst;
        QtWindowOpener opener(Q(inst.PlacesFile().string()));
        const QSize ownSize = [&] {
            frmAbt window(inst.Context);
            return OwnSize(window);
        }();
        const QRect left(QPoint(30, 40), ownSize + QSize(90, 70));

        {
            frmAbt window(inst.Context);
            ShowModal(opener, window, [&left](QDialog& shown) {
                QCOMPARE(shown.size(), left.size() - QSize(90, 70));
                shown.setGeometry(left);
            });
        }
        QVERIFY(fs::exists(inst.PlacesFile()));

        QRect reopened;
        {
            frmAbt window(inst.Context);
            ShowModal(opener, window, [&reopened](QDialog& shown) { reopened = shown.geometry(); });
        }
        QCOMPARE(reopened, left);

        // Each window has its own place: another one still opens at its own size.
        frmExp other(inst.Context);
        const QSize otherOwnSize = OwnSize(other);
        QSize otherOpened;
        frmExp again(inst.Context);
        ShowModal(opener, again, [&otherOpened](QDialog& shown) { otherOpened = shown.size(); });
        QCOMPARE(otherOpened, otherOwnSize);
    }

    // The places are the user's: in the user's configuration directory, apart from the program's
    // settings file, which keeps exactly its keys.
    void thePlacesAreKeptInTheUsersConfiguration()
    {
        Installation inst;
        test::TempDir config;
        const QByteArray before = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.Path().string()));
        const std::string settings = test::ReadText(inst.Dir / "Kalmora11_0.ini");

        // XDG_CONFIG_HOME names the user's configuration on Linux; Windows keeps it in the user's local
        // application data, which the system names.
        const fs::path userConfiguration =
            fs::path("/").is_absolute()
                ? config.Path()
                : PathFromQt(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
        const fs::path expected = userConfiguration / "kalmora" / "fenster.ini";
        QCOMPARE(QDir::toNativeSeparators(UserWindowPlacesFile()), Q(expected.string()));
        QtWindowOpener opener;
        QSize left;
        {
            frmAbt window(inst.Context);
            ShowModal(opener, window, [&left](QDialog& shown) {
                shown.resize(shown.size() + QSize(50, 50));
                left = shown.size();
            });
        }
        QVERIFY(fs::exists(expected));
        QCOMPARE(test::ReadText(inst.Dir / "Kalmora11_0.ini"), settings);
        QSize reopened;
        {
            frmAbt window(inst.Context);
            ShowModal(opener, window, [&reopened](QDialog& shown) { reopened = shown.size(); });
        }
        QCOMPARE(reopened, left);

        if (before.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", before);
    }

    void aDamagedPlacesFileNeverKeepsAWindowClosed_data()
    {
        QTest::addColumn<QString>("content");
        QTest::addColumn<bool>("directoryInstead");
        QTest::newRow("no file") << QString() << false;
        QTest::newRow("not an ini file") << QString("\x01\x02 [[[ = = \xff") << false;
        QTest::newRow("a damaged place") << QString("[frmAbt]\ngeometry=@ByteArray(not a geometry)\n") << false;
        QTest::newRow("a folder in its place") << QString() << true;
    }
    void aDamagedPlacesFileNeverKeepsAWindowClosed()
    {
        QFETCH(QString, content);
        QFETCH(bool, directoryInstead);
        Installation inst;
        if (directoryInstead)
            fs::create_directories(inst.PlacesFile());
        else if (!content.isEmpty())
            test::WriteText(inst.PlacesFile(), content.toStdString());
        frmAbt plain(inst.Context);
        const QSize ownSize = OwnSize(plain);

        QtWindowOpener opener(Q(inst.PlacesFile().string()));
        for (int opening = 0; opening < 2; ++opening) {
            frmAbt window(inst.Context);
            bool shown = false;
            QSize size;
            ShowModal(opener, window, [&](QDialog& open) {
                shown = open.isVisible();
                size = open.size();
            });
            QVERIFY(shown);
            // The first opening finds nothing usable; a file that could be written remembers the size.
            QCOMPARE(size, ownSize);
        }
    }

    void theMainWindowOpensWhereItWasLeft()
    {
        Installation inst;
        QtWindowOpener opener(Q(inst.PlacesFile().string()));
        AppContext context{inst.IniFile, inst.Config, inst.Ui, opener};
        {
            frmMain first(context);
            // Nothing remembered yet: maximised.
            QVERIFY(first.windowState() & Qt::WindowMaximized);
            first.setWindowState(Qt::WindowNoState);
            first.show();
            QVERIFY(QTest::qWaitForWindowExposed(&first));
            first.setGeometry(50, 60, 700, 450);
        }
        frmMain second(context);
        QVERIFY(!(second.windowState() & Qt::WindowMaximized));
        QCOMPARE(second.geometry(), QRect(50, 60, 700, 450));
    }

    // At any width down to the window's smallest, the clock's panel shows the whole date and time.
    void theClockStaysWholeDownToTheSmallestWindow()
    {
        Installation inst;
        frmMain window(inst.Context);
        window.setWindowState(Qt::WindowNoState);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QLabel* clock = window.StatusPanels().Panel(4);
        QVERIFY(!clock->text().isEmpty());
        for (const int width : {1200, 900, 640}) {
            window.resize(width, 400);
            QTRY_COMPARE(window.width(), std::max(width, window.minimumWidth()));
            QTRY_VERIFY2(
                clock->width() >= clock->sizeHint().width(),
                qPrintable(QString("%1: %2 < %3").arg(width).arg(clock->width()).arg(clock->sizeHint().width())));
            QVERIFY(clock->contentsRect().width() > clock->fontMetrics().horizontalAdvance(clock->text().trimmed()));
        }
        QCOMPARE(window.minimumWidth(), 640);
        // The other panels give way, and still show.
        for (int panel = 1; panel <= 3; ++panel)
            QVERIFY(window.StatusPanels().Panel(panel)->width() > 0);
    }
};

}  // namespace kalmora

QTEST_MAIN(kalmora::WindowSizesTest)
#include "WindowSizesTest.moc"
