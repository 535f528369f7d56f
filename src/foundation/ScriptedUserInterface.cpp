#include "foundation/ScriptedUserInterface.h"

#include <stdexcept>

namespace kalmora {

MessageAnswer ScriptedUserInterface::ShowMessage(std::string_view text, std::string_view title, MessageIcon icon,
                                                 MessageButtons buttons)
{
    m_messages.push_back({std::string(text), std::string(title), icon, buttons});
    if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
    if (m_answers.empty()) throw std::logic_error("unscripted question: " + std::string(text));
    const MessageAnswer answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

void ScriptedUserInterface::SetBusy(bool busy)
{
    // No throw here: the busy guard calls this from its destructor. Tests check BusyDepth() == 0.
    m_busyDepth += busy ? 1 : -1;
}

void ScriptedUserInterface::SetStatusText(int panel, std::string_view text)
{
    if (panel < 1 || panel > 4) throw std::out_of_range("status panel " + std::to_string(panel));
    m_status.at(panel - 1) = text;
    m_statusHistory.at(panel - 1).emplace_back(text);
}

}  // namespace kalmora
