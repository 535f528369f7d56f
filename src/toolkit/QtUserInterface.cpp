#include "toolkit/QtUserInterface.h"

#include "toolkit/PanelStatusBar.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

namespace kalmora {

namespace {

QString ToQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QMessageBox::Icon ToQtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Exclamation:
        break;
    }
    return QMessageBox::Warning;
}

}  // namespace

MessageAnswer QtUserInterface::ShowMessage(std::string_view text, std::string_view title, MessageIcon icon,
                                           MessageButtons buttons)
{
    // The box belongs to the dialog the user is working in, so it opens above it.
    QWidget* parent = QApplication::activeModalWidget();
    if (parent == nullptr) parent = m_mainWindow;
    QMessageBox box(ToQtIcon(icon), ToQString(title), ToQString(text), QMessageBox::NoButton, parent);
    box.setObjectName("MessageBox");
    box.setTextFormat(Qt::PlainText);
    // Own texts: German whether or not Qt's translation is installed.
    if (buttons != MessageButtons::Ok) {
        box.addButton(QMessageBox::Yes)->setText("&Ja");
        box.addButton(QMessageBox::No)->setText("&Nein");
        box.setDefaultButton(buttons == MessageButtons::YesNoDefaultNo ? QMessageBox::No : QMessageBox::Yes);
        // Closing the box is a refusal.
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.addButton(QMessageBox::Ok)->setText("OK");
        box.setEscapeButton(QMessageBox::Ok);
    }
    const int answer = box.exec();
    if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
    return answer == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

void QtUserInterface::SetBusy(bool busy)
{
    // The override cursors stack, so nested guards restore the pointer only at the outermost end.
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void QtUserInterface::SetStatusText(int panel, std::string_view text)
{
    if (m_statusBar) m_statusBar->SetPanelText(panel, ToQString(text));
}

void QtUserInterface::SetClipboardText(std::string_view text)
{
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setText(ToQString(text));
}

void QtUserInterface::Beep()
{
    QApplication::beep();
}

void QtUserInterface::ProcessPendingEvents()
{
    // Repaints and timers run; clicks and keys wait until the loop is over, so a running operation
    // can't be started a second time from inside itself.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool QtUserInterface::OpenAddress(std::string_view address)
{
    return QDesktopServices::openUrl(QUrl(ToQString(address), QUrl::StrictMode));
}

}  // namespace kalmora
