#include "Sound/PMusic.h"

#include "Sound/NSound.h"
#include "core/PDXErrorLog.h"
#include "core/PTaskManager.h"
#include "core/Settings.h"

namespace {

const char* const kSourceFile = "Sound/PMusic";
const char* const kClassName = "CPMusic";
const char* const kMusicFolder = "Data\\Music";

// The wide path handed to DirectShow holds at most this many characters,
// its terminator included.
const int kWidePathLength = MAX_PATH;
const LONG kNoWait = 0;
const REFTIME kStreamStart = 0.0;

template <class Interface>
void ReleaseInterface(Interface*& object)
{
    if (object) {
        object->Release();
        object = nullptr;
    }
}

} // namespace

CPMusic* g_pMusic = nullptr;

HRESULT CreateFilterGraph(IGraphBuilder** graph)
{
    return CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                            reinterpret_cast<void**>(graph));
}

CPMusic::CPMusic(FilterGraphFactory factory)
    : m_factory(factory),
      m_graph(nullptr),
      m_control(nullptr),
      m_events(nullptr),
      m_position(nullptr),
      m_audio(nullptr),
      m_loop(0),
      m_playing(0),
      m_volume(g_musicVolume)
{
}

CPMusic::~CPMusic()
{
    ReleaseGraph();
}

int CPMusic::GetObjectSize()
{
    return sizeof(*this);
}

const char* CPMusic::GetTypeName()
{
    return kClassName;
}

HRESULT CPMusic::Play(const char* name, int loop)
{
    ReleaseGraph();
    m_fileName = name ? name : "";
    std::string path = std::string(kMusicFolder) + "\\" + m_fileName;
    wchar_t widePath[kWidePathLength];
    if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, kWidePathLength) == 0) {
        return HRESULT_FROM_WIN32(GetLastError());
    }
    m_loop = loop;
    HRESULT result = BuildGraph(widePath);
    if (FAILED(result)) {
        return result;
    }
    m_playing = 1;
    SetVolume(m_volume);
    StartAsTask();
    return result;
}

// The task manager lists only a task it starts itself, so a player that
// runs unlisted (played before any task manager existed, or dropped from
// the list by the host) is marked idle first and then listed.
void CPMusic::StartAsTask()
{
    if (!g_pTaskManager || g_pTaskManager->IsListed(this)) {
        Start();
        return;
    }
    if (IsRunning()) {
        IPProcess::Stop();
    }
    g_pTaskManager->AddTask(this);
}

// Creates the graph, takes the four interfaces the player drives, and
// renders the file. Whatever was taken before a failure stays until the
// next ReleaseGraph.
HRESULT CPMusic::BuildGraph(const wchar_t* path)
{
    HRESULT result = m_factory(&m_graph);
    if (ReportDXError(result, kSourceFile, __LINE__)) {
        m_graph = nullptr;
        return result;
    }
    struct Query {
        const IID* iid;
        void** slot;
    };
    const Query queries[] = {{&IID_IMediaControl, reinterpret_cast<void**>(&m_control)},
                             {&IID_IMediaEvent, reinterpret_cast<void**>(&m_events)},
                             {&IID_IMediaPosition, reinterpret_cast<void**>(&m_position)},
                             {&IID_IBasicAudio, reinterpret_cast<void**>(&m_audio)}};
    for (const Query& query : queries) {
        result = m_graph->QueryInterface(*query.iid, query.slot);
        if (ReportDXError(result, kSourceFile, __LINE__)) {
            *query.slot = nullptr;
            return result;
        }
    }
    result = m_graph->RenderFile(path, nullptr);
    ReportDXError(result, kSourceFile, __LINE__);
    return result;
}

// Stops the graph before letting go of it, so the music ends here even if
// something else still holds a reference to the graph.
void CPMusic::ReleaseGraph()
{
    if (m_control) {
        m_control->Stop();
    }
    ReleaseInterface(m_audio);
    ReleaseInterface(m_control);
    ReleaseInterface(m_events);
    ReleaseInterface(m_position);
    if (m_graph) {
        m_graph->Abort();
        ReleaseInterface(m_graph);
    }
    m_playing = 0;
}

bool CPMusic::SetVolume(float volume)
{
    m_volume = volume;
    if (!m_audio) {
        return true;
    }
    return !ReportDXError(m_audio->put_Volume(VolumeToAttenuation(volume)), kSourceFile, __LINE__);
}

bool CPMusic::Start()
{
    bool started = IPProcess::Start();
    if (m_control) {
        ReportDXError(m_control->Run(), kSourceFile, __LINE__);
    }
    return started;
}

void CPMusic::Execute()
{
    __LONG32 code = 0;
    LONG_PTR first = 0;
    LONG_PTR second = 0;
    while (m_events && m_events->GetEvent(&code, &first, &second, kNoWait) == S_OK) {
        m_events->FreeEventParams(code, first, second);
        if (code == EC_COMPLETE) {
            OnEndOfStream();
        }
    }
}

void CPMusic::OnEndOfStream()
{
    if (!m_loop) {
        Stop();
        return;
    }
    if (m_position) {
        ReportDXError(m_position->put_CurrentPosition(kStreamStart), kSourceFile, __LINE__);
    }
    ReportDXError(m_control->Run(), kSourceFile, __LINE__);
}

void CPMusic::Stop()
{
    IPProcess::Stop();
    if (m_control) {
        ReportDXError(m_control->Stop(), kSourceFile, __LINE__);
    }
}

// Nothing asks the player for a value.
int CPMusic::GetTaskValue()
{
    return 0;
}
