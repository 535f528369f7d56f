// The import dialog and the result table, driven through the main window's "&Import" as a user would.
#include "app/frmImp.h"

#include "toolkit/CellGrid.h"
#include "toolkit/PathLabel.h"
#include "toolkit/QtText.h"
#include "app/frmImpe.h"
#include "app/frmMain.h"
#include "foundation/ScriptedUserInterface.h"
#include "foundation/Settings.h"
#include "storage/Setup.h"
#include "support/Files.h"
#include "support/ScriptedWindowOpener.h"
#include "support/TempDir.h"
#include "support/WindowContext.h"
#include "support/WindowDriving.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTreeView>
#include <QtTest>

#include <filesystem>
#include <functional>
#include <map>
#include <string>

namespace kalmora {

namespace {

using test::Click;
using test::Entries;
using test::Find;
using test::Q;

namespace fs = std::filesystem;

const fs::path kFixtures = fs::path(KALMORA_TEST_DATA_DIR) / "import" / "append";
const QString kTitles = "Datei\tKA\tAbteilung\t#Patienten\tdavon importiert\tKommentar\r";
const QString kRowA = "A2100101X002\tK002 - Krankenhaus Nordstad\t12100101 - Anästhesiologische Intensivstation    "
                      "\t 2    \t 2    \t";
const QString kRowB = "B2100101X002\tK002 - Krankenhaus Nordstad\t12100101 - Anästhesiologische Intensivstation    "
                      "\t 2    \t 2    \t";
const std::string kProtocolHeader =
    "Datei;Krankenanstalt;Abteilung;Satzart;KH-Aufnahmezahl;Geburtsdatum;Aufnahmezeitpunkt;Typ;Parameter;Kommentar"
    "\r\n";

// The cells of a grid, rows joined by "|" and cells by TAB.
QStringList GridText(const CellGrid& grid)
{
    QStringList rows;
    for (int row = 0; row < grid.Rows(); ++row) {
        QStringList cells;
        for (int column = 0; column < grid.Columns(); ++column)
            cells << grid.CellText(row, column);
        rows << cells.join('\t');
    }
    return rows;
}

// A working installation with the main window on it; the import directory holds the two files of
// one department.
struct Installation : test::WindowContext {
    std::unique_ptr<frmMain> MainWindow;

    // What the test does in the import dialog, and what the result table showed.
    std::function<void(QDialog&)> InImport;
    QStringList ResultGrid;
    QString Copied;

    Installation()
    {
        SetupInstallation(Dir.Path(), SettingsPath(), fs::path(KALMORA_SOURCE_DIR) / "data" / "reference", 2024);
        IniFile.SettingsFileName = SettingsPath().string();
        for (const char* file : {"A2100101X002.txt", "B2100101X002.txt"})
            fs::copy_file(kFixtures / file, ImportDir() / file);
        MainWindow = std::make_unique<frmMain>(Context);
        Windows.WhileOpen = [this](QDialog& dialog) {
            dialog.show();
            if (dialog.objectName() == "frmImp") {
                if (!QTest::qWaitForWindowActive(&dialog)) qFatal("the import dialog did not become active");
                if (InImport) InImport(dialog);
            } else if (dialog.objectName() == "frmImpe") {
                ResultGrid = GridText(*Find<CellGrid>(dialog, "grd_erg"));
                Click(dialog, "cmd_erg_0");
                Copied = Q(Ui.Clipboard());
                Click(dialog, "cmd_erg_1");
            }
            const int result = dialog.result();
            dialog.hide();
            return result;
        };
    }

    fs::path SettingsPath() const { return Dir / "Kalmora11_0.ini"; }
    fs::path ImportDir() const { return Dir / "import"; }
    fs::path ExportDir() const { return Dir / "export"; }
    fs::path SystemDir() const { return Dir / "system"; }

    // Opens the import dialog from the menu; the dialog and the result table do what the test says.
    void MenuImport() { MainWindow->findChild<QAction*>("datei_0")->trigger(); }

    // Every file of the installation with its bytes.
    std::map<std::string, std::string> Snapshot() const
    {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(Dir.Path())) {
            if (entry.is_regular_file()) files[entry.path().string()] = test::ReadText(entry.path());
        }
        return files;
    }

    QStringList MessageTexts() const
    {
        QStringList texts;
        for (const auto& message : Ui.Messages())
            texts << Q(message.Text);
        return texts;
    }
};

void SelectAll(QDialog& dialog)
{
    Find<QListWidget>(dialog, "lst_file")->selectAll();
}

}  // namespace

