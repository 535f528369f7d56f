#pragma once

#include <string_view>

namespace kalmora {

enum class MessageIcon { Question, Exclamation, Critical };
// YesNoDefaultNo: for questions whose "Ja" deletes stored data, so that Enter alone deletes nothing.
enum class MessageButtons { Ok, YesNo, YesNoDefaultNo };

// Answers as the program compares them: Yes is 6, No is 7.
enum class MessageAnswer : short { Ok = 1, Yes = 6, No = 7 };

// The one way core and windows reach the screen: message boxes, the busy pointer, the status bar,
// the clipboard, the beep, showing a document and letting pending window events run. The GUI
// implements it with Qt, the CLI on the console, tests with a scripted double.
class UserInterface {
public:
    virtual ~UserInterface() = default;

    virtual MessageAnswer ShowMessage(std::string_view text, std::string_view title, MessageIcon icon,
                                      MessageButtons buttons) = 0;
    // Calls nest: the pointer is busy until every SetBusy(true) has had its SetBusy(false).
    virtual void SetBusy(bool busy) = 0;
    // Panels are numbered 1 to 4.
    virtual void SetStatusText(int panel, std::string_view text) = 0;
    virtual void SetClipboardText(std::string_view text) = 0;
    virtual void ProcessPendingEvents() = 0;
    // The system beep that goes with a finished long operation; nothing where no one listens.
    virtual void Beep() {}
    // Shows the document at `address` (a file:// address, perhaps with a #section) in the system's
    // viewer. False when nothing could show it, as where there is no screen.
    virtual bool OpenAddress(std::string_view /*address*/) { return false; }
};

// Shows the busy pointer for the lifetime of the guard.
class BusyPointer {
public:
    explicit BusyPointer(UserInterface& ui) : m_ui(ui) { m_ui.SetBusy(true); }
    ~BusyPointer() { m_ui.SetBusy(false); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    UserInterface& m_ui;
};

// Sets the status bar back to " Bereit" with panels 2 and 3 cleared when the work it guards ends,
// however it ends.
class ReadyAtEnd {
public:
    explicit ReadyAtEnd(UserInterface& ui) : m_ui(ui) {}
    ~ReadyAtEnd()
    {
        m_ui.SetStatusText(1, " Bereit");
        m_ui.SetStatusText(2, " ");
        m_ui.SetStatusText(3, " ");
    }
    ReadyAtEnd(const ReadyAtEnd&) = delete;
    ReadyAtEnd& operator=(const ReadyAtEnd&) = delete;

private:
    UserInterface& m_ui;
};

}  // namespace kalmora
