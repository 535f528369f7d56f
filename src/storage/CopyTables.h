#pragma once

#include <filesystem>

namespace kalmora {

class Database;

enum class CopyTarget {
    Existing,  // a live database: every change journaled and durable
    Fresh,     // a new file nobody uses yet: written without journal; the caller syncs it before use
};

// Which survey days go along: all of them, or only those imported from records of type 3 (QUALIFIER
// "3"), without the days that the day preparation filled in.
enum class CopiedSurveyDays { All, ImportedOnly };

// Appends all rows of the three department tables (stays, then their records of type 1 and 3) of
// the open source database to the existing database file `target`, in one transaction. Rows the
// target refuses (a key it already holds) are left out without a message; the source is unchanged.
void CopyTablesToDatabase(Database& source, const std::filesystem::path& target, CopyTarget kind = CopyTarget::Existing,
                          CopiedSurveyDays surveyDays = CopiedSurveyDays::All);

}  // namespace kalmora
