#pragma once

#include <QFont>
#include <QListWidget>

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

}  // namespace kalmora
