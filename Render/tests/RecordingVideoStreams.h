#pragma once

#include "Render/VideoStreamFactory.h"
#include "Sound/tests/RecordingFilterGraph.h"

#include <windows.h>
#include <ddraw.h>
#include <ddstream.h>
#include <mmstream.h>
#include <amstream.h>

#include <deque>
#include <string>
#include <vector>

// Recording doubles of the DirectDraw object, its frame surface and the
// multimedia stream with its video stream and sample, all writing into one
// log in call order ("OpenFile Data\Video\a.avi 0", "Release surface").
// Calls whose text starts with the failing text fail. The test owns every
// double; Release only counts and logs.
namespace videodouble {

struct CallLog {
    std::vector<std::string> calls;
    std::string failing;

    HRESULT Answer(const std::string& call)
    {
        calls.push_back(call);
        const bool fails = !failing.empty() && call.compare(0, failing.size(), failing) == 0;
        return fails ? E_FAIL : S_OK;
    }
};

#define VIDEO_DOUBLE_UNEXPECTED(name) { return Unexpected(#name); }
// Inside a template the base's helper is named through this.
#define VIDEO_DOUBLE_UNEXPECTED_BASE(name) { return this->Unexpected(#name); }

template <class Interface>
class RecordingObject : public Interface {
public:
    RecordingObject(CallLog& log, const char* name, REFIID iid) : log(log), name(name), m_iid(iid) {}
    virtual ~RecordingObject() = default;

    STDMETHOD(QueryInterface)(REFIID iid, void** object) override
    {
        *object = nullptr;
        if (iid == m_iid || iid == IID_IUnknown) {
            *object = this;
            AddRef();
            return S_OK;
        }
        return QueryOther(iid, object);
    }
    STDMETHOD_(ULONG, AddRef)() override { return ULONG(++references); }
    STDMETHOD_(ULONG, Release)() override
    {
        log.calls.push_back("Release " + name);
        return ULONG(--references);
    }

    CallLog& log;
    std::string name;
    LONG references = 1;

protected:
    virtual HRESULT QueryOther(REFIID, void**) { return E_NOINTERFACE; }
    HRESULT Unexpected(const char* call)
    {
        log.calls.push_back(std::string("unexpected ") + call);
        return E_NOTIMPL;
    }
    HRESULT HandOut(IUnknown* object, void** out, const std::string& call)
    {
        const HRESULT result = log.Answer(call);
        *out = nullptr;
        if (FAILED(result)) return result;
        object->AddRef();
        *out = object;
        return S_OK;
    }

private:
    IID m_iid;
};

// A frame surface whose memory the test fills: a packed frame of the given
// pixel format.
class RecordingSurface : public RecordingObject<IDirectDrawSurface> {
public:
    explicit RecordingSurface(CallLog& log) : RecordingObject(log, "surface", IID_IDirectDrawSurface) {}

    DDPIXELFORMAT format = {};
    LONG pitch = 0;
    std::vector<unsigned char> pixels;

    STDMETHOD(Lock)(LPRECT, LPDDSURFACEDESC description, DWORD, HANDLE) override
    {
        const HRESULT result = log.Answer("Lock");
        if (FAILED(result)) return result;
        description->ddpfPixelFormat = format;
        description->lPitch = pitch;
        description->lpSurface = pixels.data();
        return S_OK;
    }
    STDMETHOD(Unlock)(LPVOID) override { return log.Answer("Unlock"); }

