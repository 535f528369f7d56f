// The department level of the ICU reports, opened from the main window's "&Intensivbericht".
#include "app/frmAbt.h"

#include "app/frmMain.h"
#include "app/frmPat.h"
#include "foundation/ScriptedUserInterface.h"
#include "import/ImportRun.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "storage/Setup.h"
#include "support/ScriptedWindowOpener.h"
#include "support/TempDir.h"
#include "support/WindowContext.h"
#include "support/ImportedInstallation.h"
#include "support/WindowDriving.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include <filesystem>
#include <string>

namespace kalmora {

namespace {

using test::Click;
using test::Entries;
using test::Find;
using test::Q;
using test::SelectedRows;

namespace fs = std::filesystem;

const QString kFirst = "K002 - Krankenhaus Nordstad  12100101 - Anästhesiologische Intensivstation" + QString(7, ' ') +
                       "   12100101X002 EXTERN";
const QString kSecond = "K002 - Krankenhaus Nordstad  12510101 - " +
                        QString("Internistische Intensivstation").leftJustified(41) + "   12510101X002 EXTERN";

// An installation with two departments: the one of the append case, imported, and a copy of it under
// another department code that keeps only its first stay.
struct Installation : test::WindowContext {
    Installation()
    {
        const fs::path fixtures = fs::path(KALMORA_TEST_DATA_DIR) / "import" / "append";
        test::SetUpImportedInstallation(Dir, IniFile, Config,
                                        {fixtures / "A2100101X002.txt", fixtures / "B2100101X002.txt"});

        test::AddFirstStayCopy(System());
    }

    fs::path System() const { return Dir / "system"; }
    Database Admin() const { return Database(System() / std::string(kAdminDatabaseFile)); }

    QStringList StoredFiles()
    {
        QStringList files;
        auto rows = Admin().Prepare("SELECT \"MDB_DATEI\" FROM \"Dateiverwaltung\" ORDER BY rowid");
        while (rows.Step())
            files << Q(rows.Text(0));
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

// Selects exactly these rows; the current row is the first of them, or `current` without any.
void Select(QListWidget& list, const QList<int>& rows, int current = 0)
{
    list.setCurrentRow(rows.isEmpty() ? current : rows.front(), QItemSelectionModel::NoUpdate);
    list.clearSelection();
    for (int row : rows)
        list.item(row)->setSelected(true);
}

}  // namespace

class frmAbtTest : public QObject {
    Q_OBJECT

private slots:
    void menuOpensTheListWithTheFirstLineSelected()
    {
        Installation inst;
        frmMain mainWindow(inst.Context);
        QString title;
        QStringList entries;
        QList<int> selected;
        QStringList headings;
        QList<bool> enabled;
        bool noIndex2 = false;
        bool weiterDefault = false;
        int result = -1;
        inst.Windows.WhileOpen = [&](QDialog& dialog) {
            title = dialog.windowTitle();
            const auto* list = Find<QListWidget>(dialog, "lst_abteilung");
            entries = Entries(*list);
            selected = SelectedRows(*list);
            headings << Find<QLabel>(dialog, "Label1_0")->text() << Find<QLabel>(dialog, "Label1_1")->text();
            for (int index : {0, 1, 3, 4, 5})
                enabled << Find<QPushButton>(dialog, QString("cmd_abteilung_%1").arg(index))->isEnabled();
            noIndex2 = dialog.findChild<QPushButton*>("cmd_abteilung_2") == nullptr;
            weiterDefault = Find<QPushButton>(dialog, "cmd_abteilung_0")->isDefault();
            Click(dialog, "cmd_abteilung_5");
            result = dialog.result();
            return result;
        };

        auto* menu = mainWindow.findChild<QAction*>("mainIntensivbericht");
        QVERIFY(menu->isEnabled());
        menu->trigger();

        QCOMPARE(inst.Windows.Opened(), QStringList({"frmAbt"}));
        QCOMPARE(title, QString(" Intensivbericht - Abteilungsebene"));
        QCOMPARE(entries, QStringList({kFirst, kSecond}));
        QCOMPARE(selected, QList<int>({0}));
        QCOMPARE(headings, QStringList({" &Krankenanstalt ", " Abteilung "}));
        QCOMPARE(enabled, QList<bool>({true, true, true, true, true}));
        QVERIFY(noIndex2);
        QVERIFY(weiterDefault);
        QCOMPARE(result, int(QDialog::Rejected));
        QVERIFY(inst.Ui.Messages().empty());
    }

