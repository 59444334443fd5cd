#pragma once

#include <string>

#include "app/framework/dialog.h"
#include "protocol/sendable_text.h"

// Asks for a new device name. OK takes it only when it is a non-empty name of
// single-byte characters valid in the ANSI code page and no control
// character; m_strName then holds its UTF-8 form.
class CNameEditDlg : public CDialog {
public:
    static constexpr int kMaxNameChars = CSendableText::kMaxNameChars;

    explicit CNameEditDlg(CDialog* pParent);

    std::string m_strName;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
};
