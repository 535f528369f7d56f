// Classification time: fills one department database with generated stays and survey days and
// classifies it, once with each setting of MehrfachTISS; then classifies it as the program does, with
// the check of the file, once in full and once with the verdict the first check left.
// Usage: bench_classify [SURVEY_DAYS]   (default 1000000)
#include "foundation/ScriptedUserInterface.h"
#include "foundation/Settings.h"
#include "scoring/Classification.h"
#include "scoring/ClassificationList.h"
#include "scoring/ClassificationTable.h"
#include "storage/Database.h"
#include "storage/Schema.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>

#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Stays of 10 days each through 2024, one survey day per stay day.
void Fill(kalmora::Database& db, long long surveyDays)
{
    constexpr int kDaysPerStay = 10;
    kalmora::Transaction transaction(db);
    auto stay = db.Prepare("INSERT INTO \"Gesamt - Patientenadministration\" (\"KIS_ID\", \"DOB\", \"ADM_DATE\", "
                           "\"DIS_DATE\", \"STUNDEN\", \"Alter\", \"TYP\", \"FLAG\") "
                           "VALUES (?, '19600101', ?, ?, '99', ?, 'INT', 'O')");
    auto day = db.Prepare("INSERT INTO \"Satzart 3 - TISS28\" (\"QUALIFIER\", \"KIS_ID\", \"DOB\", \"ADM_DATE\", "
                          "\"REC_DATE\", \"T28_SCORE\", \"STUNDEN\") VALUES (?, ?, '19600101', ?, ?, ?, '99')");
    char text[32];
    for (long long i = 0; i * kDaysPerStay < surveyDays; ++i) {
        std::snprintf(text, sizeof text, "B%09lld", i);
        const std::string kisId = text;
        const int firstDay = static_cast<int>(i % 350);
        auto date = [](int dayOfYear) {
            char buffer[32];
            std::snprintf(buffer, sizeof buffer, "2024%02d%02d", dayOfYear / 28 + 1, dayOfYear % 28 + 1);
            return std::string(buffer);
        };
        const std::string admission = date(firstDay) + "0800";
        stay.BindAll(kisId, admission, date(firstDay + kDaysPerStay - 1) + "1200", i % 20 == 0 ? "12" : "55").Execute();
        for (int d = 0; d < kDaysPerStay && i * kDaysPerStay + d < surveyDays; ++d) {
            std::snprintf(text, sizeof text, "%03d", static_cast<int>((i + d) % 50 + 5));
            day.BindAll(d == 3 ? "E" : "3", kisId, admission, date(firstDay + d), std::string(text)).Execute();
        }
    }
    transaction.Commit();
}

}  // namespace

int main(int argc, char** argv)
{
    long long surveyDays = 1000000;
    if (argc > 1) {
        const std::string_view text = argv[1];
        if (std::from_chars(text.data(), text.data() + text.size(), surveyDays).ec != std::errc() || surveyDays < 1) {
            std::cerr << "Aufruf: bench_classify [TISS-Tage]\n";
            return 1;
        }
    }
    const auto folder = std::filesystem::temp_directory_path() / ("kalmora-bench-classify-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    int status = 0;
    try {
        const auto departmentFile = folder / "12510101X001";
        kalmora::CreateDepartmentTemplate(departmentFile);
        {
            kalmora::Database db(departmentFile);
            auto start = Clock::now();
            Fill(db, surveyDays);
            std::cout << "Abteilung mit " << surveyDays << " TISS-Tagen angelegt in " << SecondsSince(start) << " s ("
                      << std::filesystem::file_size(departmentFile) / (1024 * 1024) << " MB)\n";
            for (const char* multiple : {"N", "J"}) {
                const kalmora::ClassificationSettings settings{std::string_view("20240101"),
                                                               std::string_view("20241231"), std::string_view("6"),
                                                               std::string_view(multiple), std::string_view("N")};
                kalmora::ClassificationResult result = kalmora::ClassificationInputs(46, 20, "");
                start = Clock::now();
                kalmora::ClassifyDepartment(db, settings, result);
                std::cout << "Einstufung (MehrfachTISS " << multiple << "): " << SecondsSince(start) << " s, "
                          << result.ReportedDays << " TISS-Tage gemeldet, Mittelwert " << result.TissMean << ", "
                          << result.LevelText.Trimmed() << ", " << result.Points << " Punkte\n";
            }
        }
        // The whole classification of the department as the program runs it: the lock, the check of the
        // file (in full the first time, then remembered) and the classification.
        kalmora::CreateAdminDatabase(folder / "iadmin.mdb");
        kalmora::Settings settings;
        settings.SystemDataPath = folder.string();
        settings.Erhebungvon = "20240101";
        settings.Erhebungbis = "20241231";
        settings.MindestStd = "6";
        settings.MehrfachTISS = "J";
        settings.ErsatzTISS = "N";
        kalmora::DepartmentEntry entry;
        entry.Kanr = "K001";
        entry.Abteilung = "12510101";
        entry.DatabaseFile = "12510101X001";
        kalmora::ScriptedUserInterface ui;
        for (const char* verdict : {"ohne gemerkten Befund (volle Prüfung)", "mit gemerktem Befund"}) {
            const auto start = Clock::now();
            const auto rows = kalmora::ClassifyDepartments({entry}, settings, ui);
            if (rows.size() != 1) throw std::runtime_error("Einstufung ohne Ergebnis");
            std::cout << "Prüfung und Einstufung " << verdict << ": " << SecondsSince(start) << " s\n";
        }
    } catch (const std::exception& error) {
        std::cerr << "Fehler: " << error.what() << '\n';
        status = 2;
    }
    std::filesystem::remove_all(folder);
    return status;
}
