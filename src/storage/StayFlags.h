#pragma once

#include <array>
#include <string_view>

namespace kalmora {

// FLAG of a row of the stays table: the state of the stay.
inline constexpr std::string_view kStayCorrect = "O";       // stored and correct ("Korrekt")
inline constexpr std::string_view kStayWithWarnings = "W";  // stored with warnings ("Inkorrekt")
// During an import: the stay is rejected, and its rows are deleted before the department database
// is written. In a stored database the list shows it as "Entlassen".
inline constexpr std::string_view kStayRejected = "E";
inline constexpr std::string_view kStayInProgress = "U";  // "In Arbeit"; left out of the classification

// Only during an import: a stay stored before this run, which was "O" resp. "W" when the run began.
// The run tells its own stays from the earlier ones by them and gives the earlier stays their
// state back before storing.
inline constexpr std::string_view kStayEarlierCorrect = "A";
inline constexpr std::string_view kStayEarlierWithWarnings = "B";

struct EarlierStayFlag {
    std::string_view Stored;
    std::string_view DuringImport;
};
inline constexpr std::array<EarlierStayFlag, 2> kEarlierStayFlags{{
    {kStayCorrect, kStayEarlierCorrect},
    {kStayWithWarnings, kStayEarlierWithWarnings},
}};

// True for a stay stored before the running import.
constexpr bool IsEarlierStay(std::string_view flag)
{
    return flag == kStayEarlierCorrect || flag == kStayEarlierWithWarnings;
}

}  // namespace kalmora
