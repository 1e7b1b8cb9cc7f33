#include "Render/VideoStreamPlayer.h"

#include "Render/PRender.h"
#include "Render/PTexture.h"
#include "Render/VideoFrameCopy.h"
#include "Render/VideoStreamFactory.h"
#include "Sound/NSound.h"
#include "core/PDXErrorLog.h"
#include "core/PTaskManager.h"
#include "core/Settings.h"

#include <string>

namespace {

const char* const kVideoFolder = "Data\\Video";
// The wide path handed to DirectShow holds at most this many characters,
// its terminator included.
const int kWidePathLength = MAX_PATH;
const int kSmallestTextureDimension = 2;
const int kTrueColourBPP = 32;
const STREAM_TIME kStreamStart = 0;
// The frame surface lives in system memory, where the stream writes it and
// the copy reads it.
const DWORD kFrameSurfaceCaps = DDSCAPS_SYSTEMMEMORY | DDSCAPS_OFFSCREENPLAIN;

template <class Interface>
void ReleaseInterface(Interface*& object)
{
    if (object) object->Release();
    object = nullptr;
}

D3DFORMAT TextureFormatFor(int bitsPerPixel)
{
    return bitsPerPixel == kTrueColourBPP ? D3DFMT_X8R8G8B8 : D3DFMT_R5G6B5;
}

} // namespace

VideoStreamPlayer::VideoStreamPlayer(const VideoPlayerIdentity& identity)
    : m_identity(identity),
      m_directDraw(nullptr),
      m_surface(nullptr),
      m_stream(nullptr),
      m_videoStream(nullptr),
      m_drawStream(nullptr),
      m_sample(nullptr),
      m_control(nullptr),
      m_position(nullptr),
      m_audio(nullptr),
      m_frameRect(),
      m_texture(nullptr),
      m_device(nullptr),
      m_textureWidth(0),
      m_textureHeight(0),
      m_textureBPP(0),
      m_ended(false),
      m_loop(false),
      m_noSound(false),
      m_streamRunning(false)
{
}

VideoStreamPlayer::~VideoStreamPlayer()
{
    ReleaseStreams();
    ReleaseInterface(m_texture);
}

int VideoStreamPlayer::GetObjectSize()
{
    return sizeof(*this);
}

const char* VideoStreamPlayer::GetTypeName()
{
    return m_identity.className;
}

int VideoStreamPlayer::GetTaskValue()
{
    return 0;
}

bool VideoStreamPlayer::Report(HRESULT result, int line) const
{
    return ReportDXError(result, m_identity.sourceFile, line);
}

int VideoStreamPlayer::TextureDimension(int videoDimension)
{
    int dimension = kSmallestTextureDimension;
    while (dimension <= videoDimension) dimension *= 2;
    return dimension;
}

HRESULT VideoStreamPlayer::CreateStreams()
{
    VideoStreamFactory& factory = GetVideoStreamFactory();
    HRESULT result = factory.CreateDirectDraw(&m_directDraw);
    if (Report(result, __LINE__)) return result;
    HWND window = g_pTaskManager ? g_pTaskManager->GetMainWindow() : nullptr;
    result = m_directDraw->SetCooperativeLevel(window, DDSCL_NORMAL);
    if (Report(result, __LINE__)) return result;
    result = factory.CreateMultiMediaStream(&m_stream);
    if (Report(result, __LINE__)) return result;
    result = m_stream->Initialize(STREAMTYPE_READ, 0, nullptr);
    if (Report(result, __LINE__)) return result;
    if (!m_noSound) {
        result = m_stream->AddMediaStream(nullptr, &MSPID_PrimaryAudio, AMMSF_ADDDEFAULTRENDERER, nullptr);
        if (Report(result, __LINE__)) return result;
    }
    result = m_stream->AddMediaStream(m_directDraw, &MSPID_PrimaryVideo, 0, nullptr);
    Report(result, __LINE__);
    return result;
}

