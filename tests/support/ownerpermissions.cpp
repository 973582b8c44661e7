#include "ownerpermissions.h"

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

bool GetCaps(__user_cap_data_struct data[2])
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(SYS_capget, &header, data) == 0;
}

bool SetCaps(__user_cap_data_struct data[2])
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(SYS_capset, &header, data) == 0;
}

constexpr unsigned Bit(int iCap)
{
    return 1u << iCap;
}

} // namespace

OwnerPermissions::OwnerPermissions()
{
    if (geteuid() != 0) {
        m_bBinding = true;
        return;
    }
    __user_cap_data_struct data[2] = {};
    if (!GetCaps(data))
        return;
    m_savedEffective[0] = data[0].effective;
    m_savedEffective[1] = data[1].effective;
    data[0].effective &= ~(Bit(CAP_DAC_OVERRIDE) | Bit(CAP_DAC_READ_SEARCH) | Bit(CAP_FOWNER));
    m_bDropped = SetCaps(data);
    m_bBinding = m_bDropped;
}

OwnerPermissions::~OwnerPermissions()
{
    if (!m_bDropped)
        return;
    __user_cap_data_struct data[2] = {};
    if (!GetCaps(data))
        return;
    data[0].effective = m_savedEffective[0];
    data[1].effective = m_savedEffective[1];
    SetCaps(data);
}
