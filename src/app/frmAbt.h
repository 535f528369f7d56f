#pragma once

#include "toolkit/AppContext.h"

#include <QDialog>

#include <string>
#include <vector>

class QWidget;

namespace kalmora {

class FixedColumnList;

// The department level of the ICU reports: lists the imported departments, opens the stays of one of
// them and deletes the data of the chosen ones. It stays open under the windows it opens, which read
// its current line and its selection.
class frmAbt : public QDialog {
    Q_OBJECT

public:
    explicit frmAbt(AppContext& context, QWidget* parent = nullptr);

    // The line at the list's current index; empty when there is none.
    std::string CurrentLine() const;
    // The indexes of the selected lines, in list order.
    std::vector<int> SelectedLines() const;
    int LineCount() const;

private:
    void LoadList();
    // Shows the lines with the first one selected.
    void ShowLines(const std::vector<std::string>& lines);
    void OnButton(int index);
    void OpenStays();
    void DeleteSelected();
    void OpenAnalysis();

    AppContext& m_context;
    FixedColumnList* m_list = nullptr;
};

}  // namespace kalmora