HRESULT VideoStreamPlayer::Recreate()
{
    ReleaseStreams();
    const HRESULT result = CreateStreams();
    if (FAILED(result)) ReleaseStreams();
    return result;
}

// A running stream is stopped first: its graph's threads are still working
// on it when it is let go otherwise.
void VideoStreamPlayer::ReleaseStreams()
{
    SetStreamRunning(false);
    ReleaseInterface(m_audio);
    ReleaseInterface(m_control);
    ReleaseInterface(m_position);
    ReleaseInterface(m_sample);
    ReleaseInterface(m_drawStream);
    ReleaseInterface(m_videoStream);
    ReleaseInterface(m_stream);
    ReleaseInterface(m_surface);
    ReleaseInterface(m_directDraw);
    m_streamRunning = false;
}

bool VideoStreamPlayer::PlayFile(const char* name, bool noSound)
{
    m_noSound = noSound;
    if (Report(Recreate(), __LINE__)) return false;
    m_device = GetRender() ? GetRender()->GetDevice() : nullptr;
    if (!m_device) return false;

    DDSURFACEDESC format = {};
    if (!OpenVideo(name, format) || !CreateFrameSample(format)) return false;
    if (!PrepareTexture(static_cast<int>(format.dwWidth), static_cast<int>(format.dwHeight))) return false;
    if (!TakeGraphControls()) return false;

    const HRESULT result = m_stream->SetState(STREAMSTATE_STOP);
    m_ended = false;
    if (Report(result, __LINE__)) return false;
    PublishTexture();
    GoOnRunning();
    return true;
}

// The script functions add the player to the task manager after Play, which
// does nothing to a task that runs already: a player that runs listed runs
// the new stream itself, and one that runs unlisted (dropped by the host)
// is marked idle, so that adding it lists and starts it.
void VideoStreamPlayer::GoOnRunning()
{
    if (!IsRunning()) return;
    if (g_pTaskManager && g_pTaskManager->IsListed(this)) {
        SetStreamRunning(true);
        return;
    }
    IPProcess::Stop();
}

// A path too long for the wide buffer fails here instead of reaching
// DirectShow cut short.
bool VideoStreamPlayer::OpenVideo(const char* name, DDSURFACEDESC& format)
{
    const std::string path = std::string(kVideoFolder) + "\\" + (name ? name : "");
    wchar_t widePath[kWidePathLength];
    if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, kWidePathLength) == 0) {
        Report(HRESULT_FROM_WIN32(GetLastError()), __LINE__);
        return false;
    }
    if (Report(m_stream->OpenFile(widePath, 0), __LINE__)) return false;
    if (Report(m_stream->GetMediaStream(MSPID_PrimaryVideo, &m_videoStream), __LINE__)) return false;
    if (Report(m_videoStream->QueryInterface(IID_IDirectDrawMediaStream, reinterpret_cast<void**>(&m_drawStream)),
               __LINE__)) {
        return false;
    }
    format.dwSize = sizeof(format);
    return !Report(m_drawStream->GetFormat(&format, nullptr, nullptr, nullptr), __LINE__);
}

bool VideoStreamPlayer::CreateFrameSample(DDSURFACEDESC& format)
{
    ReleaseInterface(m_surface);
    format.dwFlags |= DDSD_CAPS;
    format.ddsCaps.dwCaps |= kFrameSurfaceCaps;
    if (Report(m_directDraw->CreateSurface(&format, &m_surface, nullptr), __LINE__)) return false;
    SetRect(&m_frameRect, 0, 0, static_cast<int>(format.dwWidth), static_cast<int>(format.dwHeight));
    ReleaseInterface(m_sample);
    return !Report(m_drawStream->CreateSample(m_surface, nullptr, 0, &m_sample), __LINE__);
}

