#pragma once

#include "app/pages/device_page.h"
#include "protocol/sendable_text.h"

// The PIN code page: sends the PIN in force and the new PIN, typed twice,
// once the user confirms and both can be sent.
class CPinPage : public CDevicePage {
public:
    static constexpr int kMaxPinBytes = CSendableText::kMaxPinBytes;

    explicit CPinPage(CSerialPort* pPort);

protected:
    BOOL OnInitDialog() override;
    void OnChangePin();
};
