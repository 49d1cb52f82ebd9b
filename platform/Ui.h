#pragma once

#include "platform/Text.h"

#include <deque>
#include <vector>

namespace sorvik::platform {

// Messages and questions: one OK button, or Yes and No. The window layer
// shows message boxes; tests answer through ScriptedUi.
class Ui {
public:
    virtual ~Ui() = default;
    virtual void showMessage(u16view text) = 0;
    virtual bool askYesNo(u16view text, bool defaultYes) = 0;
};

// The process-wide answerer; a default that only records is in place until set.
Ui& ui();
void setUi(Ui* ui);

// Test double: records every text and answers questions from a script (the
// default answer once the script runs out).
class ScriptedUi : public Ui {
public:
    explicit ScriptedUi(std::deque<bool> answers = {}) : m_answers(std::move(answers)) {}

    void showMessage(u16view text) override { m_messages.emplace_back(text); }
    bool askYesNo(u16view text, bool defaultYes) override
    {
        m_questions.emplace_back(text);
        if (m_answers.empty())
            return defaultYes;
        bool answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }

    const std::vector<u16>& messages() const { return m_messages; }
    const std::vector<u16>& questions() const { return m_questions; }
    void clear()
    {
        m_messages.clear();
        m_questions.clear();
    }

private:
    std::deque<bool> m_answers;
    std::vector<u16> m_messages;
    std::vector<u16> m_questions;
};

}
