#include "toolkit/ReportLayout.h"

#include "toolkit/ButtonArray.h"
#include "toolkit/CellGrid.h"
#include "toolkit/Frame.h"
#include "toolkit/WindowPlaces.h"

#include <QDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace kalmora {

namespace {

// A report opens at least this high, however few its rows.
constexpr int kLowestReportHeight = 360;

}  // namespace

ButtonArray* LayOutReport(QDialog& window, CellGrid& grid, const QString& frameName)
{
    QGroupBox* report = Frame(frameName, "Bericht", &grid);

    auto* buttons = new ButtonArray("cmd_erg", &window);
    QPushButton* copy = buttons->AddButton(kReportCopy, "&Kopieren");
    QPushButton* close = buttons->AddButton(kReportClose, "Schließen");
    close->setDefault(true);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(copy);
    buttonRow->addWidget(close);

    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(report);
    layout->addLayout(buttonRow);
    return buttons;
}

void FitReportToContent(QDialog& window, const CellGrid& grid)
{
    const QSize content = grid.ContentSize();
    // What the window holds beside the grid: the frame around it, the buttons and the margins.
    QSize wanted = window.sizeHint() - grid.sizeHint() + content;
    wanted.setHeight(std::max(wanted.height(), kLowestReportHeight));
    const QSize available = AvailableScreenSize(window);
    // Scroll bars take room from the grid where the screen cuts it.
    if (wanted.height() > available.height()) wanted.rwidth() += grid.verticalScrollBar()->sizeHint().width();
    if (wanted.width() > available.width()) wanted.rheight() += grid.horizontalScrollBar()->sizeHint().height();
    ResizeWithinScreen(window, wanted);
}

}  // namespace kalmora
