#include "app/QtUserInterface.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QMessageBox>
#include <QStatusBar>

namespace kalmora {

namespace {

QString ToQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QMessageBox::Icon ToQtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::Critical: return QMessageBox::Critical;
    case MessageIcon::Exclamation: break;
    }
    return QMessageBox::Warning;
}

}  // namespace

MessageAnswer QtUserInterface::ShowMessage(std::string_view text, std::string_view title, MessageIcon icon,
                                           MessageButtons buttons)
{
    const auto standardButtons =
        buttons == MessageButtons::YesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::StandardButtons(QMessageBox::Ok);
    QMessageBox box(ToQtIcon(icon), ToQString(title), ToQString(text), standardButtons, m_parent);
    const int answer = box.exec();
    if (answer == QMessageBox::Yes) return MessageAnswer::Yes;
    if (answer == QMessageBox::No) return MessageAnswer::No;
    return MessageAnswer::Ok;
}

void QtUserInterface::SetBusy(bool busy)
{
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void QtUserInterface::SetStatusText(int panel, std::string_view text)
{
    // Until the main window's four panels exist, panel 1 uses the plain status message.
    if (m_statusBar && panel == 1) m_statusBar->showMessage(ToQString(text));
}

void QtUserInterface::SetClipboardText(std::string_view text)
{
    QApplication::clipboard()->setText(ToQString(text));
}

void QtUserInterface::ProcessPendingEvents()
{
    QCoreApplication::processEvents();
}

}  // namespace kalmora
