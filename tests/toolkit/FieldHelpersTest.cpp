#include "toolkit/FieldHelpers.h"

#include "foundation/ScriptedUserInterface.h"

#include <QApplication>
#include <QLineEdit>
#include <QtTest>

namespace kalmora {

class FieldHelpersTest : public QObject {
    Q_OBJECT

private slots:
    void numberFieldIsReformattedAndStaysSoOnTheSecondVisit_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<int>("maxDigits");
        QTest::addColumn<QString>("shown");
        QTest::newRow("DGKP with decimal comma") << "12,5" << 2 << 6 << "12,50";
        QTest::newRow("DGKP with grouping") << "1.234,5" << 2 << 7 << "1.234,50";
        QTest::newRow("beds") << "12" << 0 << 3 << "12";
        QTest::newRow("zero beds show nothing") << "0" << 0 << 3 << "";
    }
    void numberFieldIsReformattedAndStaysSoOnTheSecondVisit()
    {
        QFETCH(QString, typed);
        QFETCH(int, decimals);
        QFETCH(int, maxDigits);
        QFETCH(QString, shown);
        ScriptedUserInterface ui;
        QLineEdit field;
        field.setText(typed);
        QVERIFY(ValidateNumberInput(field, ui, decimals, maxDigits, false));
        QCOMPARE(field.text(), shown);
        QVERIFY(ValidateNumberInput(field, ui, decimals, maxDigits, false));
        QCOMPARE(field.text(), shown);
        QVERIFY(ui.Messages().empty());
    }

    void refusedNumberShowsTheErrorBox()
    {
        ScriptedUserInterface ui;
        QLineEdit field;
        field.setText("12345");
        QVERIFY(!ValidateNumberInput(field, ui, 2, 6, false));
        QCOMPARE(ui.Messages().size(), size_t(1));
        QCOMPARE(QString::fromStdString(ui.Messages().front().Text), QString("Maximal 6 Stellen zulässig!"));
        QCOMPARE(QString::fromStdString(ui.Messages().front().Title), QString(" Dorvan - Error "));

        field.setText("abc");
        QVERIFY(!ValidateNumberInput(field, ui, 2, 6, false));
        QCOMPARE(field.text(), QString("abc"));
        QCOMPARE(QString::fromStdString(ui.Messages().back().Text), QString("Die Eingabe ist ungültig!"));
    }

    void externalDataIsBlueOnButtonFace()
    {
        QLineEdit field;
        ApplyFieldColours(field, "EXTERN");
        QCOMPARE(field.palette().color(QPalette::Text), QColor(Qt::blue));
        QCOMPARE(field.palette().color(QPalette::Base), QApplication::palette().color(QPalette::Button));
        ApplyFieldColours(field, "INTERN");
        QCOMPARE(field.palette().color(QPalette::Text), QColor(Qt::black));
        QCOMPARE(field.palette().color(QPalette::Base), QColor(Qt::white));
    }
};

}  // namespace kalmora

QTEST_MAIN(kalmora::FieldHelpersTest)
#include "FieldHelpersTest.moc"