    STDMETHOD(AddAttachedSurface)(LPDIRECTDRAWSURFACE) override VIDEO_DOUBLE_UNEXPECTED(AddAttachedSurface)
    STDMETHOD(AddOverlayDirtyRect)(LPRECT) override VIDEO_DOUBLE_UNEXPECTED(AddOverlayDirtyRect)
    STDMETHOD(Blt)(LPRECT, LPDIRECTDRAWSURFACE, LPRECT, DWORD, LPDDBLTFX) override VIDEO_DOUBLE_UNEXPECTED(Blt)
    STDMETHOD(BltBatch)(LPDDBLTBATCH, DWORD, DWORD) override VIDEO_DOUBLE_UNEXPECTED(BltBatch)
    STDMETHOD(BltFast)(DWORD, DWORD, LPDIRECTDRAWSURFACE, LPRECT, DWORD) override VIDEO_DOUBLE_UNEXPECTED(BltFast)
    STDMETHOD(DeleteAttachedSurface)(DWORD, LPDIRECTDRAWSURFACE) override VIDEO_DOUBLE_UNEXPECTED(DeleteAttachedSurface)
    STDMETHOD(EnumAttachedSurfaces)(LPVOID, LPDDENUMSURFACESCALLBACK) override VIDEO_DOUBLE_UNEXPECTED(EnumAttachedSurfaces)
    STDMETHOD(EnumOverlayZOrders)(DWORD, LPVOID, LPDDENUMSURFACESCALLBACK) override VIDEO_DOUBLE_UNEXPECTED(EnumOverlayZOrders)
    STDMETHOD(Flip)(LPDIRECTDRAWSURFACE, DWORD) override VIDEO_DOUBLE_UNEXPECTED(Flip)
    STDMETHOD(GetAttachedSurface)(LPDDSCAPS, LPDIRECTDRAWSURFACE*) override VIDEO_DOUBLE_UNEXPECTED(GetAttachedSurface)
    STDMETHOD(GetBltStatus)(DWORD) override VIDEO_DOUBLE_UNEXPECTED(GetBltStatus)
    STDMETHOD(GetCaps)(LPDDSCAPS) override VIDEO_DOUBLE_UNEXPECTED(GetCaps)
    STDMETHOD(GetClipper)(LPDIRECTDRAWCLIPPER*) override VIDEO_DOUBLE_UNEXPECTED(GetClipper)
    STDMETHOD(GetColorKey)(DWORD, LPDDCOLORKEY) override VIDEO_DOUBLE_UNEXPECTED(GetColorKey)
    STDMETHOD(GetDC)(HDC*) override VIDEO_DOUBLE_UNEXPECTED(GetDC)
    STDMETHOD(GetFlipStatus)(DWORD) override VIDEO_DOUBLE_UNEXPECTED(GetFlipStatus)
    STDMETHOD(GetOverlayPosition)(LPLONG, LPLONG) override VIDEO_DOUBLE_UNEXPECTED(GetOverlayPosition)
    STDMETHOD(GetPalette)(LPDIRECTDRAWPALETTE*) override VIDEO_DOUBLE_UNEXPECTED(GetPalette)
    STDMETHOD(GetPixelFormat)(LPDDPIXELFORMAT) override VIDEO_DOUBLE_UNEXPECTED(GetPixelFormat)
    STDMETHOD(GetSurfaceDesc)(LPDDSURFACEDESC) override VIDEO_DOUBLE_UNEXPECTED(GetSurfaceDesc)
    STDMETHOD(Initialize)(LPDIRECTDRAW, LPDDSURFACEDESC) override VIDEO_DOUBLE_UNEXPECTED(Initialize)
    STDMETHOD(IsLost)() override VIDEO_DOUBLE_UNEXPECTED(IsLost)
    STDMETHOD(ReleaseDC)(HDC) override VIDEO_DOUBLE_UNEXPECTED(ReleaseDC)
    STDMETHOD(Restore)() override VIDEO_DOUBLE_UNEXPECTED(Restore)
    STDMETHOD(SetClipper)(LPDIRECTDRAWCLIPPER) override VIDEO_DOUBLE_UNEXPECTED(SetClipper)
    STDMETHOD(SetColorKey)(DWORD, LPDDCOLORKEY) override VIDEO_DOUBLE_UNEXPECTED(SetColorKey)
    STDMETHOD(SetOverlayPosition)(LONG, LONG) override VIDEO_DOUBLE_UNEXPECTED(SetOverlayPosition)
    STDMETHOD(SetPalette)(LPDIRECTDRAWPALETTE) override VIDEO_DOUBLE_UNEXPECTED(SetPalette)
    STDMETHOD(UpdateOverlay)(LPRECT, LPDIRECTDRAWSURFACE, LPRECT, DWORD, LPDDOVERLAYFX) override VIDEO_DOUBLE_UNEXPECTED(UpdateOverlay)
    STDMETHOD(UpdateOverlayDisplay)(DWORD) override VIDEO_DOUBLE_UNEXPECTED(UpdateOverlayDisplay)
    STDMETHOD(UpdateOverlayZOrder)(DWORD, LPDIRECTDRAWSURFACE) override VIDEO_DOUBLE_UNEXPECTED(UpdateOverlayZOrder)
};

class RecordingDirectDraw : public RecordingObject<IDirectDraw> {
public:
    RecordingDirectDraw(CallLog& log, RecordingSurface& surface)
        : RecordingObject(log, "DirectDraw", IID_IDirectDraw), m_surface(surface) {}

