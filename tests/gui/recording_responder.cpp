#include "tests/gui/recording_responder.h"

#include "app/framework/resource_library.h"

namespace {
// The string number whose text this is (captions share texts with tab
// labels, so the lowest number wins).
int IdOfText(const std::string& text)
{
    for (int id = 57345; id <= 57364; ++id)
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
