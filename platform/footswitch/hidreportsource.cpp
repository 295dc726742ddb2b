#include "platform/footswitch/hidreportsource.h"

#include <hidapi.h>

HidReportSource::HidReportSource(int vendorId, int productId) : m_vendorId(vendorId), m_productId(productId) {}

HidReportSource::~HidReportSource()
{
    Close();
}

bool HidReportSource::Open()
{
    if (m_device)
        return true;
    hid_device_info* found = hid_enumerate(static_cast<unsigned short>(m_vendorId),
                                           static_cast<unsigned short>(m_productId));
    for (hid_device_info* info = found; info && !m_device; info = info->next)
        if (info->path)
            m_device = hid_open_path(info->path);
    hid_free_enumeration(found);
    return m_device != nullptr;
}

void HidReportSource::Close()
{
    if (m_device)
        hid_close(m_device);
    m_device = nullptr;
}

int HidReportSource::Read(unsigned char* data, int size, int timeoutMs)
{
    if (!m_device || size < 1)
        return -1;
    // hidapi leaves out the id of an unnumbered report: it is put back, so
    // the pedal byte is the second, as the report was recorded.
    const int read = hid_read_timeout(m_device, data + 1, size_t(size - 1), timeoutMs);
    if (read <= 0)
        return read;
    data[0] = 0;
    return read + 1;
}