    STDMETHOD(SetCooperativeLevel)(HWND window, DWORD flags) override
    {
        return log.Answer("SetCooperativeLevel " + std::string(window ? "window " : "no window ") + std::to_string(flags));
    }
    STDMETHOD(CreateSurface)(LPDDSURFACEDESC description, LPDIRECTDRAWSURFACE* surface, IUnknown*) override
    {
        const bool systemMemory = (description->dwFlags & DDSD_CAPS) && (description->ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY);
        return HandOut(&m_surface, reinterpret_cast<void**>(surface),
                       "CreateSurface " + std::to_string(description->dwWidth) + "x" +
                           std::to_string(description->dwHeight) + (systemMemory ? " in system memory" : ""));
    }

    STDMETHOD(Compact)() override VIDEO_DOUBLE_UNEXPECTED(Compact)
    STDMETHOD(CreateClipper)(DWORD, LPDIRECTDRAWCLIPPER*, IUnknown*) override VIDEO_DOUBLE_UNEXPECTED(CreateClipper)
    STDMETHOD(CreatePalette)(DWORD, LPPALETTEENTRY, LPDIRECTDRAWPALETTE*, IUnknown*) override VIDEO_DOUBLE_UNEXPECTED(CreatePalette)
    STDMETHOD(DuplicateSurface)(LPDIRECTDRAWSURFACE, LPDIRECTDRAWSURFACE*) override VIDEO_DOUBLE_UNEXPECTED(DuplicateSurface)
    STDMETHOD(EnumDisplayModes)(DWORD, LPDDSURFACEDESC, LPVOID, LPDDENUMMODESCALLBACK) override VIDEO_DOUBLE_UNEXPECTED(EnumDisplayModes)
    STDMETHOD(EnumSurfaces)(DWORD, LPDDSURFACEDESC, LPVOID, LPDDENUMSURFACESCALLBACK) override VIDEO_DOUBLE_UNEXPECTED(EnumSurfaces)
    STDMETHOD(FlipToGDISurface)() override VIDEO_DOUBLE_UNEXPECTED(FlipToGDISurface)
    STDMETHOD(GetCaps)(LPDDCAPS, LPDDCAPS) override VIDEO_DOUBLE_UNEXPECTED(GetCaps)
    STDMETHOD(GetDisplayMode)(LPDDSURFACEDESC) override VIDEO_DOUBLE_UNEXPECTED(GetDisplayMode)
    STDMETHOD(GetFourCCCodes)(LPDWORD, LPDWORD) override VIDEO_DOUBLE_UNEXPECTED(GetFourCCCodes)
    STDMETHOD(GetGDISurface)(LPDIRECTDRAWSURFACE*) override VIDEO_DOUBLE_UNEXPECTED(GetGDISurface)
    STDMETHOD(GetMonitorFrequency)(LPDWORD) override VIDEO_DOUBLE_UNEXPECTED(GetMonitorFrequency)
    STDMETHOD(GetScanLine)(LPDWORD) override VIDEO_DOUBLE_UNEXPECTED(GetScanLine)
    STDMETHOD(GetVerticalBlankStatus)(WINBOOL*) override VIDEO_DOUBLE_UNEXPECTED(GetVerticalBlankStatus)
    STDMETHOD(Initialize)(GUID*) override VIDEO_DOUBLE_UNEXPECTED(Initialize)
    STDMETHOD(RestoreDisplayMode)() override VIDEO_DOUBLE_UNEXPECTED(RestoreDisplayMode)
    STDMETHOD(SetDisplayMode)(DWORD, DWORD, DWORD) override VIDEO_DOUBLE_UNEXPECTED(SetDisplayMode)
    STDMETHOD(WaitForVerticalBlank)(DWORD, HANDLE) override VIDEO_DOUBLE_UNEXPECTED(WaitForVerticalBlank)

private:
    RecordingSurface& m_surface;
};

// Each Update answers the next queued result; S_OK once the queue is empty.
class RecordingSample : public RecordingObject<IDirectDrawStreamSample> {
public:
    explicit RecordingSample(CallLog& log) : RecordingObject(log, "sample", IID_IDirectDrawStreamSample) {}

