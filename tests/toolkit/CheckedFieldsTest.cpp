#include "toolkit/CheckedFields.h"
#include "toolkit/ReentryGuard.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>

#include <functional>
#include <stdexcept>

namespace kalmora {

namespace {

// A window with two checked fields and a button. A field holding "x" is refused; every check is
// counted, and a refusal is reported while the window is shown.
struct Window {
    QWidget Widget;
    QLineEdit* First = new QLineEdit("ok");
    QLineEdit* Second = new QLineEdit("ok");
    QPushButton* Button = new QPushButton("OK");
    CheckedFields* Fields = new CheckedFields(Widget);
    QStringList Checked;
    QStringList Reported;
    // Runs inside a check, while its refusal is reported.
    std::function<void()> WhileReporting;

    Window()
    {
        First->setObjectName("first");
        Second->setObjectName("second");
        auto* layout = new QVBoxLayout(&Widget);
        for (QWidget* control : std::initializer_list<QWidget*>{First, Second, Button})
            layout->addWidget(control);
        for (QLineEdit* field : {First, Second}) {
            Fields->CheckOnLeaving(*field, [this](QLineEdit& checked) {
                Checked << checked.objectName();
                if (checked.text() != "x") {
                    checked.setText(checked.text().toUpper());
                    return true;
                }
                Reported << checked.objectName();
                if (WhileReporting) WhileReporting();
                return false;
            });
        }
        Widget.show();
        if (!QTest::qWaitForWindowActive(&Widget)) qFatal("the window did not become active");
    }

    // Lets the checks that wait for the click to be done run.
    static void Settle()
    {
        for (int round = 0; round < 3; ++round)
            QCoreApplication::processEvents();
    }
};

}  // namespace

class CheckedFieldsTest : public QObject {
    Q_OBJECT

private slots:
    void leavingAFieldChecksIt_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("reason");
        QTest::addColumn<bool>("hideWindow");
        QTest::addColumn<QStringList>("checked");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("focusBack");
        const int tab = Qt::TabFocusReason;
        // clang-format off
        QTest::newRow("accepted and reformatted") << "ok" << tab << false << QStringList{"first"} << "OK" << false;
        QTest::newRow("refused: the focus goes back") << "x" << tab << false << QStringList{"first"} << "x" << true;
        QTest::newRow("left by a click") << "x" << int(Qt::MouseFocusReason) << false << QStringList{"first"} << "x" << true;
        // Another window or a pop-up taking the focus is no leaving of the field.
        QTest::newRow("another window came to the front") << "x" << int(Qt::ActiveWindowFocusReason) << false << QStringList{} << "x" << false;
        QTest::newRow("a pop-up opened") << "x" << int(Qt::PopupFocusReason) << false << QStringList{} << "x" << false;
        // The click that left the field closed the window.
        QTest::newRow("window closed") << "x" << tab << true << QStringList{} << "x" << false;
        // clang-format on
    }
    void leavingAFieldChecksIt()
    {
        QFETCH(QString, text);
        QFETCH(int, reason);
        QFETCH(bool, hideWindow);
        QFETCH(QStringList, checked);
        QFETCH(QString, shown);
        QFETCH(bool, focusBack);
        Window window;
        window.First->setFocus(Qt::TabFocusReason);
        window.First->setText(text);

        window.Button->setFocus(static_cast<Qt::FocusReason>(reason));
        if (hideWindow) window.Widget.hide();
        Window::Settle();

        QCOMPARE(window.Checked, checked);
        QCOMPARE(window.First->text(), shown);
        QCOMPARE(window.First->hasFocus(), focusBack);
    }

    // Putting the focus back into a refused field leaves the other one, which may hold a refused
    // text too: it is not checked, else the two would take the focus from each other.
    void twoRefusedFieldsAreReportedOneAtATime()
    {
        Window window;
        window.Second->setText("x");
        window.First->setFocus(Qt::TabFocusReason);
        window.First->setText("x");

        window.Second->setFocus(Qt::TabFocusReason);
        Window::Settle();

        QCOMPARE(window.Reported, QStringList{"first"});
        QVERIFY(window.First->hasFocus());
        QCOMPARE(window.Checked, QStringList{"first"});
    }

    // A report's message box runs events, among them checks that were waiting: they wait for the
    // report to end and refuse meanwhile.
    void noCheckRunsWhileOneIsReported()
    {
        Window window;
        window.First->setText("x");
        window.Second->setText("x");
        bool secondDuringReport = true;
        window.WhileReporting = [&] {
            window.WhileReporting = nullptr;
            secondDuringReport = window.Fields->Check(*window.Second);
        };

        QVERIFY(!window.Fields->Check(*window.First));

        QVERIFY(!secondDuringReport);
        QCOMPARE(window.Checked, QStringList{"first"});
        QVERIFY(window.First->hasFocus());
        // The report is over: the other field is checked again.
        QVERIFY(!window.Fields->Check(*window.Second));
        QCOMPARE(window.Reported, QStringList({"first", "second"}));
    }

    void guardGivesTheFlagBackOnEveryWayOut()
    {
        bool flag = false;
        {
            const ReentryGuard outer(flag);
            {
                const ReentryGuard inner(flag);
                QVERIFY(flag);
            }
            // An inner scope does not end the outer one.
            QVERIFY(flag);
        }
        QVERIFY(!flag);
        try {
            const ReentryGuard failing(flag);
            throw std::runtime_error("failed");
        } catch (const std::runtime_error&) {
        }
        QVERIFY(!flag);
    }
};

}  // namespace kalmora

QTEST_MAIN(kalmora::CheckedFieldsTest)
#include "CheckedFieldsTest.moc"
