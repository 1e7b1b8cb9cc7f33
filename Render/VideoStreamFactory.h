#pragma once

#include <windows.h>
#include <ddraw.h>
#include <mmstream.h>
#include <amstream.h>

// Where the video players get their DirectDraw object and their multimedia
// stream: DirectDraw and DirectShow in the program. Gathered here so that
// tests can put in streams of their own making and see every call.
class VideoStreamFactory {
public:
    virtual ~VideoStreamFactory();

    // DirectDrawCreate on the default display driver.
    virtual HRESULT CreateDirectDraw(IDirectDraw** directDraw);
    // DirectShow's multimedia stream object, in process.
    virtual HRESULT CreateMultiMediaStream(IAMMultiMediaStream** stream);
};

// The factory in use: DirectDraw and DirectShow unless a test installed another.
VideoStreamFactory& GetVideoStreamFactory();

// Installs factory (null puts the platform's back) and answers the one it
// replaces. The caller keeps ownership.
VideoStreamFactory* SetVideoStreamFactory(VideoStreamFactory* factory);
