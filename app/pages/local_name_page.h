#pragma once

#include "app/pages/device_page.h"

// The device name page: reads the access point's name the first time it is
// shown and changes it through the name entry dialog.
class CLocalNamePage : public CDevicePage {
public:
    explicit CLocalNamePage(CSerialPort* pPort);

    void ReadDeviceName();
    bool IsNameRead() const { return WasShown(); }

protected:
    BOOL OnInitDialog() override;
    void OnFirstShown() override;
    void OnChangeName();
};
