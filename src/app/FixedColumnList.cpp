#include "app/FixedColumnList.h"

#include <QFontMetrics>
#include <QScrollBar>

namespace kalmora {

QFont FixedColumnFont(const QFont& base)
{
    QFont font = base;
    font.setFamilies({"Courier New", "Liberation Mono", "Cousine"});
    font.setStyleHint(QFont::TypeWriter, QFont::PreferMatch);
    font.setFixedPitch(true);
    font.setKerning(false);
    return font;
}

FixedColumnList::FixedColumnList(const QString& name, QWidget* parent) : QListWidget(parent)
{
    setObjectName(name);
    setFont(FixedColumnFont(font()));
    setUniformItemSizes(true);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void FixedColumnList::AddLine(std::string_view line)
{
    addItem(QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())));
}

std::string FixedColumnList::Line(int index) const
{
    const QListWidgetItem* entry = item(index);
    return entry ? entry->text().toStdString() : std::string();
}

bool FixedColumnList::IsLineSelected(int index) const
{
    const QListWidgetItem* entry = item(index);
    return entry != nullptr && entry->isSelected();
}

void FixedColumnList::SetLineSelected(int index, bool selected)
{
    if (QListWidgetItem* entry = item(index)) entry->setSelected(selected);
}

std::vector<int> FixedColumnList::SelectedLines() const
{
    std::vector<int> lines;
    for (int i = 0; i < count(); ++i) {
        if (item(i)->isSelected()) lines.push_back(i);
    }
    return lines;
}

int FixedColumnList::WidthForCharacters(int characters) const
{
    const QFontMetrics metrics(font());
    return metrics.horizontalAdvance(QString(characters, QChar('X'))) + 2 * frameWidth() +
           verticalScrollBar()->sizeHint().width() + 8;
}

}  // namespace kalmora
