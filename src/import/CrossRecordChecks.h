#pragma once

#include <cstdint>
#include <string>

namespace kalmora {

class Database;
class ImportProtocol;

// What the pass over the stays of the working copy yields for the file's result.
struct CrossRecordTotals {
    std::int32_t RejectedCount = 0;
    std::int32_t EarlierCount = 0;
    std::int32_t AcceptedRecordCount = 0;
    bool HasMessages = false;
};

struct SumRecord {
    bool Seen = false;
    std::int32_t Total = 0;
};

// Judges every stay of the working copy as a whole (age against the department, both record types,
// survey days against care days, TISS-28 item combinations), fills in the missing survey days of
// the accepted stays, and compares the sum record with the counted records. Findings go to the
// protocol and raise the stays' FLAG to "W" or "E".
CrossRecordTotals CheckStays(Database& workingCopy, ImportProtocol& protocol, const std::string& hospital,
                             const std::string& department, const SumRecord& sumRecord);

}  // namespace kalmora
