// Writes one picture of every window into a folder, to look at the windows without a display:
//   kalmora-screenshots FOLDER [/i:SETTINGSFILE]
#include "toolkit/AppContext.h"
#include "toolkit/GermanLanguage.h"
#include "toolkit/QtUserInterface.h"
#include "toolkit/FixedColumnList.h"
#include "app/frmAbt.h"
#include "app/frmAbtB.h"
#include "app/frmAbta.h"
#include "app/frmEin.h"
#include "app/frmEine.h"
#include "app/frmExp.h"
#include "app/frmImp.h"
#include "app/frmImpe.h"
#include "app/frmInfo.h"
#include "app/frmInst.h"
#include "app/frmInt.h"
#include "app/frmMain.h"
#include "app/frmOpt.h"
#include "app/frmPat.h"
#include "app/frmPats.h"
#include "app/frmTop.h"
#include "foundation/ScriptedUserInterface.h"
#include "foundation/Settings.h"
#include "import/ImportRun.h"
#include "reports/DepartmentLines.h"
#include "reports/StayLines.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QHeaderView>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>

namespace {

// The windows are only looked at: nothing is run modally.
class NoWindowOpener : public kalmora::WindowOpener {
public:
    int ShowModal(QDialog&) override { return QDialog::Rejected; }
};

bool Save(QWidget& window, const QDir& folder, const QString& name)
{
    window.show();
    QEventLoop settling;
    QTimer::singleShot(100, &settling, &QEventLoop::quit);
    settling.exec();
    const QString file = folder.filePath(name + ".png");
    if (!window.grab().save(file)) {
        std::cerr << "kalmora-screenshots: " << file.toStdString() << " kann nicht geschrieben werden.\n";
        return false;
    }
    std::cout << file.toStdString() << '\n';
    return true;
}

// A copy of the demo's databases in `directory` with settings that import the demo's own files into
// it, so that running the import dialog for its pictures leaves the demo as it is.
bool PrepareImportCopy(const kalmora::Settings& demo, const std::filesystem::path& directory, kalmora::Settings& copy)
{
    try {
        copy = demo;
        copy.SystemDataPath = (directory / "system").string();
        copy.ExportDataPath = (directory / "export").string();
        std::filesystem::copy(demo.SystemDataPath, copy.SystemDataPath, std::filesystem::copy_options::recursive);
        std::filesystem::create_directories(copy.ExportDataPath);
        kalmora::WriteSettingsFile(directory / "Kalmora11_0.ini", copy);
        return true;
    } catch (const std::exception& error) {
        std::cerr << "kalmora-screenshots: Demo-Import nicht vorbereitet: " << error.what() << '\n';
        return false;
    }
}

// The first stay of the list whose report has something to show: of type "INT", checked without
// findings and with more than one survey day. The first line when there is none.
int StayWorthAReport(const kalmora::FixedColumnList& stays)
{
    // Columns of a stay line: admission and discharge date, type, status.
    constexpr std::size_t kAdmission = 26;
    constexpr std::size_t kDischarge = 46;
    constexpr std::size_t kDateWidth = 10;
    constexpr std::size_t kType = 66;
    constexpr std::size_t kStatus = 72;
    for (int index = 0; index < stays.LineCount(); ++index) {
        const std::string line = stays.Line(index);
        if (line.size() < kStatus + 7) continue;
        if (line.compare(kType, 3, "INT") == 0 && line.compare(kStatus, 7, "Korrekt") == 0 &&
            line.compare(kAdmission, kDateWidth, line, kDischarge, kDateWidth) != 0)
            return index;
    }
    return 0;
}

// The report as wide as its grid's columns, up to a workstation's screen; the offscreen screen is
// narrower, and the window would otherwise keep to it. True when the grid still scrolls sideways.
bool ShowWholeGrid(QWidget& report, int height)
{
    constexpr int kWorkstationWidth = 1920;
    const auto* grid = report.findChild<QTableWidget*>("grd_erg");
    int gridWidth = 0;
    for (int column = 0; column < grid->columnCount(); ++column)
        gridWidth += grid->columnWidth(column);
    report.resize(std::min(gridWidth + 80, kWorkstationWidth), height);
    return gridWidth + 80 > kWorkstationWidth;
}

// A scripted interface records the boxes a window would show; each one is a fault of the pictures.
bool Quiet(const kalmora::ScriptedUserInterface& ui, std::size_t from, const char* what)
{
    bool quiet = true;
    for (std::size_t index = from; index < ui.Messages().size(); ++index) {
        std::cerr << "kalmora-screenshots: " << what << ":" << ui.Messages()[index].Text << '\n';
        quiet = false;
    }
    return quiet;
}

// Offscreen, Qt tells of every window feature it has no screen for; that is no news here.
void DropPlatformNotes(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith("This plugin does not support")) return;
    std::cerr << qPrintable(qFormatLogMessage(type, context, message)) << '\n';
}

}  // namespace