class frmImpTest : public QObject {
    Q_OBJECT

private slots:
    void opensOnTheImportDirectory()
    {
        Installation inst;
        test::WriteText(inst.ImportDir() / "a.txt", "x");
        test::WriteText(inst.ImportDir() / ".versteckt", "x");
        fs::create_directories(inst.ImportDir() / "unter");
        const auto before = inst.Snapshot();
        ImportRun run;
        frmImp dialog(inst.Context, run, *inst.MainWindow);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));

        QCOMPARE(dialog.windowTitle(), QString(" Datei - Import"));
        // Files only, visible ones, by name whatever their case.
        QCOMPARE(Entries(*Find<QListWidget>(dialog, "lst_file")),
                 QStringList({"a.txt", "A2100101X002.txt", "B2100101X002.txt"}));
        QCOMPARE(Find<QListWidget>(dialog, "lst_file")->selectionMode(), QAbstractItemView::ExtendedSelection);
        QCOMPARE(Q(dialog.FileListDirectory().string()), Q(inst.ImportDir().string()));
        QCOMPARE(Find<QComboBox>(dialog, "lst_drive")->itemText(0), QDir::rootPath());
        QVERIFY(Find<QRadioButton>(dialog, "opt_import_0")->isChecked());
        QCOMPARE(Find<QRadioButton>(dialog, "opt_import_1")->text(),
                 QString("Gesamten Datenbestand der Abteilung initialisieren"));
        QCOMPARE(Find<QPushButton>(dialog, "cmd_imp_0")->text(), QString("Import"));
        QCOMPARE(Find<QPushButton>(dialog, "cmd_imp_1")->text(), QString("Abbrechen"));

        auto* protocol = Find<QLineEdit>(dialog, "txt_protocol");
        QCOMPARE(protocol->text(), QString("protocol.dat"));
        protocol->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(protocol->selectedText(), QString("protocol.dat"));

        // Choosing a directory takes the file list along.
        auto* directories = Find<QTreeView>(dialog, "lst_dir");
        auto* model = static_cast<QFileSystemModel*>(directories->model());
        directories->setCurrentIndex(model->index(Q((inst.ImportDir() / "unter").string())));
        QCOMPARE(Find<QListWidget>(dialog, "lst_file")->count(), 0);
        QCOMPARE(Q(dialog.FileListDirectory().string()), Q((inst.ImportDir() / "unter").string()));
        QVERIFY(inst.Ui.Messages().empty());
        QVERIFY(inst.Snapshot() == before);
    }

    // The tree alone hides where the lists stand once the path is long: the whole path is shown above
    // it, and what no longer fits is left out in the middle and shown whole as the tooltip. A long
    // folder name widens the tree, which then scrolls sideways, instead of being cut.
    void showsTheCurrentDirectoryAsAFullPath()
    {
        Installation inst;
        const QString longName = "Intensivstation " + QString(60, 'x') + " Exporte des Krankenhausinformationssystems";
        const fs::path deep = inst.ImportDir() / "2024" / longName.toStdString();
        fs::create_directories(deep);
        ImportRun run;
        frmImp dialog(inst.Context, run, *inst.MainWindow);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* path = Find<PathLabel>(dialog, "lbl_dir");
        QCOMPARE(path->Path(), Q(inst.ImportDir().string()));
        QCOMPARE(path->text(), Q(inst.ImportDir().string()));
        QVERIFY(path->toolTip().isEmpty());

        auto* directories = Find<QTreeView>(dialog, "lst_dir");
        auto* model = static_cast<QFileSystemModel*>(directories->model());
        directories->setCurrentIndex(model->index(Q(deep.string())));
        QCOMPARE(Q(dialog.FileListDirectory().string()), Q(deep.string()));
        QCOMPARE(path->Path(), Q(deep.string()));
        // Too long for the label: both ends in sight, the whole path as the tooltip.
        QVERIFY(path->fontMetrics().horizontalAdvance(Q(deep.string())) > path->contentsRect().width());
        QVERIFY2(path->text().contains(QChar(0x2026)), qPrintable(path->text()));
        QVERIFY2(path->text().startsWith(Q(inst.Dir.Path().root_path().string())), qPrintable(path->text()));
        QVERIFY2(path->text().endsWith("systems"), qPrintable(path->text()));
        QVERIFY(path->fontMetrics().horizontalAdvance(path->text()) <= path->contentsRect().width());
        QCOMPARE(path->toolTip(), Q(deep.string()));

        // The folder's name shows whole in the tree, in a column as wide as it needs.
        QTRY_VERIFY(directories->columnWidth(0) > directories->fontMetrics().horizontalAdvance(longName));
        QVERIFY(directories->columnWidth(0) > directories->viewport()->width());
        QVERIFY(directories->horizontalScrollBar()->maximum() > 0);

        // A path that fits shows whole again (the dialog widened for the longer temporary folders of some
        // systems).
        dialog.resize(dialog.width() + 300, dialog.height());
        QApplication::processEvents();
        directories->setCurrentIndex(model->index(Q((inst.ImportDir() / "2024").string())));
        QCOMPARE(path->text(), Q((inst.ImportDir() / "2024").string()));
        QVERIFY(path->toolTip().isEmpty());
    }

    // A missing import directory is replaced by the system data directory, in the settings file too.
    void missingImportDirectoryFallsBackToTheSystemDirectory_data()
    {
        QTest::addColumn<QString>("importPath");  // "" keeps the installation's
        QTest::addColumn<bool>("systemExists");
        QTest::addColumn<bool>("fallsBack");
        QTest::newRow("import directory missing") << "missing" << true << true;
        QTest::newRow("no full path") << "unknown" << true << true;
        QTest::newRow("system directory missing too") << "missing" << false << false;
    }
    void missingImportDirectoryFallsBackToTheSystemDirectory()
    {
        QFETCH(QString, importPath);
        QFETCH(bool, systemExists);
        QFETCH(bool, fallsBack);
        Installation inst;
        inst.Config.ImportDataPath = importPath == "missing" ? (inst.Dir / "weg").string() : importPath.toStdString();
        if (!systemExists) inst.Config.SystemDataPath = (inst.Dir / "auch_weg").string();
        const std::string settingsBefore = test::ReadText(inst.SettingsPath());
        const std::string importBefore = inst.Config.ImportDataPath;

        ImportRun run;
        frmImp dialog(inst.Context, run, *inst.MainWindow);

        const std::string settingsAfter = test::ReadText(inst.SettingsPath());
        if (fallsBack) {
            QCOMPARE(Q(dialog.FileListDirectory().string()), Q(inst.SystemDir().string()));
            QCOMPARE(Q(inst.Config.ImportDataPath), Q(inst.SystemDir().string()));
            QVERIFY2(settingsAfter.find("ImportDataPath=" + inst.SystemDir().string() + "\n") != std::string::npos,
                     settingsAfter.c_str());
        } else {
            // The lists open at the user's home folder, at the root where there is none (HOME points nowhere
            // in the tests on Linux), and the setting stays.
            const QString home = QDir::homePath();
            QCOMPARE(Q(dialog.FileListDirectory().string()),
                     QDir::toNativeSeparators(QFileInfo(home).isDir() ? home : QDir::rootPath()));
            QCOMPARE(Q(inst.Config.ImportDataPath), Q(importBefore));
            QCOMPARE(Q(settingsAfter), Q(settingsBefore));
        }
        QVERIFY(inst.Ui.Messages().empty());
    }

    void rootDirectoryGivesPathsWithoutADoubledSeparator()
    {
        Installation inst;
        // The system's root as held: "/", or a drive without its separator ("C:").
        const QString root = QDir::toNativeSeparators(QDir::rootPath());
        inst.Config.ImportDataPath = WithoutTrailingSeparator(FromQt(root));
        ImportRun run;
        frmImp dialog(inst.Context, run, *inst.MainWindow);
        QCOMPARE(Q(dialog.FileListDirectory().string()), root);
        auto* files = Find<QListWidget>(dialog, "lst_file");
        if (files->count() == 0) QSKIP("the root holds no file here");
        files->selectAll();
        const auto selected = dialog.SelectedFiles();
        QCOMPARE(int(selected.size()), files->count());
        for (int row = 0; row < files->count(); ++row)
            QCOMPARE(Q(selected[static_cast<std::size_t>(row)].string()), root + files->item(row)->text());
    }

    void importsTheSelectedFilesAndShowsTheResultTable()
    {
        Installation inst;
        bool closedByRun = false;
        inst.InImport = [&](QDialog& dialog) {
            SelectAll(dialog);
            Click(dialog, "cmd_imp_0");
            closedByRun = !dialog.isVisible() && dialog.result() == QDialog::Accepted;
        };

        inst.MenuImport();

        QVERIFY(closedByRun);
        QCOMPARE(inst.Windows.Opened(), QStringList({"frmImp", "frmImpe"}));
        QCOMPARE(inst.MainWindow->Tag(), QString("Ergebnis"));
        QCOMPARE(inst.ResultGrid,
                 QStringList({"Datei\tKA\tAbteilung\t#Patienten\tdavon importiert\tKommentar ", kRowA, kRowB}));
        QCOMPARE(inst.Copied, kTitles + kRowA + "\r" + kRowB);
        QCOMPARE(Q(test::ReadText(inst.ExportDir() / "protocol.dat")), Q(kProtocolHeader));
        QVERIFY(fs::exists(inst.SystemDir() / "12100101X002"));
        QCOMPARE(Q(inst.Ui.StatusText(1)), QString(" Bereit"));
        QCOMPARE(Q(inst.Ui.StatusText(2)), QString(" "));
        QCOMPARE(inst.Ui.BusyDepth(), 0);
        QVERIFY(inst.Ui.Messages().empty());
    }

    // The stops before the run leave the dialog open, the Tag empty and every file as it was.
    void stopsBeforeAnythingIsWritten_data()
    {
        QTest::addColumn<int>("selected");      // how many files, -1 for 1001 files of their own
        QTest::addColumn<QString>("protocol");  // existing protocol's content, "-" for none
        QTest::addColumn<QString>("name");      // text of txt_protocol
        QTest::addColumn<bool>("initialise");
        QTest::addColumn<QList<int>>("answers");  // MessageAnswer of the questions, in order
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<bool>("focusOnName");

        const QString overwrite = " Bestehende Protokolldatei überschreiben ?";
        const QString initialise =
            " Alle zu den ausgewählten Abteilungen im Kalmora vorhandenen Daten vor dem Import löschen? ?";
        const int no = int(MessageAnswer::No);
        const int yes = int(MessageAnswer::Yes);
        // clang-format off
        QTest::newRow("no file selected")
            << 0 << "-" << "protocol.dat" << false << QList<int>{} << QStringList{" Wählen Sie mindestens eine Datei aus!"} << false;
        QTest::newRow("1001 files selected")
            << -1 << "-" << "protocol.dat" << false << QList<int>{} << QStringList{" Wählen Sie höchstens 1000 Dateien aus!"} << false;
        QTest::newRow("No to overwriting the protocol")
            << 2 << "alt\r\n" << "protocol.dat" << true << QList<int>{no} << QStringList{overwrite} << true;
        QTest::newRow("No to initialising, no protocol yet")
            << 2 << "-" << "protocol.dat" << true << QList<int>{no} << QStringList{initialise} << false;
        QTest::newRow("No to initialising after Yes to overwriting")
            << 1 << "alt\r\n" << " protocol.dat " << true << QList<int>{yes, no} << QStringList{overwrite, initialise} << false;
        QTest::newRow("invalid protocol name")
            << 1 << "-" << "protokoll.dat" << false << QList<int>{} << QStringList{" Ungültiger Dateiname!"} << true;
        // Refused before any question: the name would reach a file outside the export directory.
        QTest::newRow("protocol name in the parent directory")
            << 1 << "alt\r\n" << "../x.dat" << true << QList<int>{} << QStringList{" Ungültiger Dateiname!"} << true;
        QTest::newRow("protocol name in a subdirectory")
            << 1 << "-" << "a/b.dat" << false << QList<int>{} << QStringList{" Ungültiger Dateiname!"} << true;
        // clang-format on
    }
    void stopsBeforeAnythingIsWritten()
    {
        QFETCH(int, selected);
        QFETCH(QString, protocol);
        QFETCH(QString, name);
        QFETCH(bool, initialise);
        QFETCH(QList<int>, answers);
        QFETCH(QStringList, shown);
        QFETCH(bool, focusOnName);
        Installation inst;
        if (selected < 0) {
            const fs::path many = inst.Dir / "viele";
            for (int i = 0; i < 1001; ++i)
                test::WriteText(many / QString("f%1.txt").arg(i, 4, 10, QChar('0')).toStdString(), "");
            inst.Config.ImportDataPath = many.string();
        }
        if (protocol != "-") test::WriteText(inst.ExportDir() / "protocol.dat", protocol.toStdString());
        for (int answer : answers)
            inst.Ui.ScriptAnswer(MessageAnswer(answer));
        inst.MainWindow->SetTag("Ergebnis");  // from an earlier run: any click empties it
        const auto before = inst.Snapshot();
        bool stillOpen = false;
        bool nameHasFocus = false;
        inst.InImport = [&](QDialog& dialog) {
            auto* files = Find<QListWidget>(dialog, "lst_file");
            if (selected < 0) {
                files->selectAll();
            } else {
                for (int row = 0; row < selected; ++row)
                    files->item(row)->setSelected(true);
            }
            Find<QLineEdit>(dialog, "txt_protocol")->setText(name);
            if (initialise) Click(dialog, "opt_import_1");
            Click(dialog, "cmd_imp_0");
            stillOpen = dialog.isVisible();
            nameHasFocus = Find<QLineEdit>(dialog, "txt_protocol")->hasFocus();
        };

        inst.MenuImport();

        QCOMPARE(inst.MessageTexts(), shown);
        QCOMPARE(inst.Ui.UnusedAnswers(), std::size_t(0));
        QVERIFY(stillOpen);
        QCOMPARE(nameHasFocus, focusOnName);
        QCOMPARE(inst.MainWindow->Tag(), QString());
        QCOMPARE(inst.Windows.Opened(), QStringList({"frmImp"}));
        QVERIFY2(inst.Snapshot() == before, "a stopped click changed files");
    }

    void emptyProtocolIsReplacedWithoutAQuestion()
    {
        Installation inst;
        test::WriteText(inst.ExportDir() / "protocol.dat", "");
        inst.InImport = [](QDialog& dialog) {
            Find<QListWidget>(dialog, "lst_file")->item(1)->setSelected(true);
            Click(dialog, "cmd_imp_0");
        };

        inst.MenuImport();

        QVERIFY(inst.Ui.Messages().empty());
        QCOMPARE(inst.Windows.Opened(), QStringList({"frmImp", "frmImpe"}));
        QCOMPARE(inst.Copied, kTitles + kRowB);
        QCOMPARE(Q(test::ReadText(inst.ExportDir() / "protocol.dat")), Q(kProtocolHeader));
    }

    // The Tag keeps "Ergebnis" until a button of the dialog is pressed.
    void closeBoxShowsThePreviousResultsAgain()
    {
        Installation inst;
        inst.InImport = [](QDialog& dialog) {
            Find<QListWidget>(dialog, "lst_file")->item(0)->setSelected(true);
            Click(dialog, "cmd_imp_0");
        };
        inst.MenuImport();
        QCOMPARE(inst.Copied, kTitles + kRowA);

        inst.Copied.clear();
        inst.InImport = [](QDialog& dialog) { dialog.close(); };
        inst.MenuImport();
        QCOMPARE(inst.Windows.Opened(), QStringList({"frmImp", "frmImpe", "frmImp", "frmImpe"}));
        QCOMPARE(inst.Copied, kTitles + kRowA);

        // A refused attempt empties the Tag: neither the close box nor "Abbrechen" shows a table.
        for (const char* closing : {"close box", "cmd_imp_1"}) {
            inst.InImport = [closing](QDialog& dialog) {
                Click(dialog, "cmd_imp_0");  // nothing selected
                if (QString(closing) == "close box") {
                    dialog.close();
                } else {
                    Click(dialog, closing);
                }
            };
            inst.MenuImport();
            QCOMPARE(inst.Windows.Opened().last(), QString("frmImp"));
            QCOMPARE(inst.MainWindow->Tag(), QString());
        }
        // "Abbrechen" on its own empties it too.
        inst.MainWindow->SetTag("Ergebnis");
        inst.InImport = [](QDialog& dialog) { Click(dialog, "cmd_imp_1"); };
        const auto opened = inst.Windows.Opened().size();
        inst.MenuImport();
        QCOMPARE(inst.Windows.Opened().size(), opened + 1);
        QCOMPARE(inst.MainWindow->Tag(), QString());
    }

    // A failure stops the run with its reason; the program and the dialog go on, without a table.
    void failedRunShowsItsReasonAndNoTable()
    {
        Installation inst;
        bool stillOpen = false;
        inst.InImport = [&](QDialog& dialog) {
            SelectAll(dialog);
            fs::remove(inst.ImportDir() / "B2100101X002.txt");
            Click(dialog, "cmd_imp_0");
            stillOpen = dialog.isVisible();
        };

        inst.MenuImport();

        QVERIFY(stillOpen);
        QCOMPARE(inst.Windows.Opened(), QStringList({"frmImp"}));
        QCOMPARE(inst.MainWindow->Tag(), QString());
        QCOMPARE(inst.Ui.Messages().size(), std::size_t(1));
        QVERIFY2(Q(inst.Ui.Messages().front().Text).startsWith(" Fehlerursache unbekannt!\n"),
                 inst.Ui.Messages().front().Text.c_str());
        QCOMPARE(Q(inst.Ui.Messages().front().Title), QString(" Programmhinweis "));
        QCOMPARE(inst.Ui.BusyDepth(), 0);
        QCOMPARE(Q(inst.Ui.StatusText(1)), QString(" Bereit"));
        // The file before the failure was stored.
        QVERIFY(fs::exists(inst.SystemDir() / "12100101X002"));
    }
};

}  // namespace kalmora

QTEST_MAIN(kalmora::frmImpTest)
#include "frmImpTest.moc"
