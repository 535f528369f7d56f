#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace kalmora {

// Core texts are UTF-8; the windows hand them over to Qt and back with these.
QString ToQt(std::string_view text);
std::string FromQt(const QString& text);

}  // namespace kalmora
