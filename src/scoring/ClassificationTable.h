#pragma once

#include "scoring/Classification.h"
#include "scoring/ClassificationList.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace kalmora {

class UserInterface;
struct Settings;

// One row of the result table: the department's list entry and its classification.
struct ClassifiedDepartment {
    DepartmentEntry Entry;
    ClassificationResult Result;
};

inline constexpr std::size_t kClassificationColumnCount = 24;

inline constexpr std::array<std::string_view, kClassificationColumnCount> kClassificationTitles{
    "KA",
    "Abteilung",
    "Stufe",
    "Punkte",
    "TISS-Mittelwert (>=16) (ehemals für Einstufung)",
    "TISS-Mittelwert Gesamt (aktuell für Einstufung)",
    "TISS-Mittelwert über Basiswert",
    "DGKP/sBett",
    "DGKP/sBett über Basiswert",
    "Faktor für Bepunktung",
    "Basispunkte der Stufe",
    "Punkte je 0,1 korr TISS-28",
    "TISS-Tage gemeldet",
    "TISS-Tage >=16",
    "TISS-Tage fehlend",
    "TISS-Ersatzscore",
    "MehrfachTISS verdichten",
    "0-Tage Mindeststunden",
    "Erhebungsdatum von",
    "Erhebungsdatum bis",
    "systemisierte Betten",
    "DGKP",
    "Voreinstufung",
    "Kommentar",
};

// Classifies the given entries in their order with the classification settings of `settings`,
// showing the department being worked on in the status bar. A department whose database fails is
// reported as a general error with the department and the reason and gets no row; the others are
// still classified. Holds the system data lock throughout, so no import replaces a database
// meanwhile; throws LockedError when another process holds it.
std::vector<ClassifiedDepartment> ClassifyDepartments(const std::vector<DepartmentEntry>& selected,
                                                      const Settings& settings, UserInterface& ui);

// The 24 cell texts of a department's row, in German number formats.
std::array<std::string, kClassificationColumnCount> ClassificationCells(const ClassifiedDepartment& row,
                                                                        const ClassificationSettings& settings);

// What "&Kopieren" puts on the clipboard: the titles separated by TAB, CR, then the rows with cells
// separated by TAB and rows by CR. Without rows it is the title line alone.
std::string ClassificationClipboardText(const std::vector<ClassifiedDepartment>& rows,
                                        const ClassificationSettings& settings);

}  // namespace kalmora
