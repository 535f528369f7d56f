#pragma once

#include <array>
#include <string_view>

namespace kalmora {

// One of the 28 TISS-28 items, in the order of a record of type 3 and of the table's columns.
struct Tiss28Item {
    std::string_view Column;       // field of "Satzart 3 - TISS28"
    int Position;                  // 1-based position in a record of type 3
    std::string_view ImportLabel;  // parameter name in the import protocol
    std::string_view ReportLabel;  // label in the report detail
    int Weight;                    // points of the published TISS-28
    char Pair;                     // 'A' to 'D' for items that exclude each other, else 0
};

inline constexpr std::array<Tiss28Item, 28> kTiss28Items{{
    {"T28_STAND_MON", 52, "Standardmonitoring", "Standard-Monitoring", 5, 0},
    {"T28_LAB", 53, "Labor", "Labor", 1, 0},
    {"T28_S_MED", 54, "Einmalige Medikation", "Medikation einmalig", 2, 'A'},
    {"T28_M_MED", 55, "Mehrfache Medikation", "Medikation mehrfach", 3, 'A'},
    {"T28_R_DRESS", 56, "Routineverbandswechsel", "Routineverbandswechsel ", 1, 0},
    {"T28_F_DRESS", 57, "Häufiger Verbandswechsel", "Verbandswechsel häufig", 1, 0},
    {"T28_DRAIN", 58, "Drainagenpflege", "Drainagenpflege", 3, 0},
    {"T28_MECH_VENT", 59, "Mechanische Beatmung", "Beatmung mechanisch", 5, 'B'},
    {"T28_SUPP_VENT", 60, "Atemunterstützung", "Atemunterstützung", 2, 'B'},
    {"T28_TUBUS", 61, "Tubuspflege", "Tubuspflege", 1, 0},
    {"T28_LUNG", 62, "Atemtherapie", "Atemtherapie", 1, 0},
    {"T28_S_VASODR", 63, "Einmalige vasoaktive Medikation", "Medikation einm.vasoaktiv", 3, 'C'},
    {"T28_M_VASODR", 64, "Mehrfache vasoaktive Medikation", "Medikation mehrf.vasoaktiv", 4, 'C'},
    {"T28_L_FLUID", 65, "Massiver Flüssigkeitsersatz", "Flüssigkeitsersatz massiv", 4, 0},
    {"T28_ART", 66, "Arterieller Katheter", "Katheter arteriell", 5, 0},
    {"T28_PCL", 67, "Pulmonaliskatheter", "Pulmonaliskatheter", 8, 0},
    {"T28_CVL", 68, "Zentralvenöser Katheter", "Katheter zentralvenös ", 2, 0},
    {"T28_CPR", 69, "Kardiopulmonale Reanimation", "Kardiopulm.Reanimation", 3, 0},
    {"T28_RENAL", 70, "Nierenersatztherapie", "Nierenersatztherapie", 3, 0},
    {"T28_URINARY", 71, "Harnbilanzierung", "Harnbilanzierung", 2, 0},
    {"T28_ACT_DIU", 72, "Aktive Diurese", "Diurese aktiv", 3, 0},
    {"T28_ICP", 73, "Hirndruckmessung", "Hirndruckmessung", 4, 0},
    {"T28_MET_SUPP", 74, "Behandlung metabolischer Entgleisungen", "Beh.metabolischer Entgl.", 4, 0},
    {"T28_NUT_ENT", 75, "Enterale Ernährung", "Ernährung enteral", 2, 0},
    {"T28_NUT_PARENT", 76, "Parenterale Ernährung", "Ernährung parenteral", 3, 0},
    {"T28_S_INT", 77, "Einfache Intervention", "Intervention einfach", 3, 'D'},
    {"T28_M_INT", 78, "Mehrfache Interventionen", "Interventionen mehrfach", 5, 'D'},
    {"T28_DIAG_EX_ICU", 79, "Diagnostik und Therapie außerhalb der IBS", "Diagn./Therapie außer IBS", 5, 0},
}};

}  // namespace kalmora