int main(int argc, char* argv[])
{
    qInstallMessageHandler(DropPlatformNotes);
    QApplication application(argc, argv);
    kalmora::UseGermanLanguage(application);
    if (argc < 2) {
        std::cerr << "Aufruf: kalmora-screenshots ORDNER [/i:EINSTELLUNGSDATEI]\n";
        return 1;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(".")) {
        std::cerr << "kalmora-screenshots: der Ordner " << argv[1] << " kann nicht angelegt werden.\n";
        return 2;
    }
    const std::string commandLine = argc > 2 ? argv[2] : "";

    kalmora::SettingsFile settingsFile = kalmora::SettingsFileForProcess();
    kalmora::Settings settings;
    kalmora::QtUserInterface ui;
    NoWindowOpener windows;
    kalmora::AppContext context{settingsFile, settings, ui, windows};

    bool saved = true;
    auto* startup = new kalmora::frmTop(context, commandLine);
    saved &= Save(*startup, folder, "frmTop");
    // Gone before its timer could open a main window of its own.
    delete startup;

    {
        kalmora::frmMain mainWindow(context);
        // A size a reader can take in; maximised, it would be the whole virtual screen.
        mainWindow.setWindowState(Qt::WindowNoState);
        mainWindow.resize(1024, 640);
        saved &= Save(mainWindow, folder, "frmMain");
        for (const char* menuName : {"mainDatei", "mainExtras"}) {
            auto* menu = mainWindow.findChild<QMenu*>(menuName);
            menu->popup(mainWindow.mapToGlobal(QPoint(0, 0)));
            saved &= Save(*menu, folder, QString("frmMain_%1").arg(menuName));
            menu->close();
        }

        kalmora::frmInfo info(context, &mainWindow);
        saved &= Save(info, folder, "frmInfo");
        info.close();

        // The folder question of a first start, with the folder it offers.
        kalmora::frmInst firstStart(context, std::filesystem::path(QDir::homePath().toStdString()) / "Kalmora",
                                    &mainWindow);
        saved &= Save(firstStart, folder, "frmInst");
        firstStart.close();

        kalmora::frmOpt options(context, &mainWindow);
        auto* tabs = options.findChild<QTabWidget*>("tab_opt");
        for (int page = 0; page < tabs->count(); ++page) {
            tabs->setCurrentIndex(page);
            saved &= Save(options, folder, QString("frmOpt_%1").arg(page));
        }
        options.close();

        // The windows on the data show the demo the settings file names (make run sets it up).
        if (kalmora::ReadDepartmentLines(settings).empty()) {
            std::cerr << "kalmora-screenshots: die Demo unter " << settings.SystemDataPath
                      << " hat keine Abteilungen; make screenshots legt sie an.\n";
            return 2;
        }
        // A box would wait for a click that never comes offscreen: boxes are recorded instead.
        kalmora::ScriptedUserInterface demoUi;
        kalmora::AppContext demoContext{settingsFile, settings, demoUi, windows};

        // The import dialog with every file of the demo chosen, and the result table of its run.
        // Beside the pictures, where the directory list has little else to show.
        QTemporaryDir installation(folder.filePath("Demo-XXXXXX"));
        kalmora::Settings importSettings;
        if (installation.isValid() && PrepareImportCopy(settings, installation.path().toStdString(), importSettings)) {
            kalmora::ScriptedUserInterface importUi;
            kalmora::SettingsFile importSettingsFile;
            importSettingsFile.SettingsFileName = installation.filePath("Kalmora11_0.ini").toStdString();
            kalmora::AppContext importContext{importSettingsFile, importSettings, importUi, windows};
            kalmora::ImportRun run;
            kalmora::frmImp importDialog(importContext, run, mainWindow);
            importDialog.findChild<QListWidget*>("lst_file")->selectAll();
            // The directory list reads the directories on the way in the background.
            importDialog.show();
            QEventLoop reading;
            QTimer::singleShot(1500, &reading, &QEventLoop::quit);
            reading.exec();
            // Shown anew, it puts the current directory in sight among the rows read meanwhile.
            importDialog.hide();
            saved &= Save(importDialog, folder, "frmImp");
            importDialog.findChild<QPushButton*>("cmd_imp_0")->click();
            importDialog.close();

            kalmora::frmImpe result(importContext, run, &mainWindow);
            ShowWholeGrid(result, 300);
            saved &= Save(result, folder, "frmImpe");
            result.close();
            saved &= Quiet(importUi, 0, "Demo-Import");
        } else {
            saved = false;
        }

        // The classification of every department with the demo's staffing figures.
        kalmora::frmEin classification(demoContext, &mainWindow);
        classification.findChild<QListWidget*>("lst_abteilung")->selectAll();
        saved &= Save(classification, folder, "frmEin");
        if (!classification.Departments().empty()) {
            kalmora::frmAbtB baseData(demoContext, classification.Departments().front(), &classification);
            saved &= Save(baseData, folder, "frmAbtB");
            baseData.close();
        }
        kalmora::frmEine classified(demoContext, classification.Departments(), &mainWindow);
        const bool scrolls = ShowWholeGrid(classified, 320);
        saved &= Save(classified, folder, "frmEine");
        // The columns the first picture leaves out: the one cut at the right edge leads the next.
        auto* resultGrid = classified.findChild<QTableWidget*>("grd_erg");
        auto* scrollBar = resultGrid->horizontalScrollBar();
        for (int page = 1; scrolls && scrollBar->value() < scrollBar->maximum() && page < 10; ++page) {
            const int cut = resultGrid->columnAt(resultGrid->viewport()->width() - 1);
            if (cut < 0) break;
            scrollBar->setValue(resultGrid->horizontalScrollMode() == QAbstractItemView::ScrollPerItem
                                    ? cut
                                    : resultGrid->horizontalHeader()->sectionPosition(cut));
            saved &= Save(classified, folder, QString("frmEine_%1").arg(page));
        }
        classified.close();
        classification.close();

        // The analysis of every department, with its chart, and the export of all of them.
        std::vector<std::string> lines;
        for (const auto& department : kalmora::ReadDepartmentLines(settings))
            lines.push_back(department.Text);
        kalmora::frmAbta analysis(demoContext, lines, &mainWindow);
        // Every column in the picture; the offscreen screen is narrower than a workstation's.
        analysis.resize(920, 680);
        saved &= Save(analysis, folder, "frmAbta");
        analysis.close();
        kalmora::frmExp exportDialog(demoContext, &mainWindow);
        exportDialog.findChild<QListWidget*>("lst_abteilung")->selectAll();
        saved &= Save(exportDialog, folder, "frmExp");
        exportDialog.close();
        saved &= Quiet(demoUi, 0, "Demo-Einstufung");

        // The ICU reports of the first department: its stays with one of them chosen, the search
        // for it, and its report on both pages.
        const std::size_t classifyMessages = demoUi.Messages().size();
        kalmora::frmAbt departments(demoContext, &mainWindow);
        saved &= Save(departments, folder, "frmAbt");
        const std::string departmentLine = departments.CurrentLine();
        kalmora::frmPat stays(demoContext, departmentLine, &departments);
        auto* stayList = stays.findChild<kalmora::FixedColumnList*>("lst_patient");
        const int chosen = StayWorthAReport(*stayList);
        stayList->setCurrentRow(chosen);
        saved &= Save(stays, folder, "frmPat");
        demoContext.Reports.SearchKey.KisId = stayList->Line(chosen).substr(0, 10);
        kalmora::frmPats search(demoContext, *stayList, "Patientenebene", &stays);
        saved &= Save(search, folder, "frmPats");
        search.close();
        demoContext.Reports.Stay = kalmora::SelectedStayOf(stayList->Line(chosen), departmentLine);
        kalmora::frmInt report(demoContext, departmentLine, &stays);
        auto* pages = report.findChild<QTabWidget*>("tab_int");
        for (int page = 0; page < pages->count(); ++page) {
            pages->setCurrentIndex(page);
            saved &= Save(report, folder, QString("frmInt_%1").arg(page));
        }
        report.close();
        stays.close();
        departments.close();
        saved &= Quiet(demoUi, classifyMessages, "Demo-Intensivbericht");
    }
    return saved ? 0 : 2;
}
