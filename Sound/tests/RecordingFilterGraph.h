#pragma once

#include <windows.h>
#include <dshow.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

// A recording double of a DirectShow filter graph with the four interfaces
// the music player drives, all on one object sharing one reference count.
// It logs the calls that matter as text ("RenderFile Data\Music\a.wav",
// "put_Volume -437") and answers what the test sets up. Calls the player
// has no business making are logged as "unexpected ...".
namespace sounddouble {

class RecordingFilterGraph : public IGraphBuilder,
                             public IMediaControl,
                             public IMediaEvent,
                             public IMediaPosition,
                             public IBasicAudio {
public:
    virtual ~RecordingFilterGraph() = default;

    std::vector<std::string> calls;
    LONG references = 1;  // the factory hands the graph out with one
    const IID* refusedInterface = nullptr;
    HRESULT renderAnswer = S_OK;
    HRESULT volumeAnswer = S_OK;
    std::deque<LONG> pendingEvents;

    int CountCalls(const std::string& call) const
    {
        return int(std::count(calls.begin(), calls.end(), call));
    }

    // IUnknown, shared by every interface.
    STDMETHOD(QueryInterface)(REFIID iid, void** object) override
    {
        *object = nullptr;
        if (refusedInterface && iid == *refusedInterface) {
            return E_NOINTERFACE;
        }
        if (iid == IID_IUnknown || iid == IID_IGraphBuilder) {
            *object = static_cast<IGraphBuilder*>(this);
        } else if (iid == IID_IMediaControl) {
            *object = static_cast<IMediaControl*>(this);
        } else if (iid == IID_IMediaEvent) {
            *object = static_cast<IMediaEvent*>(this);
        } else if (iid == IID_IMediaPosition) {
            *object = static_cast<IMediaPosition*>(this);
        } else if (iid == IID_IBasicAudio) {
            *object = static_cast<IBasicAudio*>(this);
        } else {
            return E_NOINTERFACE;
        }
        ++references;
        return S_OK;
    }
    STDMETHOD_(ULONG, AddRef)() override { return ULONG(++references); }
    STDMETHOD_(ULONG, Release)() override { return ULONG(--references); }

    // IGraphBuilder
    STDMETHOD(RenderFile)(LPCWSTR file, LPCWSTR playList) override
    {
        char narrow[MAX_PATH * 2] = "";
        WideCharToMultiByte(CP_ACP, 0, file, -1, narrow, sizeof(narrow), nullptr, nullptr);
        calls.push_back(std::string("RenderFile ") + narrow + (playList ? " with play list" : ""));
        return renderAnswer;
    }
    STDMETHOD(Abort)() override { return Record("Abort"); }
    STDMETHOD(AddFilter)(IBaseFilter*, LPCWSTR) override { return Unexpected("AddFilter"); }
    STDMETHOD(RemoveFilter)(IBaseFilter*) override { return Unexpected("RemoveFilter"); }
    STDMETHOD(EnumFilters)(IEnumFilters**) override { return Unexpected("EnumFilters"); }
    STDMETHOD(FindFilterByName)(LPCWSTR, IBaseFilter**) override { return Unexpected("FindFilterByName"); }
    STDMETHOD(ConnectDirect)(IPin*, IPin*, const AM_MEDIA_TYPE*) override { return Unexpected("ConnectDirect"); }
    STDMETHOD(Reconnect)(IPin*) override { return Unexpected("Reconnect"); }
    STDMETHOD(Disconnect)(IPin*) override { return Unexpected("Disconnect"); }
    STDMETHOD(SetDefaultSyncSource)() override { return Unexpected("SetDefaultSyncSource"); }
    STDMETHOD(Connect)(IPin*, IPin*) override { return Unexpected("Connect"); }
    STDMETHOD(Render)(IPin*) override { return Unexpected("Render"); }
    STDMETHOD(AddSourceFilter)(LPCWSTR, LPCWSTR, IBaseFilter**) override { return Unexpected("AddSourceFilter"); }
    STDMETHOD(SetLogFile)(DWORD_PTR) override { return Unexpected("SetLogFile"); }
    STDMETHOD(ShouldOperationContinue)() override { return Unexpected("ShouldOperationContinue"); }

    // IDispatch, shared by the four automation interfaces.
    STDMETHOD(GetTypeInfoCount)(UINT*) override { return Unexpected("GetTypeInfoCount"); }
    STDMETHOD(GetTypeInfo)(UINT, LCID, ITypeInfo**) override { return Unexpected("GetTypeInfo"); }
    STDMETHOD(GetIDsOfNames)(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return Unexpected("GetIDsOfNames"); }
    STDMETHOD(Invoke)(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return Unexpected("Invoke");
    }

    // IMediaControl
    STDMETHOD(Run)() override { return Record("Run"); }
    STDMETHOD(Stop)() override { return Record("Stop"); }
    STDMETHOD(Pause)() override { return Unexpected("Pause"); }
    STDMETHOD(GetState)(LONG, OAFilterState*) override { return Unexpected("GetState"); }
    STDMETHOD(RenderFile)(BSTR) override { return Unexpected("IMediaControl::RenderFile"); }
    STDMETHOD(AddSourceFilter)(BSTR, IDispatch**) override { return Unexpected("IMediaControl::AddSourceFilter"); }
    STDMETHOD(get_FilterCollection)(IDispatch**) override { return Unexpected("get_FilterCollection"); }
    STDMETHOD(get_RegFilterCollection)(IDispatch**) override { return Unexpected("get_RegFilterCollection"); }
    STDMETHOD(StopWhenReady)() override { return Unexpected("StopWhenReady"); }

    // IMediaEvent: hands out the pending events, then answers E_ABORT as a
    // graph does when its queue is empty and the wait has run out.
    STDMETHOD(GetEvent)(__LONG32* code, LONG_PTR* first, LONG_PTR* second, __LONG32 timeout) override
    {
        if (timeout != 0) {
            return Unexpected("GetEvent with a wait");
        }
        if (pendingEvents.empty()) {
            return E_ABORT;
        }
        *code = pendingEvents.front();
        *first = 0;
        *second = 0;
        pendingEvents.pop_front();
        return S_OK;
    }
    STDMETHOD(FreeEventParams)(__LONG32 code, LONG_PTR, LONG_PTR) override
    {
        return Record("FreeEventParams " + std::to_string(code));
    }
    STDMETHOD(GetEventHandle)(OAEVENT*) override { return Unexpected("GetEventHandle"); }
    STDMETHOD(WaitForCompletion)(__LONG32, __LONG32*) override { return Unexpected("WaitForCompletion"); }
    STDMETHOD(CancelDefaultHandling)(__LONG32) override { return Unexpected("CancelDefaultHandling"); }
    STDMETHOD(RestoreDefaultHandling)(__LONG32) override { return Unexpected("RestoreDefaultHandling"); }

    // IMediaPosition
    STDMETHOD(put_CurrentPosition)(REFTIME time) override
    {
        return Record("put_CurrentPosition " + std::to_string(time));
    }
    STDMETHOD(get_Duration)(REFTIME*) override { return Unexpected("get_Duration"); }
    STDMETHOD(get_CurrentPosition)(REFTIME*) override { return Unexpected("get_CurrentPosition"); }
    STDMETHOD(get_StopTime)(REFTIME*) override { return Unexpected("get_StopTime"); }
    STDMETHOD(put_StopTime)(REFTIME) override { return Unexpected("put_StopTime"); }
    STDMETHOD(get_PrerollTime)(REFTIME*) override { return Unexpected("get_PrerollTime"); }
    STDMETHOD(put_PrerollTime)(REFTIME) override { return Unexpected("put_PrerollTime"); }
    STDMETHOD(put_Rate)(double) override { return Unexpected("put_Rate"); }
    STDMETHOD(get_Rate)(double*) override { return Unexpected("get_Rate"); }
    STDMETHOD(CanSeekForward)(LONG*) override { return Unexpected("CanSeekForward"); }
    STDMETHOD(CanSeekBackward)(LONG*) override { return Unexpected("CanSeekBackward"); }

    // IBasicAudio
    STDMETHOD(put_Volume)(__LONG32 volume) override
    {
        calls.push_back("put_Volume " + std::to_string(volume));
        return volumeAnswer;
    }
    STDMETHOD(get_Volume)(__LONG32*) override { return Unexpected("get_Volume"); }
    STDMETHOD(put_Balance)(__LONG32) override { return Unexpected("put_Balance"); }
    STDMETHOD(get_Balance)(__LONG32*) override { return Unexpected("get_Balance"); }

private:
    HRESULT Record(const std::string& call)
    {
        calls.push_back(call);
        return S_OK;
    }
    HRESULT Unexpected(const std::string& name)
    {
        calls.push_back("unexpected " + name);
        return E_NOTIMPL;
    }
};

} // namespace sounddouble
