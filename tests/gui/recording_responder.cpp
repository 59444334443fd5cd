#include "tests/gui/recording_responder.h"

#include <utility>

#include "app/framework/resource_library.h"

namespace {
// The string number whose text this is (captions share texts with tab
// labels, so the lowest number wins).
int IdOfText(const std::string& text)
{
    // The message texts, and those of a PIN field that cannot be sent.
    for (const auto& [first, last] : {std::pair{57345, 57364}, std::pair{57450, 57454}})
        for (int id = first; id <= last; ++id)
            if (!text.empty() && CResourceLibrary::LoadString(id) == text)
                return id;
    return 0;
}
}  // namespace

int CRecordingResponder::MessageBox(Gtk::Window* owner, const std::string& text, const std::string& caption,
                                    UINT style)
{
    m_boxes.push_back({text, caption, style, owner, IdOfText(text), IdOfText(caption)});
    if (m_hook)
        m_hook(m_boxes.back());
    if (m_answers.empty())
        return IDOK;
    int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

std::vector<int> CRecordingResponder::TextIds() const
{
    std::vector<int> ids;
    for (const Box& box : m_boxes)
        ids.push_back(box.textId);
    return ids;
}
