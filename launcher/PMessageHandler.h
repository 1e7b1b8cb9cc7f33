#pragma once

#include <windows.h>

// A window-message handler that lives as long as it is referenced: it starts
// with one reference and deletes itself when the last one is released.
class IPMessageHandler {
public:
    IPMessageHandler();
    virtual ~IPMessageHandler();

    // Answers the count as it was before this reference.
    virtual int AddRef();
    // Answers the count that is left; 0 means the handler is gone.
    virtual int Release();
    // Answers nonzero for the messages the handler takes care of.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

protected:
    HWND m_window;

private:
    int m_refCount;
};
