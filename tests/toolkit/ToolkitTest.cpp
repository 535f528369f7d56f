#include "toolkit/GermanLanguage.h"
#include "toolkit/PanelStatusBar.h"
#include "toolkit/QtUserInterface.h"
#include "foundation/Messages.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <optional>

namespace kalmora {

namespace {

struct ShownBox {
    QString Title;
    QString Text;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
    QStringList Buttons;
};

// Waits for the message box the next call opens, records it and closes it with `close`.
void WhenBoxOpens(ShownBox& shown, std::function<void(QMessageBox&)> close)
{
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, &shown, close] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        poll->stop();
        poll->deleteLater();
        shown.Title = box->windowTitle();
        shown.Text = box->text();
        shown.Icon = box->icon();
        for (const QAbstractButton* button : box->buttons()) {
            shown.Buttons << button->text();
        }
        shown.Buttons.sort();
        close(*box);
    });
    poll->start();
}

void ClickButton(QMessageBox& box, QMessageBox::StandardButton which)
{
    QTest::mouseClick(box.button(which), Qt::LeftButton);
}

// Shows one box; the answer when it is a question.
using ShowBox = std::function<std::optional<MessageAnswer>(UserInterface&)>;

ShowBox Ask(Question question)
{
    return [question](UserInterface& ui) { return std::optional(AskConfirmation(ui, question)); };
}

ShowBox Tell(Notice notice)
{
    return [notice](UserInterface& ui) {
        ShowNotice(ui, notice);
        return std::optional<MessageAnswer>();
    };
}

}  // namespace

class ToolkitTest : public QObject {
    Q_OBJECT

private slots:
    void messageBoxesAreGermanWithTheirTitleAndIcon_data()
    {
        QTest::addColumn<ShowBox>("show");
        QTest::addColumn<QString>("closedBy");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<std::optional<MessageAnswer>>("result");

        const auto row = [](const char* name, const ShowBox& show, const QString& closedBy, const QString& title,
                            const QString& text, int icon, const QStringList& buttons,
                            std::optional<MessageAnswer> result) {
            QTest::newRow(name) << show << closedBy << title << text << icon << buttons << result;
        };
        const QString notice = " Programmhinweis ";
        const QString question = " Änderungen speichern ?";
        const QString initialise =
            " Alle zu den ausgewählten Abteilungen im Kalmora vorhandenen Daten vor dem Import löschen? ?";
        const QString removeReports = " Ausgewählte Intensivberichte entfernen ?";
        const QStringList yesNo{"&Ja", "&Nein"};
        const int warning = QMessageBox::Warning;
        const ShowBox save = Ask(Question::SaveChanges);
        const ShowBox initialiseDepartments = Ask(Question::InitialiseDepartments);
        const ShowBox error = [](UserInterface& ui) {
            ShowGeneralError(ui, "Die Eingabe ist ungültig!");
            return std::optional<MessageAnswer>();
        };
        row("question answered yes", save, "yes", notice, question, warning, yesNo, MessageAnswer::Yes);
        row("question answered no", save, "no", notice, question, warning, yesNo, MessageAnswer::No);
        row("question closed with Escape is a no", save, "escape", notice, question, warning, yesNo, MessageAnswer::No);
        row("question confirmed with Enter is a yes", save, "enter", notice, question, warning, yesNo,
            MessageAnswer::Yes);
        // One Enter must not delete stored data.
        row("initialise confirmed with Enter is a no", initialiseDepartments, "enter", notice, initialise, warning,
            yesNo, MessageAnswer::No);
        row("initialise closed with Escape is a no", initialiseDepartments, "escape", notice, initialise, warning,
            yesNo, MessageAnswer::No);
        row("initialise answered yes", initialiseDepartments, "yes", notice, initialise, warning, yesNo,
            MessageAnswer::Yes);
        row("removing reports confirmed with Enter is a no", Ask(Question::RemoveReports), "enter", notice,
            removeReports, warning, yesNo, MessageAnswer::No);
        row("notice", Tell(Notice::NoDataImported), "ok", notice, " Es wurden noch keine Daten importiert!", warning,
            {"OK"}, std::nullopt);
        row("general error", error, "escape", " Dorvan - Error ", "Die Eingabe ist ungültig!", QMessageBox::Critical,
            {"OK"}, std::nullopt);
    }
    void messageBoxesAreGermanWithTheirTitleAndIcon()
    {
        QFETCH(ShowBox, show);
        QFETCH(QString, closedBy);
        QFETCH(QString, title);
        QFETCH(QString, text);
        QFETCH(int, icon);
        QFETCH(QStringList, buttons);
        QFETCH(std::optional<MessageAnswer>, result);

        QtUserInterface ui;
        ShownBox shown;
        WhenBoxOpens(shown, [closedBy](QMessageBox& box) {
            if (closedBy == "yes") ClickButton(box, QMessageBox::Yes);
            if (closedBy == "no") ClickButton(box, QMessageBox::No);
            if (closedBy == "ok") ClickButton(box, QMessageBox::Ok);
            if (closedBy == "escape") QTest::keyClick(&box, Qt::Key_Escape);
            if (closedBy == "enter") QTest::keyClick(&box, Qt::Key_Return);
        });
        const std::optional<MessageAnswer> answer = show(ui);

        QCOMPARE(shown.Title, title);
        QCOMPARE(shown.Text, text);
        QCOMPARE(int(shown.Icon), icon);
        QCOMPARE(shown.Buttons, buttons);
        QCOMPARE(answer, result);
    }