    std::deque<HRESULT> updates;

    STDMETHOD(Update)(DWORD flags, HANDLE event, PAPCFUNC, DWORD) override
    {
        log.calls.push_back("Update " + std::to_string(flags) + (event ? " with event" : ""));
        if (updates.empty()) return S_OK;
        const HRESULT result = updates.front();
        updates.pop_front();
        return result;
    }
    STDMETHOD(GetMediaStream)(IMediaStream**) override VIDEO_DOUBLE_UNEXPECTED(GetMediaStream)
    STDMETHOD(GetSampleTimes)(STREAM_TIME*, STREAM_TIME*, STREAM_TIME*) override VIDEO_DOUBLE_UNEXPECTED(GetSampleTimes)
    STDMETHOD(SetSampleTimes)(const STREAM_TIME*, const STREAM_TIME*) override VIDEO_DOUBLE_UNEXPECTED(SetSampleTimes)
    STDMETHOD(CompletionStatus)(DWORD, DWORD) override VIDEO_DOUBLE_UNEXPECTED(CompletionStatus)
    STDMETHOD(GetSurface)(IDirectDrawSurface**, RECT*) override VIDEO_DOUBLE_UNEXPECTED(GetSurface)
    STDMETHOD(SetRect)(const RECT*) override VIDEO_DOUBLE_UNEXPECTED(SetRect)
};

// The media-stream calls that neither stream double expects.
template <class Interface>
class RecordingMediaStream : public RecordingObject<Interface> {
public:
    using RecordingObject<Interface>::RecordingObject;

    STDMETHOD(GetMultiMediaStream)(IMultiMediaStream**) override VIDEO_DOUBLE_UNEXPECTED_BASE(GetMultiMediaStream)
    STDMETHOD(GetInformation)(MSPID*, STREAM_TYPE*) override VIDEO_DOUBLE_UNEXPECTED_BASE(GetInformation)
    STDMETHOD(SetSameFormat)(IMediaStream*, DWORD) override VIDEO_DOUBLE_UNEXPECTED_BASE(SetSameFormat)
    STDMETHOD(AllocateSample)(DWORD, IStreamSample**) override VIDEO_DOUBLE_UNEXPECTED_BASE(AllocateSample)
    STDMETHOD(CreateSharedSample)(IStreamSample*, DWORD, IStreamSample**) override VIDEO_DOUBLE_UNEXPECTED_BASE(CreateSharedSample)
    STDMETHOD(SendEndOfStream)(DWORD) override VIDEO_DOUBLE_UNEXPECTED_BASE(SendEndOfStream)
};

// The video stream's DirectDraw side: answers the video's size and a
// 32-bit RGB format, and makes the sample on the player's surface.
class RecordingDrawStream : public RecordingMediaStream<IDirectDrawMediaStream> {
public:
    RecordingDrawStream(CallLog& log, RecordingSample& sample)
        : RecordingMediaStream(log, "DirectDraw stream", IID_IDirectDrawMediaStream), m_sample(sample) {}

