#include "launcher/PMessageHandler.h"

IPMessageHandler::IPMessageHandler() : m_window(nullptr), m_refCount(1) {}

IPMessageHandler::~IPMessageHandler() = default;

int IPMessageHandler::AddRef()
{
    return m_refCount++;
}

int IPMessageHandler::Release()
{
    if (--m_refCount > 0) return m_refCount;
    delete this;
    return 0;
}
