#pragma once

#include "core/PProcess.h"

#include <windows.h>
#include <dshow.h>

#include <string>

// Makes the filter graph for each played file. The player's default makes
// DirectShow's own; tests hand in one that keeps the graph to look at.
typedef HRESULT (*FilterGraphFactory)(IGraphBuilder** graph);
HRESULT CreateFilterGraph(IGraphBuilder** graph);

// The music player: one file of "Data\Music" at a time through a DirectShow
// filter graph, at the music volume. As a task it watches for the end of the
// stream each frame, to play the file again when it loops or to stop.
class CPMusic : public IPProcess {
public:
    explicit CPMusic(FilterGraphFactory factory = CreateFilterGraph);
    ~CPMusic() override;

    int GetObjectSize() override;
    const char* GetTypeName() override;

    // Drops the previous graph, renders the file into a new one and runs
    // it at the stored volume. The player lists itself in the task manager
    // when it is not listed yet, since only the task's step sees the end
    // of the stream. Answers the render result, or the failure.
    HRESULT Play(const char* name, int loop);
    // Stops and releases the graph and its interfaces.
    void ReleaseGraph();
    // Stores the volume and applies it to a rendered graph; false when the
    // graph refused it.
    bool SetVolume(float volume);

    // Runs the rendered graph as well as starting the task.
    bool Start() override;
    // At the end of the stream: back to the start when looping, else stop.
    void Execute() override;
    // Stops the graph as well as the task.
    void Stop() override;
    int GetTaskValue() override;

    const std::string& GetFileName() const { return m_fileName; }
    bool IsRendered() const { return m_playing != 0; }
    float GetVolume() const { return m_volume; }

private:
    HRESULT BuildGraph(const wchar_t* path);
    void OnEndOfStream();
    void StartAsTask();

    FilterGraphFactory m_factory;
    IGraphBuilder* m_graph;
    IMediaControl* m_control;
    IMediaEvent* m_events;
    IMediaPosition* m_position;
    IBasicAudio* m_audio;
    int m_loop;
    std::string m_fileName;
    int m_playing;
    float m_volume;
};

// The music player the host created and published.
extern CPMusic* g_pMusic;
