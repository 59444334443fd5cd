#pragma once

#include "app/framework/dialog.h"

class CSerialPort;

// The device name page: reads the access point's name the first time it is
// shown and changes it through the name entry dialog. Lives on the heap and
// deletes itself once its window is gone.
class CLocalNamePage : public CDialog {
public:
    explicit CLocalNamePage(CSerialPort* pPort);

    void ReadDeviceName();
    bool IsNameRead() const { return m_bNameRead; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    void OnShowWindow(BOOL bShow, UINT nStatus) override;
    void PostNcDestroy() override;
    void OnChangeName();

    CSerialPort* m_pPort;
    bool m_bNameRead;
};
