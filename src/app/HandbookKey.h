#pragma once

#include <string_view>
#include <utility>

class QWidget;

namespace kalmora {

class UserInterface;

// Each window's section of the handbook (the anchor of its heading), by the window's object name.
inline constexpr std::pair<std::string_view, std::string_view> kHandbookSections[] = {
    {"frmTop", "start"},
    {"frmMain", "hauptfenster"},
    {"frmOpt", "optionen"},
    {"frmImp", "import"},
    {"frmImpe", "importergebnis"},
    {"frmEin", "einstufung"},
    {"frmAbtB", "basisdaten"},
    {"frmEine", "einstufungsergebnis"},
    {"frmAbt", "abteilungsebene"},
    {"frmPat", "patientenebene"},
    {"frmPats", "patientensuche"},
    {"frmInt", "detailansicht"},
    {"frmAbta", "analyse"},
    {"frmExp", "export"},
    {"frmInfo", "info"},
};

// F1 in `window` (named already) opens the handbook at the window's section.
void AddHandbookKey(QWidget& window, UserInterface& ui);

}  // namespace kalmora
