// F1 in every window asks the screen for the handbook at the section that describes that window,
// and a dialog over another window answers for itself.
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
#include "toolkit/FixedColumnList.h"
#include "foundation/ScriptedUserInterface.h"
#include "import/ImportRun.h"
#include "reports/DepartmentLines.h"
#include "scoring/ClassificationList.h"
#include "shell/Handbook.h"
#include "support/Files.h"
#include "support/ImportedInstallation.h"
#include "support/ScriptedWindowOpener.h"
#include "support/TempDir.h"
#include "support/WindowContext.h"
#include "support/WindowDriving.h"

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

// An installation with the department of the append case imported, run from "bin" beside a built
// handbook.
struct Installation : test::WindowContext {
    fs::path Handbook = Dir / "docs" / "handbuch.html";

    Installation()
    {
        const fs::path fixtures = fs::path(KALMORA_TEST_DATA_DIR) / "import" / "append";
        test::SetUpImportedInstallation(Dir, IniFile, Config,
                                        {fixtures / "A2100101X002.txt", fixtures / "B2100101X002.txt"});
        IniFile.ProgramDirectory = Dir / "bin";
        fs::create_directories(Handbook.parent_path());
        test::WriteText(Handbook, "<html></html>");
    }

    std::string DepartmentLine() const { return ReadDepartmentLines(Config).front().Text; }
};

// Shows `window` as the active window, presses F1 in the widget that has the focus and returns the
// addresses asked for meanwhile.
QStringList PressF1(QWidget& window, ScriptedUserInterface& ui)
{
    const std::size_t before = ui.Addresses().size();
    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window)) qFatal("%s is not active", qPrintable(window.objectName()));
    QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : &window;
    QTest::keyClick(focus, Qt::Key_F1);
    window.hide();
    QStringList asked;
    for (std::size_t index = before; index < ui.Addresses().size(); ++index)
        asked.push_back(Q(ui.Addresses()[index]));
    return asked;
}

QStringList AddressOf(const fs::path& handbook, const std::string& section)
{
    return {Q(HandbookAddress(handbook, section))};
}

}  // namespace

class HandbookKeyTest : public QObject {
    Q_OBJECT

private slots:
    void everyWindowOpensItsSection()
    {
        Installation inst;
        frmMain mainWindow(inst.Context);
        ImportRun run;
        const std::string line = inst.DepartmentLine();
        frmPat stays(inst.Context, line);
        auto& stayList = *Find<FixedColumnList>(stays, "lst_patient");
        struct Case {
            std::function<std::unique_ptr<QWidget>()> Open;
            std::string Section;
        };
        const std::vector<Case> cases{
            {[&] { return std::make_unique<frmInfo>(inst.Context); }, "info"},
            {[&] { return std::make_unique<frmOpt>(inst.Context); }, "optionen"},
            {[&] { return std::make_unique<frmImp>(inst.Context, run, mainWindow); }, "import-dialog"},
            {[&] { return std::make_unique<frmImpe>(inst.Context, run); }, "import-ergebnis"},
            {[&] { return std::make_unique<frmEin>(inst.Context); }, "einstufung-dialog"},
            {[&] {
                 const auto entries = ClassifiableDepartments(inst.Config, inst.Ui);
                 return std::make_unique<frmAbtB>(inst.Context, entries.front());
             },
             "einstufung-basisdaten"},
            {[&] { return std::make_unique<frmEine>(inst.Context, std::vector<DepartmentEntry>{}); },
             "einstufung-ergebnis"},
            {[&] { return std::make_unique<frmAbt>(inst.Context); }, "intensivbericht-abteilungen"},
            {[&] { return std::make_unique<frmPat>(inst.Context, line); }, "intensivbericht-patienten"},
            {[&] { return std::make_unique<frmPats>(inst.Context, stayList, "Patientenebene"); },
             "intensivbericht-suche"},
            {[&] { return std::make_unique<frmInt>(inst.Context, line); }, "intensivbericht-detail"},
            {[&] { return std::make_unique<frmAbta>(inst.Context, std::vector<std::string>{line}); }, "analyse"},
            {[&] { return std::make_unique<frmExp>(inst.Context); }, "export"},
            {[&] { return std::make_unique<frmInst>(inst.Context, inst.Dir / "neu"); }, "installation-start"},
        };
        for (const Case& test : cases) {
            const std::unique_ptr<QWidget> window = test.Open();
            QCOMPARE(PressF1(*window, inst.Ui), AddressOf(inst.Handbook, test.Section));
        }
        QCOMPARE(PressF1(mainWindow, inst.Ui), AddressOf(inst.Handbook, "hauptfenster"));
        QVERIFY(inst.Ui.Messages().empty());
    }

    // The start-up window stands only a moment; its F1 leads to the main window's section.
    void theStartupWindowOpensTheMainWindowsSection()
    {
        Installation inst;
        frmTop startup(inst.Context, "");
        Find<QTimer>(startup, "Timer1")->stop();
        QCOMPARE(PressF1(startup, inst.Ui), AddressOf(inst.Handbook, "hauptfenster"));
    }

    void aDialogOverTheMainWindowOpensItsOwnSection()
    {
        Installation inst;
        frmMain mainWindow(inst.Context);
        mainWindow.show();
        frmExp exportDialog(inst.Context, &mainWindow);
        QCOMPARE(PressF1(exportDialog, inst.Ui), AddressOf(inst.Handbook, "export"));
    }

    void withoutAHandbookANoticeSaysWhere()
    {
        Installation inst;
        fs::remove(inst.Handbook);
        frmAbt window(inst.Context);
        QVERIFY(PressF1(window, inst.Ui).empty());
        QCOMPARE(inst.Ui.Messages().size(), std::size_t{1});
        QVERIFY(inst.Ui.Messages()[0].Text.find(std::string(kHandbookMissingText)) != std::string::npos);
    }
};

}  // namespace kalmora

QTEST_MAIN(kalmora::HandbookKeyTest)
#include "HandbookKeyTest.moc"
