#include "toolkit/QtText.h"

#include "foundation/Utf8Path.h"

#include <QDir>

namespace kalmora {

QString ToQt(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string FromQt(const QString& text)
{
    return text.toUtf8().toStdString();
}

QString PathToQt(const std::filesystem::path& path)
{
    return QDir::toNativeSeparators(ToQt(Utf8Of(path)));
}

std::filesystem::path PathFromQt(const QString& text)
{
    return PathFromUtf8(FromQt(QDir::toNativeSeparators(text)));
}

}  // namespace kalmora
