#include "toolkit/ChartAxes.h"

#include <qcustomplot.h>

#include <QLocale>

#include <algorithm>
#include <array>
#include <limits>

namespace kalmora {

std::int64_t RoundCountStep(std::int64_t highest, std::int64_t maxSteps)
{
    if (highest <= 0 || maxSteps <= 0) return 1;
    const std::int64_t needed = highest / maxSteps + (highest % maxSteps != 0 ? 1 : 0);
    for (std::int64_t power = 1;; power *= 10) {
        for (const std::int64_t factor : std::array<std::int64_t, 3>{1, 2, 5}) {
            if (factor * power >= needed) return factor * power;
        }
        if (power > std::numeric_limits<std::int64_t>::max() / 50) return needed;
    }
}

QString GermanCount(std::int64_t count)
{
    return QLocale(QLocale::German, QLocale::Germany).toString(static_cast<qlonglong>(count));
}

void SetCountAxis(QCPAxis& axis, std::int64_t highest, std::int64_t maxSteps)
{
    const std::int64_t step = RoundCountStep(highest, maxSteps);
    const std::int64_t top = std::max<std::int64_t>((highest + step - 1) / step, 1) * step;
    QSharedPointer<QCPAxisTickerText> ticker(new QCPAxisTickerText);
    for (std::int64_t value = 0; value <= top; value += step)
        ticker->addTick(static_cast<double>(value), GermanCount(value));
    axis.setTicker(ticker);
    axis.setSubTicks(false);
    axis.setRange(0, static_cast<double>(top));
}

void SetCategoryAxis(QCPAxis& axis, const std::vector<QString>& categories)
{
    QSharedPointer<QCPAxisTickerText> ticker(new QCPAxisTickerText);
    for (std::size_t i = 0; i < categories.size(); ++i)
        ticker->addTick(static_cast<double>(i + 1), categories[i]);
    axis.setTicker(ticker);
    axis.setSubTicks(false);
    axis.setTickLength(0, 4);
    axis.grid()->setVisible(false);
    axis.setRange(0.4, static_cast<double>(categories.size()) + 0.6);
}

}  // namespace kalmora
