#pragma once

#include <QString>

#include <filesystem>
#include <string>
#include <string_view>

namespace kalmora {

// Core texts are UTF-8; the windows hand them over to Qt and back with these.
QString ToQt(std::string_view text);
std::string FromQt(const QString& text);

// Paths between the windows and the core: every name whole on every system (a path converted through
// std::string would pass through Windows' code page), shown with the system's separators, and taken
// back from Qt ("C:/Daten") with them too.
QString PathToQt(const std::filesystem::path& path);
std::filesystem::path PathFromQt(const QString& text);

}  // namespace kalmora
