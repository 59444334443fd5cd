#include "bench/answering_responder.h"

int CAnsweringResponder::MessageBox(Gtk::Window*, const std::string& text, const std::string&, UINT)
{
    m_shown.push_back(text);
    return IDOK;
}

void CAnsweringResponder::MessageBeep(UINT)
{
    m_shown.push_back("(beep)");
}
