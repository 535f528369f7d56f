#include "toolkit/FixedColumnList.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QScrollBar>
#include <QtTest>

namespace kalmora {

class FixedColumnListTest : public QObject {
    Q_OBJECT

private slots:
    void columnsAlignInTheFixedPitchFont()
    {
        FixedColumnList list("lst_abteilung");
        const QFontInfo used(list.font());
        QVERIFY2(used.fixedPitch(), qPrintable(used.family()));
        QVERIFY2(QStringList({"Courier New", "Liberation Mono", "Cousine"}).contains(used.family()),
                 qPrintable(used.family()));
        // Every character is as wide as any other, so position n of every line is at the same place.
        const QFontMetrics metrics(list.font());
        const int width = metrics.horizontalAdvance("XXXXXXXXXX");
        for (const char* text : {"iiiiiiiiii", "WWWWWWWWWW", "          ", "ÄÖÜäöüß.,-", "0123456789"}) {
            QCOMPARE(metrics.horizontalAdvance(QString(text)), width);
        }
    }

    void linesComeBackAsTheyWereAdded()
    {
        FixedColumnList list("lst_abteilung");
        const std::string line = "K001 - Landeskrankenhaus Süd  125101 - Intensivstation         K001125.mdb   ";
        list.AddLine(line);
        list.AddLine("");
        QCOMPARE(list.LineCount(), 2);
        QCOMPARE(list.Line(0), line);
        QCOMPARE(list.Line(1), std::string());
        QCOMPARE(list.Line(2), std::string());
    }

    void selectedLinesInListOrder()
    {
        FixedColumnList list("lst_patient");
        list.setSelectionMode(QAbstractItemView::ExtendedSelection);
        for (const char* line : {"a", "b", "c", "d"}) {
            list.AddLine(line);
        }
        list.SetLineSelected(3, true);
        list.SetLineSelected(0, true);
        list.SetLineSelected(2, true);
        list.SetLineSelected(2, false);
        QCOMPARE(list.SelectedLines(), (std::vector<int>{0, 3}));
        QVERIFY(list.IsLineSelected(3));
        QVERIFY(!list.IsLineSelected(9));
    }

    void widthForCharactersShowsWholeLines()
    {
        FixedColumnList list("lst_abteilung");
        list.AddLine(std::string(60, 'W'));
        list.setFixedWidth(list.WidthForCharacters(60));
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QCOMPARE(list.horizontalScrollBar()->maximum(), 0);
    }
};

}  // namespace kalmora

QTEST_MAIN(kalmora::FixedColumnListTest)
#include "FixedColumnListTest.moc"
