#pragma once

#include <gtkmm/window.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "app/framework/user_responder.h"

// Answers message boxes from a script (OK when it runs out) and records every
// box and beep, so GUI tests see exactly what the user would have seen.
class CRecordingResponder : public CUserResponder {
public:
    struct Box {
        std::string text;
        std::string caption;
        UINT style;
        Gtk::Window* owner;
        int textId;
        int captionId;
    };

    int MessageBox(Gtk::Window* owner, const std::string& text, const std::string& caption, UINT style) override;
    void MessageBeep(UINT type) override { m_beeps.push_back(type); }

    void Answer(std::initializer_list<int> answers) { m_answers.insert(m_answers.end(), answers); }
    // Runs when a box is shown, before it is answered.
    void OnBox(std::function<void(const Box&)> hook) { m_hook = std::move(hook); }

    const std::vector<Box>& Boxes() const { return m_boxes; }
    std::vector<int> TextIds() const;
    const std::vector<UINT>& Beeps() const { return m_beeps; }
    void Clear()
    {
        m_boxes.clear();
        m_beeps.clear();
    }

private:
    std::vector<Box> m_boxes;
    std::vector<UINT> m_beeps;
    std::deque<int> m_answers;
    std::function<void(const Box&)> m_hook;
};