// The texture of the last video stays when it was made for the current
// colour depth and has the sizes this video needs.
bool VideoStreamPlayer::PrepareTexture(int videoWidth, int videoHeight)
{
    const int width = TextureDimension(videoWidth);
    const int height = TextureDimension(videoHeight);
    if (m_texture && m_textureBPP == g_screenBPP && m_textureWidth == width && m_textureHeight == height) {
        return true;
    }
    ReleaseInterface(m_texture);
    const HRESULT result = m_device->CreateTexture(width, height, 1, 0, TextureFormatFor(g_screenBPP),
                                                   D3DPOOL_MANAGED, &m_texture, nullptr);
    if (FAILED(result)) m_texture = nullptr;
    // The entry shows the new texture, or none, even when Play fails later:
    // the one it showed is gone.
    PublishTexture();
    if (Report(result, __LINE__)) return false;
    m_textureWidth = width;
    m_textureHeight = height;
    m_textureBPP = g_screenBPP;
    return true;
}

bool VideoStreamPlayer::TakeGraphControls()
{
    IGraphBuilder* graph = nullptr;
    if (Report(m_stream->GetFilterGraph(&graph), __LINE__)) return false;
    HRESULT result = graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&m_control));
    if (SUCCEEDED(result)) result = graph->QueryInterface(IID_IMediaPosition, reinterpret_cast<void**>(&m_position));
    if (SUCCEEDED(result) && !m_noSound) {
        result = graph->QueryInterface(IID_IBasicAudio, reinterpret_cast<void**>(&m_audio));
        if (SUCCEEDED(result)) result = m_audio->put_Volume(VolumeToAttenuation(g_soundVolume));
    }
    graph->Release();
    return !Report(result, __LINE__);
}

// The cache entry is made when no description has asked for it yet, so
// the frames always have a texture to show them.
void VideoStreamPlayer::PublishTexture()
{
    CPTextureCache* cache = GetTextureCache();
    if (!cache) return;
    RefPtr<CPTexture> shown;
    cache->GetTexture(shown, m_identity.cacheName);
    shown->SetVideoTexture(m_texture, m_identity.publishedName);
}

bool VideoStreamPlayer::Start()
{
    if (!IPProcess::Start()) return false;
    SetStreamRunning(true);
    return true;
}

void VideoStreamPlayer::Stop()
{
    if (m_stream) Report(m_stream->SetState(STREAMSTATE_STOP), __LINE__);
    m_streamRunning = false;
    IPProcess::Stop();
}

void VideoStreamPlayer::SetStreamRunning(bool running)
{
    if (!m_stream || running == m_streamRunning) return;
    Report(m_stream->SetState(running ? STREAMSTATE_RUN : STREAMSTATE_STOP), __LINE__);
    m_streamRunning = running;
}

void VideoStreamPlayer::Execute()
{
    if (!m_sample) return;
    const HRESULT result = m_sample->Update(0, nullptr, nullptr, 0);
    if (result == S_OK) {
        CopyFrameToTexture();
    } else if (result == MS_S_ENDOFSTREAM || FAILED(result)) {
        OnEndOfStream();
    }
}

// A running stream is stopped before it seeks: seeking it while it runs
// with an audio renderer can leave the next update waiting for ever.
void VideoStreamPlayer::OnEndOfStream()
{
    m_ended = true;
    if (!m_loop) {
        Stop();
        return;
    }
    SetStreamRunning(false);
    Report(m_stream->Seek(kStreamStart), __LINE__);
    SetStreamRunning(true);
}

void VideoStreamPlayer::CopyFrameToTexture()
{
    if (!m_texture || !m_surface) return;
    DDSURFACEDESC frame = {};
    frame.dwSize = sizeof(frame);
    if (Report(m_surface->Lock(nullptr, &frame, DDLOCK_WAIT | DDLOCK_READONLY, nullptr), __LINE__)) return;
    D3DLOCKED_RECT target;
    if (!Report(m_texture->LockRect(0, &target, &m_frameRect, 0), __LINE__)) {
        CopyVideoFrame(frame, target, TextureFormatFor(m_textureBPP), m_frameRect.right, m_frameRect.bottom);
        m_texture->UnlockRect(0);
    }
    m_surface->Unlock(nullptr);
}
