#pragma once

#include "core/PProcess.h"

#include <windows.h>
#include <d3d9.h>
#include <ddraw.h>
#include <dshow.h>
#include <mmstream.h>
#include <amstream.h>
#include <ddstream.h>

// What tells the two video players apart.
struct VideoPlayerIdentity {
    const char* className;
    // Where failed calls are reported from.
    const char* sourceFile;
    // The texture-cache entry that shows the frames, and the name the
    // texture takes while it does.
    const char* cacheName;
    const char* publishedName;
};

// Plays a video file of "Data\Video" into a Direct3D texture through
// DirectShow's multimedia streams and a DirectDraw frame surface. Play
// prepares the streams, the surface and the texture and leaves the stream
// stopped; as a task the player runs the stream, and each step copies the
// next frame into the texture's top-left corner. The texture is kept for the
// next video when its size and colour depth still fit.
class VideoStreamPlayer : public IPProcess {
public:
    explicit VideoStreamPlayer(const VideoPlayerIdentity& identity);
    ~VideoStreamPlayer() override;

    int GetObjectSize() override;
    const char* GetTypeName() override;
    int GetTaskValue() override;

    // Runs the prepared stream as well as starting the task.
    bool Start() override;
    // Waits for the next frame and copies it into the texture. At the end of
    // the stream the end flag is set; a looping player starts the stream
    // over, any other stops.
    void Execute() override;
    // Stops the stream as well as the task.
    void Stop() override;

    // The DirectDraw object, the multimedia stream and its video stream, with
    // audio unless the player plays without sound. The first failure is
    // reported and answered.
    HRESULT CreateStreams();
    // Releases the streams and makes new ones; released again on failure.
    HRESULT Recreate();
    // Releases every stream interface, the frame surface and the DirectDraw
    // object, each set to null; the texture is kept for reuse.
    void ReleaseStreams();

    // Whether the player starts the stream over at its end; the script
    // functions set it.
    void SetLoop(bool loop) { m_loop = loop; }
    bool HasEnded() const { return m_ended; }
    bool IsSilent() const { return m_noSound; }
    IDirect3DTexture9* GetTexture() const { return m_texture; }
    int GetTextureWidth() const { return m_textureWidth; }
    int GetTextureHeight() const { return m_textureHeight; }
    const RECT& GetFrameRect() const { return m_frameRect; }

    // The smallest power of two strictly greater than the video dimension,
    // and at least 2.
    static int TextureDimension(int videoDimension);

protected:
    // Prepares the named file of "Data\Video": true when the stream is open,
    // the texture ready and published and the stream stopped, or running
    // when the player runs as a listed task; false at the first failed step,
    // which is reported.
    bool PlayFile(const char* name, bool noSound);

private:
    bool Report(HRESULT result, int line) const;
    bool OpenVideo(const char* name, DDSURFACEDESC& format);
    bool CreateFrameSample(DDSURFACEDESC& format);
    bool PrepareTexture(int videoWidth, int videoHeight);
    bool TakeGraphControls();
    void PublishTexture();
    void GoOnRunning();
    void CopyFrameToTexture();
    void OnEndOfStream();
    // Runs or stops the stream when it is not already so.
    void SetStreamRunning(bool running);

    VideoPlayerIdentity m_identity;
    IDirectDraw* m_directDraw;
    IDirectDrawSurface* m_surface;
    IAMMultiMediaStream* m_stream;
    IMediaStream* m_videoStream;
    IDirectDrawMediaStream* m_drawStream;
    IDirectDrawStreamSample* m_sample;
    IMediaControl* m_control;
    IMediaPosition* m_position;
    IBasicAudio* m_audio;
    RECT m_frameRect;
    IDirect3DTexture9* m_texture;
    IDirect3DDevice9* m_device;
    int m_textureWidth;
    int m_textureHeight;
    int m_textureBPP;
    bool m_ended;
    bool m_loop;
    bool m_noSound;
    bool m_streamRunning;
};
