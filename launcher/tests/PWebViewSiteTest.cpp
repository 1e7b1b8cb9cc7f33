#include "launcher/PWebViewSite.h"

#include <gtest/gtest.h>

#include <exdisp.h>

#include <cstring>

namespace {

// A plain window of known size to host the web view.
class HostWindow {
public:
    HostWindow()
        : m_window(CreateWindowExA(0, "STATIC", "", WS_POPUP, 10, 20, 300, 200, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr))
    {
    }
    ~HostWindow() { DestroyWindow(m_window); }
    HWND Get() const { return m_window; }

private:
    HWND m_window;
};

// OLE for one test, as the start dialog has it while it is open.
class OleScope {
public:
    OleScope() { OleInitialize(nullptr); }
    ~OleScope() { OleUninitialize(); }
};

void* const kUnset = reinterpret_cast<void*>(static_cast<uintptr_t>(0xDEADBEEF));

TEST(CPWebViewSite, EachPartAnswersTheInterfacesItImplementsAndNullForOthers)
{
    CPWebViewSite site;
    IUnknown* clientSite = site.GetClientSite();
    IUnknown* inPlaceSite = site.GetInPlaceSite();
    IUnknown* frame = site.GetInPlaceFrame();
    IUnknown* storage = site.GetStorage();
    struct Row {
        IUnknown* part;
        const IID* iid;
        IUnknown* answer;
    };
    const Row rows[] = {
        {clientSite, &IID_IUnknown, clientSite},        {clientSite, &IID_IOleClientSite, clientSite},
        {clientSite, &IID_IOleInPlaceSite, inPlaceSite}, {clientSite, &IID_IOleWindow, nullptr},
        {clientSite, &IID_IDispatch, nullptr},           {inPlaceSite, &IID_IUnknown, clientSite},
        {inPlaceSite, &IID_IOleClientSite, clientSite},  {inPlaceSite, &IID_IOleInPlaceSite, inPlaceSite},
        {inPlaceSite, &IID_IStorage, nullptr},           {frame, &IID_IUnknown, frame},
        {frame, &IID_IOleWindow, frame},                 {frame, &IID_IOleInPlaceUIWindow, frame},
        {frame, &IID_IOleInPlaceFrame, frame},           {frame, &IID_IOleClientSite, nullptr},
        {storage, &IID_IUnknown, storage},               {storage, &IID_IStorage, storage},
        {storage, &IID_IStream, nullptr},
    };
    for (size_t row = 0; row < sizeof(rows) / sizeof(rows[0]); ++row) {
        void* answer = kUnset;
        HRESULT result = rows[row].part->QueryInterface(*rows[row].iid, &answer);
        EXPECT_EQ(result, rows[row].answer ? S_OK : E_NOINTERFACE) << "row " << row;
        EXPECT_EQ(answer, static_cast<void*>(rows[row].answer)) << "row " << row;
    }
}

// The operations the container does not offer hand out no interface: a
// caller that releases what it got back finds null, not its own garbage.
TEST(CPWebViewSite, OperationsItDoesNotOfferAnswerNullInterfaces)
{
    CPWebViewSite site;
    IStorage* storage = site.GetStorage();
    IStream* stream = static_cast<IStream*>(kUnset);
    IStorage* child = static_cast<IStorage*>(kUnset);
    IEnumSTATSTG* elements = static_cast<IEnumSTATSTG*>(kUnset);
    IMoniker* moniker = static_cast<IMoniker*>(kUnset);
    EXPECT_EQ(storage->CreateStream(L"s", 0, 0, 0, &stream), E_NOTIMPL);
    EXPECT_EQ(stream, nullptr);
    stream = static_cast<IStream*>(kUnset);
    EXPECT_EQ(storage->OpenStream(L"s", nullptr, 0, 0, &stream), E_NOTIMPL);
    EXPECT_EQ(stream, nullptr);
    EXPECT_EQ(storage->CreateStorage(L"c", 0, 0, 0, &child), E_NOTIMPL);
    EXPECT_EQ(child, nullptr);
    child = static_cast<IStorage*>(kUnset);
    EXPECT_EQ(storage->OpenStorage(L"c", nullptr, 0, nullptr, 0, &child), E_NOTIMPL);
    EXPECT_EQ(child, nullptr);
    EXPECT_EQ(storage->EnumElements(0, nullptr, 0, &elements), E_NOTIMPL);
    EXPECT_EQ(elements, nullptr);
    EXPECT_EQ(site.GetClientSite()->GetMoniker(OLEGETMONIKER_ONLYIFTHERE, OLEWHICHMK_OBJFULL, &moniker), E_NOTIMPL);
    EXPECT_EQ(moniker, nullptr);
}

TEST(CPWebViewSite, PartsCountNoReferences)
{
    CPWebViewSite site;
    IUnknown* parts[] = {site.GetClientSite(), site.GetInPlaceSite(), site.GetInPlaceFrame(), site.GetStorage()};
    for (IUnknown* part : parts) {
        EXPECT_EQ(part->AddRef(), 1u);
        EXPECT_EQ(part->AddRef(), 1u);
        EXPECT_EQ(part->Release(), 1u);
    }
}

TEST(CPWebViewSite, PlacesThePageInTheHostWindow)
{
    HostWindow host;
    CPWebViewSite site;
    OleScope ole;
    ASSERT_TRUE(site.CreateBrowser(host.Get()));
    EXPECT_TRUE(site.HasBrowser());
    EXPECT_NE(GetWindow(host.Get(), GW_CHILD), nullptr) << "the page has no window in the host";

    HWND window = nullptr;
    EXPECT_EQ(site.GetInPlaceSite()->GetWindow(&window), S_OK);
    EXPECT_EQ(window, host.Get());
    window = nullptr;
    EXPECT_EQ(site.GetInPlaceFrame()->GetWindow(&window), S_OK);
    EXPECT_EQ(window, host.Get());

    IOleInPlaceFrame* frame = nullptr;
    IOleInPlaceUIWindow* document = reinterpret_cast<IOleInPlaceUIWindow*>(kUnset);
    RECT position = {};
    RECT clip = {};
    OLEINPLACEFRAMEINFO info;
    info.cb = 12345;
    info.fMDIApp = TRUE;
    info.cAccelEntries = 7;
    EXPECT_EQ(site.GetInPlaceSite()->GetWindowContext(&frame, &document, &position, &clip, &info), S_OK);
    EXPECT_EQ(frame, site.GetInPlaceFrame());
    EXPECT_EQ(document, nullptr);
    const RECT client = {0, 0, 300, 200};
    EXPECT_TRUE(EqualRect(&position, &client));
    EXPECT_TRUE(EqualRect(&clip, &client));
    EXPECT_EQ(info.cb, 12345u);
    EXPECT_FALSE(info.fMDIApp);
    EXPECT_EQ(info.hwndFrame, host.Get());
    EXPECT_EQ(info.haccel, nullptr);
    EXPECT_EQ(info.cAccelEntries, 0u);

    site.CloseBrowser();
    EXPECT_FALSE(site.HasBrowser());
    EXPECT_EQ(GetWindow(host.Get(), GW_CHILD), nullptr);
}

void PumpMessagesFor(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        Sleep(10);
    }
}

