#pragma once

#include "foundation/UserInterface.h"

#include <array>
#include <deque>
#include <string>
#include <vector>

namespace kalmora {

// A user interface for tests and unattended runs: records every box and status text, and answers
// Yes/No questions from a script. An unscripted question is a fault of the caller's test and throws.
class ScriptedUserInterface : public UserInterface {
public:
    struct ShownMessage {
        std::string Text;
        std::string Title;
        MessageIcon Icon;
        MessageButtons Buttons;
    };

    void ScriptAnswer(MessageAnswer answer) { m_answers.push_back(answer); }

    MessageAnswer ShowMessage(std::string_view text, std::string_view title, MessageIcon icon,
                              MessageButtons buttons) override;
    void SetBusy(bool busy) override;
    void SetStatusText(int panel, std::string_view text) override;
    void SetClipboardText(std::string_view text) override { m_clipboard = text; }
    void ProcessPendingEvents() override { ++m_eventRuns; }
    void Beep() override { ++m_beeps; }
    // Records the address; answers whether a viewer "showed" it, by default yes.
    bool OpenAddress(std::string_view address) override
    {
        m_addresses.emplace_back(address);
        return m_viewerPresent;
    }
    void SetViewerPresent(bool present) { m_viewerPresent = present; }

    const std::vector<ShownMessage>& Messages() const { return m_messages; }
    const std::string& StatusText(int panel) const { return m_status.at(panel - 1); }
    const std::vector<std::string>& StatusHistory(int panel) const { return m_statusHistory.at(panel - 1); }
    const std::string& Clipboard() const { return m_clipboard; }
    const std::vector<std::string>& Addresses() const { return m_addresses; }
    int BusyDepth() const { return m_busyDepth; }
    int EventRuns() const { return m_eventRuns; }
    int Beeps() const { return m_beeps; }
    std::size_t UnusedAnswers() const { return m_answers.size(); }

private:
    std::deque<MessageAnswer> m_answers;
    std::vector<ShownMessage> m_messages;
    std::array<std::string, 4> m_status;
    std::array<std::vector<std::string>, 4> m_statusHistory;
    std::string m_clipboard;
    int m_busyDepth = 0;
    int m_eventRuns = 0;
    int m_beeps = 0;
    std::vector<std::string> m_addresses;
    bool m_viewerPresent = true;
};

}  // namespace kalmora
