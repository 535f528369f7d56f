#include "cli/ConsoleUserInterface.h"

#include "foundation/FixedText.h"

namespace kalmora {

MessageAnswer ConsoleUserInterface::ShowMessage(std::string_view text, std::string_view title, MessageIcon /*icon*/,
                                                MessageButtons buttons)
{
    m_messages << TrimBlanks(title) << ": " << TrimBlanks(text);
    if (buttons != MessageButtons::Ok) {
        const bool yes = m_answerToQuestions == MessageAnswer::Yes;
        m_messages << (yes ? " Ja" : " Nein");
        m_messages << '\n';
        return m_answerToQuestions;
    }
    m_messages << '\n';
    return MessageAnswer::Ok;
}

}  // namespace kalmora
