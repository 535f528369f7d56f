#include "toolkit/FixedColumnList.h"

#include "toolkit/ButtonArray.h"
#include "toolkit/NamedLabel.h"

#include <QFontMetrics>
#include <QLabel>
#include <QScrollBar>
#include <QStyle>

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

QWidget* CreateColumnHeadings(FixedColumnList& list, std::span<const ColumnHeading> headings)
{
    auto* row = new QWidget;
    row->setObjectName("fra_headings");
    std::vector<QLabel*> labels;
    for (std::size_t index = 0; index < headings.size(); ++index) {
        auto* label = NamedLabel(ArrayElementName("Label1", static_cast<int>(index)), headings[index].Text);
        label->setParent(row);
        label->adjustSize();
        labels.push_back(label);
    }
    labels.front()->setBuddy(&list);
    row->setFixedHeight(labels.front()->height());

    const std::vector<ColumnHeading> columns(headings.begin(), headings.end());
    const auto place = [&list, labels, columns](int scrolled) {
        const int character = QFontMetrics(list.font()).horizontalAdvance('X');
        const int origin =
            list.frameWidth() + list.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &list) + 1;
        for (std::size_t index = 0; index < labels.size(); ++index) {
            const ColumnHeading& heading = columns[index];
            int x = origin + heading.First * character;
            if (heading.Centred) x += ((heading.Last - heading.First + 1) * character - labels[index]->width()) / 2;
            labels[index]->move(x - scrolled, 0);
        }
    };
    place(0);
    QObject::connect(list.horizontalScrollBar(), &QScrollBar::valueChanged, row, place);
    return row;
}

}  // namespace kalmora
