#include "Render/VideoStreamFactory.h"

namespace {

VideoStreamFactory g_platformFactory;
VideoStreamFactory* g_factory = &g_platformFactory;

} // namespace

VideoStreamFactory::~VideoStreamFactory()
{
}

HRESULT VideoStreamFactory::CreateDirectDraw(IDirectDraw** directDraw)
{
    return DirectDrawCreate(nullptr, directDraw, nullptr);
}

HRESULT VideoStreamFactory::CreateMultiMediaStream(IAMMultiMediaStream** stream)
{
    return CoCreateInstance(CLSID_AMMultiMediaStream, nullptr, CLSCTX_INPROC_SERVER,
                            IID_IAMMultiMediaStream, reinterpret_cast<void**>(stream));
}

VideoStreamFactory& GetVideoStreamFactory()
{
    return *g_factory;
}

VideoStreamFactory* SetVideoStreamFactory(VideoStreamFactory* factory)
{
    VideoStreamFactory* previous = g_factory;
    g_factory = factory ? factory : &g_platformFactory;
    return previous;
}
