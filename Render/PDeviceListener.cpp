#include "Render/PDeviceListener.h"

std::list<IPDeviceListener*>& GetDeviceListeners()
{
    static std::list<IPDeviceListener*> listeners;
    return listeners;
}

IPDeviceListener::IPDeviceListener()
    : m_node(GetDeviceListeners().insert(GetDeviceListeners().end(), this))
{
}

IPDeviceListener::~IPDeviceListener()
{
    GetDeviceListeners().erase(m_node);
}
