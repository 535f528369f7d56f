#include "app/frmInst.h"

#include "toolkit/DirectoryBrowser.h"
#include "toolkit/Frame.h"
#include "toolkit/HandbookKey.h"
#include "toolkit/NamedLabel.h"
#include "toolkit/QtText.h"
#include "foundation/Messages.h"
#include "shell/OptionsValues.h"
#include "foundation/Utf8Path.h"

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace kalmora {

frmInst::frmInst(AppContext& context, const std::filesystem::path& directory, QWidget* parent)
    : QDialog(parent), m_context(context)
{
    setObjectName("frmInst");
    AddHandbookKey(*this, m_context, "installation-start");
    setWindowTitle(" Kalmora einrichten");
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* explanation = NamedLabel("lbl_ordner", "In diesem Ordner legt Kalmora seine Daten an, in den Unterordnern "
                                                 "system, import und export. Ein bestehender Ordner mit diesen "
                                                 "Unterordnern wird übernommen; vorhandene Dateien bleiben erhalten.");
    explanation->setWordWrap(true);

    m_folder = new QLineEdit(PathToQt(directory));
    m_folder->setObjectName("txt_ordner");
    // Room for a path on a network share without scrolling.
    m_folder->setMinimumWidth(460);

    m_directories = new DirectoryBrowser(
        "lst_drive", "lst_dir", [this](const std::filesystem::path& chosen) { return AcceptDirectory(chosen); });
    m_directories->DirectoryList().setMinimumSize(320, 220);
    m_directories->MoveTo(DirectoryToBrowse(Utf8Of(directory), PathFromQt(QDir::homePath())));
    connect(m_directories, &DirectoryBrowser::Chosen, this, [this](const std::filesystem::path& chosen) {
        m_folder->setText(PathToQt(chosen));
    });

    auto* ok = new QPushButton("OK");
    ok->setObjectName("cmd_ok");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* cancel = new QPushButton("Abbrechen");
    cancel->setObjectName("cmd_abbrechen");
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addWidget(Frame("fra_ordner", "Ordner", m_folder));
    layout->addWidget(Frame("fra_laufwerk", "Laufwerk", &m_directories->DriveList()));
    layout->addWidget(Frame("fra_auswahl", "Auswahl", m_directories), 1);
    layout->addLayout(buttons);
    m_folder->setFocus();
}

std::filesystem::path frmInst::Directory() const
{
    QString text = m_folder->text().trimmed();
    if (text == "~" || text.startsWith("~/") || text.startsWith("~\\")) text = QDir::homePath() + text.mid(1);
    return PathFromQt(text);
}

bool frmInst::AcceptDirectory(const std::filesystem::path& directory)
{
    if (!DirectoryReadable(directory)) {
        ShowNotice(m_context.Ui, Notice::UnreadableDirectory);
        return false;
    }
    return true;
}

}  // namespace kalmora
