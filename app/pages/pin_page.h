#pragma once

#include "app/framework/dialog.h"
#include "protocol/sendable_text.h"

class CSerialPort;

// The PIN code page: sends the PIN in force and the new PIN, typed twice,
// once the user confirms and both can be sent. Lives on the heap and deletes
// itself once its window is gone.
class CPinPage : public CDialog {
public:
    static constexpr int kMaxPinBytes = CSendableText::kMaxPinBytes;

    explicit CPinPage(CSerialPort* pPort);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    void PostNcDestroy() override;
    void OnChangePin();

    CSerialPort* m_pPort;
};