    void busyPointerNestsAndEndsWithTheOutermostGuard()
    {
        QtUserInterface ui;
        QVERIFY(QApplication::overrideCursor() == nullptr);
        {
            BusyPointer outer(ui);
            {
                BusyPointer inner(ui);
                QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
            }
            QVERIFY(QApplication::overrideCursor() != nullptr);
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        }
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void statusTextGoesToTheMainWindowsPanels()
    {
        QtUserInterface ui;
        ui.SetStatusText(1, " Analyse...");  // no main window yet: nowhere, and no harm
        PanelStatusBar bar("MainStatusBar");
        ui.SetStatusBar(&bar);
        ui.SetStatusText(1, " Überprüfe Datensatz 12 ... (1/3)");
        ui.SetStatusText(3, " 125101 - Intensivstation ");
        ui.SetStatusText(5, "beyond the panels");
        QCOMPARE(bar.findChild<QLabel*>("MainStatusBar_1")->text(), QString(" Überprüfe Datensatz 12 ... (1/3)"));
        QCOMPARE(bar.PanelText(2), QString());
        QCOMPARE(bar.PanelText(3), QString(" 125101 - Intensivstation "));
        QCOMPARE(bar.PanelText(4), QString());
    }

    void panelsKeepTheirRatioWhateverTheirTexts()
    {
        QWidget window;
        auto* bar = new PanelStatusBar("MainStatusBar");
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addStretch();
        layout->addWidget(bar);
        window.resize(1400, 200);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        const auto widths = [bar] {
            QList<int> result;
            for (int panel = 1; panel <= PanelStatusBar::kPanelCount; ++panel) {
                result << bar->Panel(panel)->width();
            }
            return result;
        };
        const auto checkRatio = [](const QList<int>& w) {
            const double unit = (w[0] + w[1] + w[2] + w[3]) / 7.0;
            const QList<int> parts{3, 1, 2, 1};
            for (int i = 0; i < 4; ++i) {
                if (std::abs(w[i] - parts[i] * unit) > 6) return false;
            }
            return true;
        };
        QVERIFY2(
            checkRatio(widths()),
            qPrintable(QString("%1 %2 %3 %4").arg(widths()[0]).arg(widths()[1]).arg(widths()[2]).arg(widths()[3])));
        const QList<int> before = widths();
        bar->SetPanelText(2, QString(300, 'X'));
        QApplication::processEvents();
        QCOMPARE(widths(), before);
    }

    void clipboardHoldsTheTextAsGiven()
    {
        QtUserInterface ui;
        ui.SetClipboardText("Datei\tKA\rK001_2024.txt\tK001");
        QCOMPARE(QApplication::clipboard()->text(), QString("Datei\tKA\rK001_2024.txt\tK001"));
    }

    void pendingTimersRunWhileALoopLetsEventsRun()
    {
        QtUserInterface ui;
        bool ticked = false;
        QTimer::singleShot(0, [&ticked] { ticked = true; });
        ui.ProcessPendingEvents();
        QVERIFY(ticked);
    }

    void germanNumbersDatesAndQtButtons()
    {
        QVERIFY2(UseGermanLanguage(*QCoreApplication::instance()), "qtbase_de is not installed");
        QCOMPARE(QLocale().toString(1234.5, 'f', 2), QString("1.234,50"));
        QCOMPARE(QLocale().toString(QDate(2024, 3, 5), "dddd, d. MMMM yyyy"), QString("Dienstag, 5. März 2024"));
        QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Yes |
                                 QDialogButtonBox::No);
        QStringList texts;
        for (const QAbstractButton* button : buttons.buttons()) {
            texts << button->text().remove('&');
        }
        texts.sort();
        QCOMPARE(texts, QStringList({"Abbrechen", "Ja", "Nein", "OK"}));
    }
};

}  // namespace kalmora

QTEST_MAIN(kalmora::ToolkitTest)
#include "ToolkitTest.moc"