    // "&Weiter" opens the stays of one department: the selected one, else the one at the current index.
    void weiterOpensTheStaysOfOneDepartment_data()
    {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("stays");  // lines of the opened stay list; -1 for none opened
        QTest::addColumn<QString>("notice");

        QTest::newRow("first selected") << QList<int>({0}) << 0 << 3 << "";
        QTest::newRow("second selected") << QList<int>({1}) << 1 << 1 << "";
        QTest::newRow("none selected: current line") << QList<int>() << 1 << 1 << "";
        QTest::newRow("two selected") << QList<int>({0, 1}) << 0 << -1 << " Nur einen Intensivbericht auswählen!";
    }
    void weiterOpensTheStaysOfOneDepartment()
    {
        QFETCH(QList<int>, selected);
        QFETCH(int, current);
        QFETCH(int, stays);
        QFETCH(QString, notice);
        Installation inst;
        frmAbt window(inst.Context);
        Select(*Find<QListWidget>(window, "lst_abteilung"), selected, current);
        int shown = -1;
        inst.Windows.WhileOpen = [&](QDialog& dialog) {
            shown = Find<QListWidget>(dialog, "lst_patient")->count();
            return dialog.result();
        };

        Click(window, "cmd_abteilung_0");

        QCOMPARE(inst.Windows.Opened(), stays < 0 ? QStringList() : QStringList({"frmPat"}));
        QCOMPARE(shown, stays);
        QCOMPARE(inst.MessageTexts(), notice.isEmpty() ? QStringList() : QStringList({notice}));
    }

    void doubleClickDoesWhatWeiterDoes()
    {
        Installation inst;
        frmAbt window(inst.Context);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* list = Find<QListWidget>(window, "lst_abteilung");
        const QPoint second = list->visualItemRect(list->item(1)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second);
        QCOMPARE(inst.Windows.Opened(), QStringList({"frmPat"}));
    }

    // Deleting asks once and removes the selected departments' files, rows and lines.
    void deleteRemovesTheSelectedDepartments_data()
    {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("remaining");  // stored database files, in list order
        QTest::addColumn<QList<int>>("selectedAfter");

        const QString question = " Ausgewählte Intensivberichte entfernen ?";
        const QStringList both{"12100101X002", "12510101X002"};
        QTest::newRow("second, Yes") << QList<int>({1}) << int(MessageAnswer::Yes) << QStringList({question})
                                     << QStringList({"12100101X002"}) << QList<int>({0});
        QTest::newRow("first, Yes") << QList<int>({0}) << int(MessageAnswer::Yes) << QStringList({question})
                                    << QStringList({"12510101X002"}) << QList<int>({0});
        QTest::newRow("both, Yes") << QList<int>({0, 1}) << int(MessageAnswer::Yes) << QStringList({question})
                                   << QStringList() << QList<int>();
        QTest::newRow("second, No") << QList<int>({1}) << int(MessageAnswer::No) << QStringList({question}) << both
                                    << QList<int>({1});
        QTest::newRow("none selected") << QList<int>() << 0 << QStringList({" Wählen Sie mindestens ein Element aus!"})
                                       << both << QList<int>();
    }
    void deleteRemovesTheSelectedDepartments()
    {
        QFETCH(QList<int>, selected);
        QFETCH(int, answer);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, remaining);
        QFETCH(QList<int>, selectedAfter);
        Installation inst;
        if (answer != 0) inst.Ui.ScriptAnswer(static_cast<MessageAnswer>(answer));
        frmAbt window(inst.Context);
        auto* list = Find<QListWidget>(window, "lst_abteilung");
        Select(*list, selected);

        Click(window, "cmd_abteilung_3");

        QCOMPARE(inst.MessageTexts(), messages);
        QCOMPARE(inst.StoredFiles(), remaining);
        for (const QString& file : {QString("12100101X002"), QString("12510101X002")})
            QCOMPARE(fs::exists(inst.System() / file.toStdString()), remaining.contains(file));
        QStringList shown;
        for (const QString& entry : Entries(*list))
            shown << entry.mid(84, 12);
        QCOMPARE(shown, remaining);
        QCOMPARE(SelectedRows(*list), selectedAfter);
        if (remaining.size() < 2) {
            QCOMPARE(Q(inst.Ui.StatusHistory(1).front()), QString(" Lösche Datenbank..."));
            QCOMPARE(Q(inst.Ui.StatusText(1)), QString(" Bereit"));
            QCOMPARE(Q(inst.Ui.StatusText(2)), QString(" "));
        }
    }

    void withoutImportedDataEveryActionButClosingShowsNotice18()
    {
        Installation inst;
        frmAbt window(inst.Context);
        inst.Admin().Execute("DELETE FROM \"Dateiverwaltung\"");
        for (int index : {0, 3})
            Click(window, QString("cmd_abteilung_%1").arg(index));
        QCOMPARE(inst.MessageTexts(), QStringList(2, " Es wurden noch keine Daten importiert!"));
        QVERIFY(inst.Windows.Opened().isEmpty());

        // Reopened, the list is empty.
        frmAbt reopened(inst.Context);
        QCOMPARE(Find<QListWidget>(reopened, "lst_abteilung")->count(), 0);
        Click(reopened, "cmd_abteilung_5");
        QCOMPARE(reopened.result(), int(QDialog::Rejected));
        QCOMPARE(inst.Ui.Messages().size(), std::size_t(2));
    }
};

}  // namespace kalmora

QTEST_MAIN(kalmora::frmAbtTest)
#include "frmAbtTest.moc"