    DWORD width = 0;
    DWORD height = 0;

    STDMETHOD(GetFormat)(DDSURFACEDESC* current, IDirectDrawPalette**, DDSURFACEDESC*, DWORD*) override
    {
        const HRESULT result = log.Answer("GetFormat");
        log.calls.back() += " size " + std::to_string(current->dwSize);
        current->dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
        current->dwWidth = width;
        current->dwHeight = height;
        return result;
    }
    STDMETHOD(CreateSample)(IDirectDrawSurface* surface, const RECT* rect, DWORD flags,
                            IDirectDrawStreamSample** sample) override
    {
        const HRESULT result = HandOut(&m_sample, reinterpret_cast<void**>(sample), "CreateSample");
        log.calls.back() += std::string(surface ? " on the surface" : " without surface") + (rect ? " with rect " : " ") +
                            std::to_string(flags);
        return result;
    }
    STDMETHOD(SetFormat)(const DDSURFACEDESC*, IDirectDrawPalette*) override VIDEO_DOUBLE_UNEXPECTED(SetFormat)
    STDMETHOD(GetDirectDraw)(IDirectDraw**) override VIDEO_DOUBLE_UNEXPECTED(GetDirectDraw)
    STDMETHOD(SetDirectDraw)(IDirectDraw*) override VIDEO_DOUBLE_UNEXPECTED(SetDirectDraw)
    STDMETHOD(GetTimePerFrame)(STREAM_TIME*) override VIDEO_DOUBLE_UNEXPECTED(GetTimePerFrame)

private:
    RecordingSample& m_sample;
};

class RecordingVideoStream : public RecordingMediaStream<IMediaStream> {
public:
    RecordingVideoStream(CallLog& log, RecordingDrawStream& drawStream)
        : RecordingMediaStream(log, "video stream", IID_IMediaStream), m_drawStream(drawStream) {}


protected:
    HRESULT QueryOther(REFIID iid, void** object) override
    {
        if (iid != IID_IDirectDrawMediaStream) return E_NOINTERFACE;
        return HandOut(&m_drawStream, object, "QueryInterface IDirectDrawMediaStream");
    }

private:
    RecordingDrawStream& m_drawStream;
};

class RecordingMultiMediaStream : public RecordingObject<IAMMultiMediaStream> {
public:
    RecordingMultiMediaStream(CallLog& log, RecordingVideoStream& videoStream, sounddouble::RecordingFilterGraph& graph)
        : RecordingObject(log, "multimedia stream", IID_IAMMultiMediaStream), m_videoStream(videoStream), m_graph(graph) {}

    STDMETHOD(Initialize)(STREAM_TYPE type, DWORD flags, IGraphBuilder* graph) override
    {
        return log.Answer("Initialize " + std::to_string(type) + " " + std::to_string(flags) + (graph ? " with graph" : ""));
    }
    STDMETHOD(AddMediaStream)(IUnknown* object, const MSPID* purpose, DWORD flags, IMediaStream** stream) override
    {
        const char* kind = *purpose == MSPID_PrimaryAudio ? "audio" : *purpose == MSPID_PrimaryVideo ? "video" : "other";
        const HRESULT result = log.Answer(std::string("AddMediaStream ") + kind);
        log.calls.back() += std::string(object ? " from DirectDraw " : " ") + std::to_string(flags) + (stream ? " out" : "");
        return result;
    }
    STDMETHOD(OpenFile)(LPCWSTR file, DWORD flags) override
    {
        char narrow[2 * MAX_PATH] = "";
        WideCharToMultiByte(CP_ACP, 0, file, -1, narrow, sizeof(narrow), nullptr, nullptr);
        const HRESULT result = log.Answer("OpenFile");
        log.calls.back() += std::string(" ") + narrow + " " + std::to_string(flags);
        return result;
    }
    STDMETHOD(GetMediaStream)(REFMSPID purpose, IMediaStream** stream) override
    {
        if (purpose != MSPID_PrimaryVideo) return Unexpected("GetMediaStream of another stream");
        return HandOut(&m_videoStream, reinterpret_cast<void**>(stream), "GetMediaStream video");
    }
    STDMETHOD(GetFilterGraph)(IGraphBuilder** graph) override
    {
        return HandOut(static_cast<IGraphBuilder*>(&m_graph), reinterpret_cast<void**>(graph), "GetFilterGraph");
    }
    STDMETHOD(SetState)(STREAM_STATE state) override { return log.Answer("SetState " + std::to_string(state)); }
    STDMETHOD(Seek)(STREAM_TIME time) override { return log.Answer("Seek " + std::to_string(time)); }

