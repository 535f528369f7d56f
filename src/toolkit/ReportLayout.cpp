#include "toolkit/ReportLayout.h"

#include "toolkit/ButtonArray.h"
#include "toolkit/CellGrid.h"

#include <QDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace kalmora {

ButtonArray* LayOutReport(QDialog& window, CellGrid& grid, const QString& frameName)
{
    auto* report = new QGroupBox("Bericht");
    report->setObjectName(frameName);
    (new QVBoxLayout(report))->addWidget(&grid);

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

void FitReportWidth(QDialog& window, const CellGrid& grid, int gridWidth)
{
    int width = gridWidth + 2 * grid.frameWidth() + grid.verticalScrollBar()->sizeHint().width() + 48;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        width = std::min(width, screen->availableGeometry().width() - 40);
    }
    window.resize(width, 360);
}

}  // namespace kalmora
