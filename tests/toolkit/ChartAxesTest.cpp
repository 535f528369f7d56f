#include "toolkit/ChartAxes.h"

#include <qcustomplot.h>

#include <QtTest>

#include <cstdint>
#include <limits>

namespace kalmora {

class ChartAxesTest : public QObject {
    Q_OBJECT

private slots:
    void stepsAreRound_data()
    {
        QTest::addColumn<qint64>("highest");
        QTest::addColumn<qint64>("step");
        QTest::newRow("empty axis") << qint64(0) << qint64(1);
        QTest::newRow("fewer than the steps") << qint64(3) << qint64(1);
        QTest::newRow("exactly five steps of one") << qint64(5) << qint64(1);
        QTest::newRow("one more: steps of two") << qint64(6) << qint64(2);
        QTest::newRow("steps of five") << qint64(11) << qint64(5);
        QTest::newRow("next power of ten") << qint64(26) << qint64(10);
        QTest::newRow("thousands") << qint64(12000) << qint64(5000);
        QTest::newRow("largest count") << std::numeric_limits<qint64>::max()
                                       << qint64(2000000000000000000);
    }
    void stepsAreRound()
    {
        QFETCH(qint64, highest);
        QFETCH(qint64, step);
        QCOMPARE(RoundCountStep(highest, 5), step);
    }

    // The axis ends at the first step that reaches the highest count, every step labelled in German.
    void countAxisLabelsTheStepsInGerman()
    {
        QCustomPlot plot;
        SetCountAxis(*plot.yAxis, 12000, 5);
        const auto ticker = plot.yAxis->ticker().dynamicCast<QCPAxisTickerText>();
        QVERIFY(ticker);
        QCOMPARE(ticker->ticks().values(), QStringList({"0", "5.000", "10.000", "15.000"}));
        QCOMPARE(plot.yAxis->range().upper, 15000.0);

        SetCountAxis(*plot.yAxis, 0, 5);
        QCOMPARE(plot.yAxis->ticker().dynamicCast<QCPAxisTickerText>()->ticks().values(), QStringList({"0", "1"}));
    }
};

}  // namespace kalmora

QTEST_MAIN(kalmora::ChartAxesTest)
#include "ChartAxesTest.moc"