    STDMETHOD(GetInformation)(DWORD*, STREAM_TYPE*) override VIDEO_DOUBLE_UNEXPECTED(GetInformation)
    STDMETHOD(EnumMediaStreams)(LONG, IMediaStream**) override VIDEO_DOUBLE_UNEXPECTED(EnumMediaStreams)
    STDMETHOD(GetState)(STREAM_STATE*) override VIDEO_DOUBLE_UNEXPECTED(GetState)
    STDMETHOD(GetTime)(STREAM_TIME*) override VIDEO_DOUBLE_UNEXPECTED(GetTime)
    STDMETHOD(GetDuration)(STREAM_TIME*) override VIDEO_DOUBLE_UNEXPECTED(GetDuration)
    STDMETHOD(GetEndOfStreamEventHandle)(HANDLE*) override VIDEO_DOUBLE_UNEXPECTED(GetEndOfStreamEventHandle)
    STDMETHOD(GetFilter)(IMediaStreamFilter**) override VIDEO_DOUBLE_UNEXPECTED(GetFilter)
    STDMETHOD(OpenMoniker)(IBindCtx*, IMoniker*, DWORD) override VIDEO_DOUBLE_UNEXPECTED(OpenMoniker)
    STDMETHOD(Render)(DWORD) override VIDEO_DOUBLE_UNEXPECTED(Render)

private:
    RecordingVideoStream& m_videoStream;
    sounddouble::RecordingFilterGraph& m_graph;
};

#undef VIDEO_DOUBLE_UNEXPECTED
#undef VIDEO_DOUBLE_UNEXPECTED_BASE

// Hands out the doubles above as the platform's objects; a failing
// "CreateDirectDraw" or "CreateMultiMediaStream" hands out none.
class RecordingVideoStreams : public VideoStreamFactory {
public:
    RecordingVideoStreams()
        : surface(log), directDraw(log, surface), sample(log), drawStream(log, sample),
          videoStream(log, drawStream), stream(log, videoStream, graph) {}

    HRESULT CreateDirectDraw(IDirectDraw** out) override
    {
        return Create(&directDraw, reinterpret_cast<void**>(out), "CreateDirectDraw");
    }
    HRESULT CreateMultiMediaStream(IAMMultiMediaStream** out) override
    {
        return Create(&stream, reinterpret_cast<void**>(out), "CreateMultiMediaStream");
    }

    CallLog log;
    sounddouble::RecordingFilterGraph graph;
    RecordingSurface surface;
    RecordingDirectDraw directDraw;
    RecordingSample sample;
    RecordingDrawStream drawStream;
    RecordingVideoStream videoStream;
    RecordingMultiMediaStream stream;

private:
    HRESULT Create(IUnknown* object, void** out, const std::string& call)
    {
        const HRESULT result = log.Answer(call);
        *out = nullptr;
        if (FAILED(result)) return result;
        object->AddRef();
        *out = object;
        return S_OK;
    }
};

} // namespace videodouble
