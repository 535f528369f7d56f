#pragma once

#include <array>
#include <string_view>

namespace kalmora::test {

struct ValCase {
    std::string_view Text;
    double Expected;
};

// One table of readings that the C++ Val and the SQL function Val must both give.
inline constexpr std::array kValCases{
    ValCase{"12", 12.0},
    ValCase{"12,50", 12.0},  // "," ends the number
    ValCase{" 1 2", 12.0},
    ValCase{"abc", 0.0},
    ValCase{"1.5", 1.5},
    ValCase{"", 0.0},
    ValCase{"   ", 0.0},
    ValCase{"007", 7.0},
    ValCase{"-3", -3.0},
    ValCase{"+4", 4.0},
    ValCase{"- 3", -3.0},
    ValCase{"1E3", 1000.0},
    ValCase{"2D2", 200.0},
    ValCase{"1e", 1.0},  // an exponent without digits is not read
    ValCase{"1.2.3", 1.2},
    ValCase{".5", 0.5},
    ValCase{"5.", 5.0},
    ValCase{"20240131", 20240131.0},
    ValCase{"2024013114", 2024013114.0},
    ValCase{"1\t2\n3", 123.0},
    ValCase{"12abc", 12.0},
    ValCase{"-", 0.0},
    ValCase{"1E400", 0.0},  // beyond a double: no usable number
    ValCase{"- 1 2 . 5", -12.5},
    ValCase{"-3.5", -3.5},
    ValCase{"1.5D2", 150.0},
    ValCase{"1d-1", 0.1},
    ValCase{".", 0.0},
};

}  // namespace kalmora::test
