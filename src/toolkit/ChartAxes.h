#pragma once

#include <QString>

#include <cstdint>
#include <vector>

class QCPAxis;

namespace kalmora {

// The step of a count axis from 0 to at least `highest` in at most `maxSteps` steps: the smallest
// round step (1, 2 or 5 times a power of ten) that reaches it; 1 for an empty axis.
std::int64_t RoundCountStep(std::int64_t highest, std::int64_t maxSteps);

// A count with German thousands separators ("12.500").
QString GermanCount(std::int64_t count);

// Makes `axis` a count axis from 0 to the first round step at or above `highest`, its ticks at the
// round steps, labelled with German thousands separators.
void SetCountAxis(QCPAxis& axis, std::int64_t highest, std::int64_t maxSteps);

// Makes `axis` a category axis with one labelled tick per category, at 1, 2, 3, ...
void SetCategoryAxis(QCPAxis& axis, const std::vector<QString>& categories);

}  // namespace kalmora
