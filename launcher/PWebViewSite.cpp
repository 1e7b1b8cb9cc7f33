#include "launcher/PWebViewSite.h"

#include <exdisp.h>

namespace {

// The publisher's splash page for the game.
const wchar_t kStartPage[] = L"https://www.example.com/hollowmere/splash.html";
const wchar_t kContainerApplication[] = L"Web Host";
const wchar_t kContainerObject[] = L"Web View";

// The WebBrowser control and its automation interface.
const CLSID kWebBrowserClass = {0x8856F961, 0x340A, 0x11D0, {0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2}};
const IID kWebBrowser2Interface = {0xD30C1661, 0xCDAF, 0x11D0, {0x8A, 0x3E, 0x00, 0xC0, 0x4F, 0xC9, 0xE2, 0x6E}};

CPWebViewSite* g_webViewSite = nullptr;
BrowserCreator g_browserCreator = CreateWebBrowser;

HRESULT AnswerInterface(void* part, void** object)
{
    *object = part;
    return S_OK;
}

HRESULT NoInterface(void** object)
{
    *object = nullptr;
    return E_NOINTERFACE;
}

// Places the page over the whole host area and navigates it to the start page.
bool ShowStartPage(IWebBrowser2* browser, const RECT& area)
{
    if (FAILED(browser->put_Left(0)) || FAILED(browser->put_Top(0)) ||
        FAILED(browser->put_Width(area.right)) || FAILED(browser->put_Height(area.bottom))) {
        return false;
    }
    VARIANT address;
    VariantInit(&address);
    address.vt = VT_BSTR;
    address.bstrVal = SysAllocString(kStartPage);
    if (!address.bstrVal) return false;
    VARIANT flags, targetFrame, postData, headers;
    VariantInit(&flags);
    VariantInit(&targetFrame);
    VariantInit(&postData);
    VariantInit(&headers);
    HRESULT result = browser->Navigate2(&address, &flags, &targetFrame, &postData, &headers);
    VariantClear(&address);
    return SUCCEEDED(result);
}

} // namespace

HRESULT CreateWebBrowser(IOleClientSite* site, IStorage* storage, void** browser)
{
    return OleCreate(kWebBrowserClass, IID_IOleObject, OLERENDER_DRAW, nullptr, site, storage, browser);
}

BrowserCreator SetBrowserCreator(BrowserCreator creator)
{
    BrowserCreator previous = g_browserCreator;
    g_browserCreator = creator ? creator : CreateWebBrowser;
    return previous;
}

CPWebViewSite* GetWebViewSite()
{
    return g_webViewSite;
}

void SetWebViewSite(CPWebViewSite* site)
{
    g_webViewSite = site;
}

CPWebViewSite::CPWebViewSite()
    : m_clientSite(this), m_inPlaceSite(this), m_inPlaceFrame(this), m_browser(nullptr)
{
}

// The control would go on calling a site that no longer exists.
CPWebViewSite::~CPWebViewSite()
{
    CloseBrowser();
}

bool CPWebViewSite::CreateBrowser(HWND host)
{
    m_window = host;
    if (EmbedBrowser()) return true;
    CloseBrowser();
    return false;
}

bool CPWebViewSite::EmbedBrowser()
{
    void* browser = nullptr;
    HRESULT created = g_browserCreator(&m_clientSite, &m_storage, &browser);
    if (FAILED(created) || !browser) return false;
    m_browser = static_cast<IOleObject*>(browser);

    RECT area;
    if (FAILED(m_browser->SetHostNames(kContainerApplication, kContainerObject)) ||
        FAILED(OleSetContainedObject(m_browser, TRUE)) || !GetClientRect(m_window, &area) ||
        FAILED(m_browser->DoVerb(OLEIVERB_SHOW, nullptr, &m_clientSite, -1, m_window, &area))) {
        return false;
    }
    void* automation = nullptr;
    if (FAILED(m_browser->QueryInterface(kWebBrowser2Interface, &automation)) || !automation) return false;
    IWebBrowser2* webBrowser = static_cast<IWebBrowser2*>(automation);
    bool shown = ShowStartPage(webBrowser, area);
    webBrowser->Release();
    return shown;
}

// The control keeps its client site after closing and goes on calling it from
// queued work; it is told to let go, since this object may be gone by then.
void CPWebViewSite::CloseBrowser()
{
    if (!m_browser) return;
    m_browser->Close(OLECLOSE_NOSAVE);
    m_browser->SetClientSite(nullptr);
    m_browser->Release();
    m_browser = nullptr;
}

LRESULT CPWebViewSite::HandleMessage(UINT message, WPARAM, LPARAM)
{
    switch (message) {
    case WM_CREATE:
        CreateBrowser(nullptr);
        return 1;
    case WM_DESTROY:
        CloseBrowser();
        PostQuitMessage(0);
        return 1;
    }
    return 0;
}

// The client site and the in-place site answer for each other.
HRESULT CPWebViewSite::QuerySiteInterface(REFIID iid, void** object)
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite)) {
        return AnswerInterface(&m_clientSite, object);
    }
    if (IsEqualIID(iid, IID_IOleInPlaceSite)) return AnswerInterface(&m_inPlaceSite, object);
    return NoInterface(object);
}

// The page's window is the host window, and so is its frame's.
HRESULT CPWebViewSite::AnswerWindow(HWND* window)
{
    *window = m_window;
    return S_OK;
}

HRESULT CPWebViewSite::Storage::QueryInterface(REFIID iid, void** object)
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IStorage)) return AnswerInterface(this, object);
    return NoInterface(object);
}

HRESULT CPWebViewSite::ClientSite::QueryInterface(REFIID iid, void** object)
{
    return m_owner->QuerySiteInterface(iid, object);
}

HRESULT CPWebViewSite::ClientSite::GetContainer(IOleContainer** container)
{
    return NoInterface(reinterpret_cast<void**>(container));
}

HRESULT CPWebViewSite::InPlaceSite::QueryInterface(REFIID iid, void** object)
{
    return m_owner->QuerySiteInterface(iid, object);
}

// The frame info's size field stays as the caller set it.
HRESULT CPWebViewSite::InPlaceSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                                     RECT* position, RECT* clip, OLEINPLACEFRAMEINFO* frameInfo)
{
    *frame = &m_owner->m_inPlaceFrame;
    *document = nullptr;
    GetClientRect(m_owner->m_window, position);
    GetClientRect(m_owner->m_window, clip);
    frameInfo->fMDIApp = FALSE;
    frameInfo->hwndFrame = m_owner->m_window;
    frameInfo->haccel = nullptr;
    frameInfo->cAccelEntries = 0;
    return S_OK;
}

HRESULT CPWebViewSite::InPlaceFrame::QueryInterface(REFIID iid, void** object)
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleWindow) ||
        IsEqualIID(iid, IID_IOleInPlaceUIWindow) || IsEqualIID(iid, IID_IOleInPlaceFrame)) {
        return AnswerInterface(this, object);
    }
    return NoInterface(object);
}
