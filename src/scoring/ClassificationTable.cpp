#include "scoring/ClassificationTable.h"

#include "foundation/Conversions.h"
#include "foundation/Messages.h"
#include "foundation/NumberFormat.h"
#include "foundation/Settings.h"
#include "foundation/UserInterface.h"
#include "storage/Database.h"
#include "storage/FileSafety.h"
#include "storage/Integrity.h"
#include "storage/Schema.h"
#include "storage/VerifiedFiles.h"

namespace kalmora {

std::vector<ClassifiedDepartment> ClassifyDepartments(const std::vector<DepartmentEntry>& selected,
                                                      const Settings& settings, UserInterface& ui)
{
    const ReadyAtEnd ready(ui);
    const ExclusiveLock lock(SystemDataLockFile(settings));
    Database admin(DataFilePath(settings.SystemDataPath, kAdminDatabaseFile));
    const ClassificationSettings classification = ClassificationSettingsOf(settings);
    std::vector<ClassifiedDepartment> rows;
    {
        const BusyPointer busy(ui);
        for (const auto& entry : selected) {
            ui.SetStatusText(1, " Einstufung...");
            ui.SetStatusText(2, " " + std::string(MidCharacters(entry.Text, 1, 27)));
            ui.SetStatusText(3, " " + std::string(MidCharacters(entry.Text, 69, 111)));
            ClassifiedDepartment row{entry,
                                     ClassificationInputs(entry.Dgkp, entry.SystemisedBeds, entry.PreClassification)};
            try {
                const std::string file(entry.DatabaseFile.Trimmed());
                if (file.empty()) throw StorageError("Keine Datenbankdatei eingetragen.");
                Database department(DataFilePath(settings.SystemDataPath, file));
                VerifyDatabase(admin, department, DatabaseKind::Department);
                ClassifyDepartment(department, classification, row.Result);
                // The classification rewrote the department's scratch table after the check: that
                // version is sound too, and need not be checked again.
                if (const auto written = VersionOf(department.Path())) VerifiedFiles(admin).Remember(file, *written);
                rows.push_back(std::move(row));
            } catch (const StorageError& error) {
                ShowGeneralError(ui, " Einstufung der Abteilung " + entry.Key() + " (" +
                                         std::string(entry.DatabaseFile.Trimmed()) +
                                         ") nicht möglich: " + error.what());
            }
            ui.ProcessPendingEvents();
        }
    }
    return rows;
}

std::array<std::string, kClassificationColumnCount> ClassificationCells(const ClassifiedDepartment& row,
                                                                        const ClassificationSettings& settings)
{
    const ClassificationResult& r = row.Result;
    return {
        std::string(MidCharacters(row.Entry.Text, 1, 27)),
        std::string(MidCharacters(row.Entry.Text, 69, 111)),
        r.LevelText.str(),
        FormatNumber(r.Points, "#,##0"),
        FormatNumber(r.TissMean16, "0.0"),
        FormatNumber(r.TissMean, "0.0"),
        FormatNumber(r.TissAboveBase, "0.0"),
        FormatNumber(r.DgkpPerBed, "0.00"),
        PlainNumberText(r.DgkpAboveBase),
        FormatNumber(r.Factor, "0.0"),
        FormatNumber(r.BasePoints, "#,##0"),
        FormatNumber(r.PointsPerTenth, "0.0"),
        FormatNumber(r.ReportedDays, "#,##0"),
        FormatNumber(r.Days16, "#,##0"),
        FormatNumber(r.FilledDays, "#,##0"),
        settings.ErsatzTISS.str(),
        settings.MehrfachTISS.str(),
        settings.MindestStd.str(),
        FormatCompactDate(settings.Erhebungvon, 8),
        FormatCompactDate(settings.Erhebungbis, 8),
        std::to_string(r.SystemisedBeds),
        PlainNumberText(r.DgkpCount),
        r.PreClassification.str(),
        r.Comment,
    };
}

std::string ClassificationClipboardText(const std::vector<ClassifiedDepartment>& rows,
                                        const ClassificationSettings& settings)
{
    std::string text;
    for (std::size_t column = 0; column < kClassificationColumnCount; ++column) {
        if (column > 0) text += '\t';
        text += kClassificationTitles[column];
    }
    for (const auto& row : rows) {
        text += '\r';
        const auto cells = ClassificationCells(row, settings);
        for (std::size_t column = 0; column < cells.size(); ++column) {
            if (column > 0) text += '\t';
            text += cells[column];
        }
    }
    return text;
}

}  // namespace kalmora
