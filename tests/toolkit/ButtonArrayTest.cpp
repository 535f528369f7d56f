#include "toolkit/ButtonArray.h"

#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

#include <stdexcept>

namespace kalmora {

class ButtonArrayTest : public QObject {
    Q_OBJECT

private slots:
    void elementsAreNamedAndClickedByIndex_data()
    {
        QTest::addColumn<QString>("array");
        QTest::addColumn<QList<int>>("indexes");
        QTest::newRow("buttons 0 and 1") << "cmd_erg" << QList<int>{0, 1};
        QTest::newRow("indexes with gaps") << "cmd_imp" << QList<int>{1, 3, 7};
    }
    void elementsAreNamedAndClickedByIndex()
    {
        QFETCH(QString, array);
        QFETCH(QList<int>, indexes);
        QWidget window;
        ButtonArray buttons(array);
        for (int index : indexes) {
            buttons.AddButton(index, QString("Knopf %1").arg(index), &window);
        }
        QSignalSpy clicked(&buttons, &ButtonArray::Clicked);

        for (int index : indexes) {
            auto* button = window.findChild<QPushButton*>(QString("%1_%2").arg(array).arg(index));
            QVERIFY(button != nullptr);
            QCOMPARE(buttons.Button(index), button);
            QTest::mouseClick(button, Qt::LeftButton);
            QCOMPARE(clicked.takeFirst().at(0).toInt(), index);
        }
        QCOMPARE(buttons.Count(), indexes.size());
        QVERIFY(buttons.Button(2) == nullptr);
    }

    void optionButtonsJoinAnArray()
    {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        ButtonArray plaus("opt_plaus");
        for (int index : {1, 0}) {
            auto* option = new QRadioButton(QString("Option %1").arg(index));
            layout->addWidget(option);
            plaus.Add(index, option);
        }
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy clicked(&plaus, &ButtonArray::Clicked);
        QTest::mouseClick(window.findChild<QRadioButton*>("opt_plaus_1"), Qt::LeftButton);
        QTest::mouseClick(window.findChild<QRadioButton*>("opt_plaus_0"), Qt::LeftButton);
        QCOMPARE(clicked.size(), 2);
        QCOMPARE(clicked.at(0).at(0).toInt(), 1);
        QCOMPARE(clicked.at(1).at(0).toInt(), 0);
        QVERIFY(plaus.Button(0)->isChecked());
        QVERIFY(!plaus.Button(1)->isChecked());
    }

    void anIndexIsTakenOnceAndFreedWithItsButton()
    {
        QWidget window;
        ButtonArray buttons("cmd_abta");
        buttons.AddButton(0, "&Kopieren", &window);
        QVERIFY_THROWS_EXCEPTION(std::logic_error, buttons.AddButton(0, "B&eenden", &window));
        delete buttons.Button(0);
        QVERIFY(buttons.Button(0) == nullptr);
        QCOMPARE(buttons.AddButton(0, "&Kopieren", &window)->objectName(), QString("cmd_abta_0"));
    }
};

}  // namespace kalmora

QTEST_MAIN(kalmora::ButtonArrayTest)
#include "ButtonArrayTest.moc"
