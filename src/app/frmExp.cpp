#include "app/frmExp.h"

#include "analysis/CombinedExport.h"
#include "toolkit/ButtonArray.h"
#include "toolkit/CheckedFields.h"
#include "toolkit/FixedColumnList.h"
#include "toolkit/Frame.h"
#include "toolkit/HandbookKey.h"
#include "toolkit/NamedLabel.h"
#include "toolkit/QtText.h"
#include "app/frmOpt.h"
#include "foundation/FailureText.h"
#include "foundation/Messages.h"
#include "reports/DepartmentLines.h"
#include "storage/FileSafety.h"
#include "storage/Schema.h"

#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <array>
#include <exception>
#include <string>
#include <vector>

namespace kalmora {

namespace {

enum ExpButton { kExport = 0, kBeenden = 1 };

// The line up to the database file name, without scrolling.
constexpr int kVisibleCharacters = 98;

constexpr std::array<ColumnHeading, 2> kHeadings{{{" &Krankenanstalt ", 0}, {" Abteilung ", 29}}};

}  // namespace

frmExp::frmExp(AppContext& context, QWidget* parent) : QDialog(parent), m_context(context)
{
    setObjectName("frmExp");
    setWindowTitle(" Export");
    AddHandbookKey(*this, m_context, "export");

    m_list = new FixedColumnList("lst_abteilung");
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setMinimumWidth(m_list->WidthForCharacters(kVisibleCharacters));
    m_list->setMinimumHeight(m_list->fontMetrics().height() * 12);

    m_exportDirectory = NamedLabel("lbl_export", QString());
    m_exportDirectory->setFrameShape(QFrame::StyledPanel);
    m_exportDirectory->setFrameShadow(QFrame::Sunken);
    m_exportDirectory->setAutoFillBackground(true);
    m_exportDirectory->setBackgroundRole(QPalette::Base);
    m_exportDirectory->setToolTip("Doppelklick: Exportverzeichnis in den Optionen ändern");
    m_exportDirectory->installEventFilter(this);

    m_outputFile = new QLineEdit(ToQt(kExportDatabaseFile));
    m_outputFile->setObjectName("output_file");
    (new CheckedFields(*this))->SelectOnFocus(*m_outputFile);

    auto* buttons = new ButtonArray("cmd_export", this);
    QPushButton* exportButton = buttons->AddButton(kExport, "&Export");
    QPushButton* close = buttons->AddButton(kBeenden, "Beenden");
    exportButton->setDefault(true);
    connect(buttons, &ButtonArray::Clicked, this, &frmExp::OnButton);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(exportButton);
    buttonRow->addWidget(close);

    auto* output = new QHBoxLayout;
    output->addWidget(Frame("fra_export_0", "Ausgabeverzeichnis", m_exportDirectory), 3);
    output->addWidget(Frame("fra_export_1", "Ausgabedatei", m_outputFile), 1);

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(2);
    layout->addWidget(CreateColumnHeadings(*m_list, kHeadings));
    layout->addWidget(m_list, 1);
    layout->addSpacing(8);
    layout->addLayout(output);
    layout->addSpacing(8);
    layout->addLayout(buttonRow);

    LoadList();
}

void frmExp::LoadList()
{
    {
        const BusyPointer busy(m_context.Ui);
        m_context.Ui.SetStatusText(1, " Intensivberichte vorbereiten...");
        try {
            for (const DepartmentLine& department : ReadDepartmentLines(m_context.Config))
                m_list->AddLine(ExportLineText(department.Text));
        } catch (const std::exception& failure) {
            ShowFailure(m_context.Ui, failure, "");
        }
        if (m_list->LineCount() > 0) m_list->setCurrentRow(0);
        ShowExportDirectory();
    }
    m_context.Ui.SetStatusText(1, "");
}

void frmExp::ShowExportDirectory()
{
    m_exportDirectory->setText(ToQt(m_context.Config.ExportDataPath));
}

void frmExp::ChangeExportDirectory()
{
    // This window stays open behind the options: hiding a running modal dialog would end it.
    frmOpt options(m_context, this);
    options.ShowDirectoriesPage();
    m_context.Windows.ShowModal(options);
    ShowExportDirectory();
}

void frmExp::OnButton(int index)
{
    if (index == kExport) {
        OnExport();
        return;
    }
    reject();
}

void frmExp::OnExport()
{
    const std::string fileName = FromQt(m_outputFile->text());
    if (!CheckExportFileName(fileName, m_context.Ui)) {
        m_outputFile->setFocus(Qt::OtherFocusReason);
        return;
    }
    std::vector<std::string> lines;
    for (int row : m_list->SelectedLines())
        lines.push_back(m_list->Line(row));
    try {
        ExportDepartments(m_context.Config, lines, fileName, m_context.Ui);
    } catch (const std::exception& error) {
        // Another run (an import, the batch tool) busy with the data is a notice: try again later.
        ShowFailure(m_context.Ui, error, " Export nicht möglich: ");
        return;
    }
    ReportExportSuccess(m_context.Ui);
}

bool frmExp::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_exportDirectory && event->type() == QEvent::MouseButtonDblClick) {
        ChangeExportDirectory();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace kalmora
