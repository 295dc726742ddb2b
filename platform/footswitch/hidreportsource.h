#pragma once

#include "platform/footswitch/footswitchreader.h"

struct hid_device_;

/// @short Reports of the first HID device with the vendor and product id,
/// through hidapi's hidraw back end.
///
/// Opening needs read access to the hidraw node: the udev rule shipped
/// with the program gives it to the user at the seat.
class HidReportSource : public IReportSource {
public:
    HidReportSource(int vendorId, int productId);
    ~HidReportSource() override;

    bool Open() override;
    void Close() override;
    bool IsOpen() const override { return m_device != nullptr; }
    int Read(unsigned char* data, int size, int timeoutMs) override;

private:
    int m_vendorId;
    int m_productId;
    hid_device_* m_device = nullptr;
};
