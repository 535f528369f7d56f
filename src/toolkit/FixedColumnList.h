#pragma once

#include <QFont>
#include <QListWidget>

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kalmora {

// "Courier New" at the size of `base`. Where it is not installed, the metric-compatible
// "Liberation Mono" takes its place, so the columns of a line fall where they were laid out.
QFont FixedColumnFont(const QFont& base);

// A list of text lines with fixed character columns, in the fixed-pitch font. Lines keep their
// blanks; the next window reads them back by position.
class FixedColumnList : public QListWidget {
    Q_OBJECT

public:
    explicit FixedColumnList(const QString& name, QWidget* parent = nullptr);

    void AddLine(std::string_view line);
    // The line as it was added, UTF-8; empty for an index outside the list.
    std::string Line(int index) const;
    int LineCount() const { return count(); }

    bool IsLineSelected(int index) const;
    void SetLineSelected(int index, bool selected);
    // The indexes of the selected lines in list order, whatever order they were selected in.
    std::vector<int> SelectedLines() const;

    // Width in pixels that shows `characters` characters of a line without cutting.
    int WidthForCharacters(int characters) const;
};

// A heading over a column of a fixed-column list: its text, the first and the last character of
// its column, and whether it stands over the column's middle (number columns) or at its start.
struct ColumnHeading {
    const char* Text;
    int First;
    int Last = 0;
    bool Centred = false;
};

// The labels "Label1_0", "Label1_1", ... over the columns of the list; they move with the lines when
// the list scrolls sideways, and the first one's access key leads into the list.
QWidget* CreateColumnHeadings(FixedColumnList& list, std::span<const ColumnHeading> headings);

}  // namespace kalmora
