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
#include "app/frmInt.h"
#include "app/frmMain.h"
#include "app/frmOpt.h"
#include "app/frmPat.h"
#include "app/frmPats.h"
#include "app/frmTop.h"
#include "cli/ImportFileGenerator.h"
#include "foundation/ScriptedUserInterface.h"
#include "foundation/Settings.h"
#include "import/ImportRun.h"
#include "reports/DepartmentLines.h"
#include "reports/StayLines.h"
#include "scoring/DepartmentBaseData.h"
#include "storage/Setup.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QEventLoop>
#include <QTimer>

#include <fstream>
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

// A fresh installation, away from the demo, with three files to import: two departments and a file
// whose name the import refuses.
bool PrepareDemoImport(const std::filesystem::path& directory)
{
    try {
        const std::filesystem::path reference = std::filesystem::path(KALMORA_BUILT_IN_DATA_DIR) / "reference";
        kalmora::SetupInstallation(directory, directory / "Kalmora11_0.ini", reference, 2024);
        kalmora::cli::GeneratorOptions options;
        options.Stays = 40;
        kalmora::cli::GenerateImportFile(directory / "import", options);
        options.Hospital = "K002";
        options.Department = "121001";
        options.Stays = 25;
        options.Seed = 2;
        kalmora::cli::GenerateImportFile(directory / "import", options);
        std::ofstream(directory / "import" / "Z9900101X001.txt") << "0\r\n";
        return true;
    } catch (const std::exception& error) {
        std::cerr << "kalmora-screenshots: Demo-Import nicht vorbereitet: " << error.what() << '\n';
        return false;
    }
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

        kalmora::frmInfo info(&mainWindow);
        saved &= Save(info, folder, "frmInfo");
        info.close();

        kalmora::frmOpt options(context, &mainWindow);
        auto* tabs = options.findChild<QTabWidget*>("tab_opt");
        for (int page = 0; page < tabs->count(); ++page) {
            tabs->setCurrentIndex(page);
            saved &= Save(options, folder, QString("frmOpt_%1").arg(page));
        }
        options.close();

        // The import dialog with every file chosen, and the result table of its run.
        // Beside the pictures, where the directory list has little else to show.
        QTemporaryDir installation(folder.filePath("Demo-XXXXXX"));
        if (installation.isValid() && PrepareDemoImport(installation.path().toStdString())) {
            // A box of a failed run would wait for a click that never comes offscreen: boxes are recorded.
            kalmora::ScriptedUserInterface importUi;
            kalmora::SettingsFile importSettingsFile;
            importSettingsFile.SettingsFileName = installation.filePath("Kalmora11_0.ini").toStdString();
            kalmora::Settings importSettings;
            kalmora::LoadSettings(importSettingsFile, importUi, importSettings);
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
            for (const auto& message : importUi.Messages()) {
                std::cerr << "kalmora-screenshots: Demo-Import:" << message.Text << '\n';
                saved = false;
            }

            kalmora::frmImpe result(importContext, run, &mainWindow);
            // Every column in the picture; the offscreen screen is narrower than a workstation's.
            const auto* grid = result.findChild<QTableWidget*>("grd_erg");
            int gridWidth = 0;
            for (int column = 0; column < grid->columnCount(); ++column)
                gridWidth += grid->columnWidth(column);
            result.resize(gridWidth + 80, 300);
            saved &= Save(result, folder, "frmImpe");
            result.close();

            // The classification of the imported departments, with staffing figures as a ward has them.
            const std::size_t importMessages = importUi.Messages().size();
            const std::vector<kalmora::BaseDataInput> staffing{{"12,50", "10", ""}, {"9,00", "6", "E2"}};
            std::size_t next = 0;
            for (const auto& department : kalmora::ClassifiableDepartments(importSettings, importUi)) {
                if (next < staffing.size())
                    kalmora::SaveDepartmentBaseData(importSettings, department, staffing[next++]);
            }
            kalmora::frmEin classification(importContext, &mainWindow);
            classification.findChild<QListWidget*>("lst_abteilung")->selectAll();
            saved &= Save(classification, folder, "frmEin");
            if (!classification.Departments().empty()) {
                kalmora::frmAbtB baseData(importContext, classification.Departments().front(), &classification);
                saved &= Save(baseData, folder, "frmAbtB");
                baseData.close();
            }
            kalmora::frmEine classified(importContext, classification.Departments(), &mainWindow);
            classified.resize(1100, 320);
            saved &= Save(classified, folder, "frmEine");
            classified.close();
            classification.close();

            // The analysis of every imported department, with its chart, and the export of all of them.
            std::vector<std::string> lines;
            for (const auto& department : kalmora::ReadDepartmentLines(importSettings))
                lines.push_back(department.Text);
            kalmora::frmAbta analysis(importContext, lines, &mainWindow);
            // Every column in the picture; the offscreen screen is narrower than a workstation's.
            analysis.resize(920, 680);
            saved &= Save(analysis, folder, "frmAbta");
            analysis.close();
            kalmora::frmExp exportDialog(importContext, &mainWindow);
            exportDialog.findChild<QListWidget*>("lst_abteilung")->selectAll();
            saved &= Save(exportDialog, folder, "frmExp");
            exportDialog.close();
            for (std::size_t index = importMessages; index < importUi.Messages().size(); ++index) {
                std::cerr << "kalmora-screenshots: Demo-Einstufung:" << importUi.Messages()[index].Text << '\n';
                saved = false;
            }

            // The ICU reports of the first department: its stays, the search over them, and the
            // report of its first stay on both pages.
            const std::size_t classifyMessages = importUi.Messages().size();
            kalmora::frmAbt departments(importContext, &mainWindow);
            saved &= Save(departments, folder, "frmAbt");
            const std::string departmentLine = departments.CurrentLine();
            kalmora::frmPat stays(importContext, departmentLine, &departments);
            saved &= Save(stays, folder, "frmPat");
            auto* stayList = stays.findChild<kalmora::FixedColumnList*>("lst_patient");
            importContext.Reports.SearchKey.KisId = stayList->Line(0).substr(0, 10);
            kalmora::frmPats search(importContext, *stayList, "Patientenebene", &stays);
            saved &= Save(search, folder, "frmPats");
            search.close();
            importContext.Reports.Stay = kalmora::SelectedStayOf(stayList->Line(0), departmentLine);
            kalmora::frmInt report(importContext, departmentLine, &stays);
            auto* pages = report.findChild<QTabWidget*>("tab_int");
            for (int page = 0; page < pages->count(); ++page) {
                pages->setCurrentIndex(page);
                saved &= Save(report, folder, QString("frmInt_%1").arg(page));
            }
            report.close();
            stays.close();
            departments.close();
            for (std::size_t index = classifyMessages; index < importUi.Messages().size(); ++index) {
                std::cerr << "kalmora-screenshots: Demo-Intensivbericht:" << importUi.Messages()[index].Text << '\n';
                saved = false;
            }
        } else {
            saved = false;
        }
    }
    return saved ? 0 : 2;
}
