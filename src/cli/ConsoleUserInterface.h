#pragma once

#include "foundation/UserInterface.h"

#include <ostream>

namespace kalmora {

// The batch tool's user interface: boxes become lines on the error stream, questions get a fixed
// answer (nobody is there to click), status texts and the busy pointer are not shown.
class ConsoleUserInterface : public UserInterface {
public:
    ConsoleUserInterface(std::ostream& messages, MessageAnswer answerToQuestions)
        : m_messages(messages), m_answerToQuestions(answerToQuestions)
    {
    }

    MessageAnswer ShowMessage(std::string_view text, std::string_view title, MessageIcon icon,
                              MessageButtons buttons) override;
    void SetBusy(bool) override {}
    void SetStatusText(int, std::string_view) override {}
    void SetClipboardText(std::string_view) override {}
    void ProcessPendingEvents() override {}

private:
    std::ostream& m_messages;
    MessageAnswer m_answerToQuestions;
};

}  // namespace kalmora
