#pragma once

#include "toolkit/AppContext.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <functional>

namespace kalmora::test {

// Opens no window: records the object name of every dialog a window asked to show modally, and lets
// the test drive the dialog while it counts as open. The dialog's result is what the callback
// returns, else the dialog's own result code (Rejected unless a button closed it).
class ScriptedWindowOpener : public WindowOpener {
public:
    std::function<int(QDialog&)> WhileOpen;

    int ShowModal(QDialog& dialog) override
    {
        m_opened << dialog.objectName();
        if (WhileOpen) return WhileOpen(dialog);
        return dialog.result();
    }

    const QStringList& Opened() const { return m_opened; }

private:
    QStringList m_opened;
};

}  // namespace kalmora::test