// A site whose memory is spoilt and kept when it is released, so that a
// later call into it crashes instead of going unnoticed.
struct SpoiltWhenDeleted : CPWebViewSite {
    static void operator delete(void* memory, size_t size) { std::memset(memory, 0xCC, size); }
};

TEST(CPWebViewSite, TheClosedBrowserNoLongerCallsTheReleasedSite)
{
    HostWindow host;
    OleScope ole;
    CPWebViewSite* site = new SpoiltWhenDeleted;
    ASSERT_TRUE(site->CreateBrowser(host.Get()));
    site->CloseBrowser();
    EXPECT_EQ(site->Release(), 0);
    PumpMessagesFor(300);
}

TEST(CPWebViewSite, ReleasingTheSiteClosesABrowserStillInPlace)
{
    HostWindow host;
    OleScope ole;
    CPWebViewSite* site = new SpoiltWhenDeleted;
    ASSERT_TRUE(site->CreateBrowser(host.Get()));
    EXPECT_EQ(site->Release(), 0);
    PumpMessagesFor(300);
    EXPECT_EQ(GetWindow(host.Get(), GW_CHILD), nullptr) << "the page is still in the host";
}

TEST(CPWebViewSite, AFailedBrowserLeavesNothingToClose)
{
    CPWebViewSite site;
    OleScope ole;
    EXPECT_FALSE(site.CreateBrowser(nullptr));
    EXPECT_FALSE(site.HasBrowser());
}

TEST(CPWebViewSite, HandlesCreateAndDestroyOnly)
{
    CPWebViewSite site;
    OleScope ole;
    EXPECT_EQ(site.HandleMessage(WM_PAINT, 0, 0), 0);
    EXPECT_EQ(site.HandleMessage(WM_CREATE, 0, 0), 1);
    EXPECT_FALSE(site.HasBrowser());
    EXPECT_EQ(site.HandleMessage(WM_DESTROY, 0, 0), 1);
    MSG message;
    EXPECT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST(IPMessageHandler, CountsReferencesAndDeletesItselfAtZero)
{
    static bool destroyed = false;
    struct Probe : IPMessageHandler {
        ~Probe() override { destroyed = true; }
        LRESULT HandleMessage(UINT, WPARAM, LPARAM) override { return 0; }
    };
    Probe* probe = new Probe;
    EXPECT_EQ(probe->AddRef(), 1);
    EXPECT_EQ(probe->AddRef(), 2);
    EXPECT_EQ(probe->Release(), 2);
    EXPECT_EQ(probe->Release(), 1);
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(probe->Release(), 0);
    EXPECT_TRUE(destroyed);
}

} // namespace
