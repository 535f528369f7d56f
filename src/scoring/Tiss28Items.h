#pragma once

#include <array>
#include <string_view>

namespace kalmora {

// One of the 28 TISS-28 items, in the order of a record of type 3 and of the table's columns.
struct Tiss28Item {
    std::string_view Column;       // field of "Satzart 3 - TISS28"
    std::string_view ImportLabel;  // parameter name in the import protocol
    std::string_view ReportLabel;  // label in the report detail
    int Weight;                    // points of the published TISS-28
    char Pair;                     // 'A' to 'D' for items that exclude each other, else 0
};

inline constexpr std::array<Tiss28Item, 28> kTiss28Items{{
    {"T28_STAND_MON", "Standardmonitoring", "Standard-Monitoring", 5, 0},
    {"T28_LAB", "Labor", "Labor", 1, 0},
    {"T28_S_MED", "Einmalige Medikation", "Medikation einmalig", 2, 'A'},
    {"T28_M_MED", "Mehrfache Medikation", "Medikation mehrfach", 3, 'A'},
    {"T28_R_DRESS", "Routineverbandswechsel", "Routineverbandswechsel ", 1, 0},
    {"T28_F_DRESS", "Häufiger Verbandswechsel", "Verbandswechsel häufig", 1, 0},
    {"T28_DRAIN", "Drainagenpflege", "Drainagenpflege", 3, 0},
    {"T28_MECH_VENT", "Mechanische Beatmung", "Beatmung mechanisch", 5, 'B'},
    {"T28_SUPP_VENT", "Atemunterstützung", "Atemunterstützung", 2, 'B'},
    {"T28_TUBUS", "Tubuspflege", "Tubuspflege", 1, 0},
    {"T28_LUNG", "Atemtherapie", "Atemtherapie", 1, 0},
    {"T28_S_VASODR", "Einmalige vasoaktive Medikation", "Medikation einm.vasoaktiv", 3, 'C'},
    {"T28_M_VASODR", "Mehrfache vasoaktive Medikation", "Medikation mehrf.vasoaktiv", 4, 'C'},
    {"T28_L_FLUID", "Massiver Flüssigkeitsersatz", "Flüssigkeitsersatz massiv", 4, 0},
    {"T28_ART", "Arterieller Katheter", "Katheter arteriell", 5, 0},
    {"T28_PCL", "Pulmonaliskatheter", "Pulmonaliskatheter", 8, 0},
    {"T28_CVL", "Zentralvenöser Katheter", "Katheter zentralvenös ", 2, 0},
    {"T28_CPR", "Kardiopulmonale Reanimation", "Kardiopulm.Reanimation", 3, 0},
    {"T28_RENAL", "Nierenersatztherapie", "Nierenersatztherapie", 3, 0},
    {"T28_URINARY", "Harnbilanzierung", "Harnbilanzierung", 2, 0},
    {"T28_ACT_DIU", "Aktive Diurese", "Diurese aktiv", 3, 0},
    {"T28_ICP", "Hirndruckmessung", "Hirndruckmessung", 4, 0},
    {"T28_MET_SUPP", "Behandlung metabolischer Entgleisungen", "Beh.metabolischer Entgl.", 4, 0},
    {"T28_NUT_ENT", "Enterale Ernährung", "Ernährung enteral", 2, 0},
    {"T28_NUT_PARENT", "Parenterale Ernährung", "Ernährung parenteral", 3, 0},
    {"T28_S_INT", "Einfache Intervention", "Intervention einfach", 3, 'D'},
    {"T28_M_INT", "Mehrfache Interventionen", "Interventionen mehrfach", 5, 'D'},
    {"T28_DIAG_EX_ICU", "Diagnostik und Therapie außerhalb der IBS", "Diagn./Therapie außer IBS", 5, 0},
}};

}  // namespace kalmora
