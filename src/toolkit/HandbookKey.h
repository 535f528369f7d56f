#pragma once

#include <string>

class QWidget;

namespace kalmora {

struct AppContext;

// F1 anywhere in `window` opens the handbook at `section`, the section that describes the window.
void AddHandbookKey(QWidget& window, AppContext& context, std::string section);

}  // namespace kalmora
