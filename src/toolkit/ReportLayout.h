#pragma once

#include <QString>

class QDialog;

namespace kalmora {

class ButtonArray;
class CellGrid;

// The buttons of a report table: index 0 copies the table, index 1 closes the window.
enum ReportButton { kReportCopy = 0, kReportClose = 1 };

// Lays out a report table window as the result tables share it: a frame "Bericht" (object name
// `frameName`) holding the grid, and below it the button array "cmd_erg" with "&Kopieren" and
// "Schließen". Returns the button array; the window connects its Clicked signal.
ButtonArray* LayOutReport(QDialog& window, CellGrid& grid, const QString& frameName);

// Opens the window large enough to show the whole grid (and never lower than a few rows), as far
// as the available area of the screen it is on allows; the grid scrolls the rest.
void FitReportToContent(QDialog& window, const CellGrid& grid);

}  // namespace kalmora
