#pragma once

#include <windows.h>
#include <dshow.h>

// A pass-through wrapper of a real DirectShow filter graph that counts the
// end-of-stream events the player takes from it, so a test can see a
// looping player really reach the end of its file again and again. Every
// call goes on to the real graph; the other interfaces the player asks for
// are the real graph's own.
namespace sounddouble {

class CountingFilterGraph : public IGraphBuilder, public IMediaEvent {
public:
    // Takes over one reference to the real graph; endsOfStream is counted up.
    CountingFilterGraph(IGraphBuilder* real, int* endsOfStream) : m_real(real), m_endsOfStream(endsOfStream)
    {
        m_real->QueryInterface(IID_IMediaEvent, reinterpret_cast<void**>(&m_realEvents));
    }
    virtual ~CountingFilterGraph()
    {
        if (m_realEvents) {
            m_realEvents->Release();
        }
        m_real->Release();
    }

    // IUnknown, shared by both interfaces.
    STDMETHOD(QueryInterface)(REFIID iid, void** object) override
    {
        if (iid == IID_IUnknown || iid == IID_IGraphBuilder) {
            *object = static_cast<IGraphBuilder*>(this);
        } else if (iid == IID_IMediaEvent) {
            if (!m_realEvents) {
                *object = nullptr;
                return E_NOINTERFACE;
            }
            *object = static_cast<IMediaEvent*>(this);
        } else {
            return m_real->QueryInterface(iid, object);
        }
        AddRef();
        return S_OK;
    }
    STDMETHOD_(ULONG, AddRef)() override { return ULONG(++m_references); }
    STDMETHOD_(ULONG, Release)() override
    {
        LONG left = --m_references;
        if (left == 0) {
            delete this;
        }
        return ULONG(left);
    }

    // IFilterGraph and IGraphBuilder
    STDMETHOD(AddFilter)(IBaseFilter* filter, LPCWSTR name) override { return m_real->AddFilter(filter, name); }
    STDMETHOD(RemoveFilter)(IBaseFilter* filter) override { return m_real->RemoveFilter(filter); }
    STDMETHOD(EnumFilters)(IEnumFilters** filters) override { return m_real->EnumFilters(filters); }
    STDMETHOD(FindFilterByName)(LPCWSTR name, IBaseFilter** filter) override
    {
        return m_real->FindFilterByName(name, filter);
    }
    STDMETHOD(ConnectDirect)(IPin* out, IPin* in, const AM_MEDIA_TYPE* type) override
    {
        return m_real->ConnectDirect(out, in, type);
    }
    STDMETHOD(Reconnect)(IPin* pin) override { return m_real->Reconnect(pin); }
    STDMETHOD(Disconnect)(IPin* pin) override { return m_real->Disconnect(pin); }
    STDMETHOD(SetDefaultSyncSource)() override { return m_real->SetDefaultSyncSource(); }
    STDMETHOD(Connect)(IPin* out, IPin* in) override { return m_real->Connect(out, in); }
    STDMETHOD(Render)(IPin* pin) override { return m_real->Render(pin); }
    STDMETHOD(RenderFile)(LPCWSTR file, LPCWSTR playList) override { return m_real->RenderFile(file, playList); }
    STDMETHOD(AddSourceFilter)(LPCWSTR file, LPCWSTR name, IBaseFilter** filter) override
    {
        return m_real->AddSourceFilter(file, name, filter);
    }
    STDMETHOD(SetLogFile)(DWORD_PTR file) override { return m_real->SetLogFile(file); }
    STDMETHOD(Abort)() override { return m_real->Abort(); }
    STDMETHOD(ShouldOperationContinue)() override { return m_real->ShouldOperationContinue(); }

    // IDispatch of IMediaEvent
    STDMETHOD(GetTypeInfoCount)(UINT* count) override { return m_realEvents->GetTypeInfoCount(count); }
    STDMETHOD(GetTypeInfo)(UINT index, LCID locale, ITypeInfo** info) override
    {
        return m_realEvents->GetTypeInfo(index, locale, info);
    }
    STDMETHOD(GetIDsOfNames)(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override
    {
        return m_realEvents->GetIDsOfNames(iid, names, count, locale, ids);
    }
    STDMETHOD(Invoke)(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                      EXCEPINFO* exception, UINT* argument) override
    {
        return m_realEvents->Invoke(id, iid, locale, flags, parameters, result, exception, argument);
    }

    // IMediaEvent
    STDMETHOD(GetEventHandle)(OAEVENT* handle) override { return m_realEvents->GetEventHandle(handle); }
    STDMETHOD(GetEvent)(__LONG32* code, LONG_PTR* first, LONG_PTR* second, __LONG32 timeout) override
    {
        HRESULT result = m_realEvents->GetEvent(code, first, second, timeout);
        if (result == S_OK && *code == EC_COMPLETE) {
            ++*m_endsOfStream;
        }
        return result;
    }
    STDMETHOD(WaitForCompletion)(__LONG32 timeout, __LONG32* code) override
    {
        return m_realEvents->WaitForCompletion(timeout, code);
    }
    STDMETHOD(CancelDefaultHandling)(__LONG32 code) override { return m_realEvents->CancelDefaultHandling(code); }
    STDMETHOD(RestoreDefaultHandling)(__LONG32 code) override { return m_realEvents->RestoreDefaultHandling(code); }
    STDMETHOD(FreeEventParams)(__LONG32 code, LONG_PTR first, LONG_PTR second) override
    {
        return m_realEvents->FreeEventParams(code, first, second);
    }

private:
    IGraphBuilder* m_real;
    IMediaEvent* m_realEvents = nullptr;
    int* m_endsOfStream;
    LONG m_references = 1;
};

} // namespace sounddouble
