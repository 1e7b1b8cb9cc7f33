#pragma once

#include "launcher/PMessageHandler.h"

#include <windows.h>

#include <ole2.h>

// The OLE container of the start dialog's web page: it embeds the WebBrowser
// control in a host window and answers the client-site, in-place-site,
// in-place-frame and storage interfaces that the control asks its container
// for. The interfaces are parts of this object and count no references; the
// object itself lives by IPMessageHandler's count.
class CPWebViewSite : public IPMessageHandler {
public:
    CPWebViewSite();
    ~CPWebViewSite() override;

    // Creates the browser control in the host window, shows it over the
    // window's client area and sends it to the start page. When any step
    // fails, whatever was made is closed again and the host window stays as
    // it was; answers whether the browser is in place.
    bool CreateBrowser(HWND host);
    // Closes and releases the browser control, when there is one.
    void CloseBrowser();
    bool HasBrowser() const { return m_browser != nullptr; }

    // WM_CREATE makes a browser without a host window; WM_DESTROY closes it
    // and ends the message loop.
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    IOleClientSite* GetClientSite() { return &m_clientSite; }
    IOleInPlaceSite* GetInPlaceSite() { return &m_inPlaceSite; }
    IOleInPlaceFrame* GetInPlaceFrame() { return &m_inPlaceFrame; }
    IStorage* GetStorage() { return &m_storage; }

private:
    // What a part answers for an operation it does not offer: E_NOTIMPL, with
    // the interface it would have handed out set to null.
    template <class Interface>
    static HRESULT NotImplemented(Interface** object)
    {
        if (object) *object = nullptr;
        return E_NOTIMPL;
    }

    // A part of the container: it lives as long as the container and counts
    // no references.
    template <class Interface>
    class Part : public Interface {
    public:
        ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
        ULONG STDMETHODCALLTYPE Release() override { return 1; }
    };

    // The container keeps nothing: the control may only set its class.
    class Storage : public Part<IStorage> {
    public:
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
        HRESULT STDMETHODCALLTYPE CreateStream(const OLECHAR*, DWORD, DWORD, DWORD, IStream** stream) override
        {
            return NotImplemented(stream);
        }
        HRESULT STDMETHODCALLTYPE OpenStream(const OLECHAR*, void*, DWORD, DWORD, IStream** stream) override
        {
            return NotImplemented(stream);
        }
        HRESULT STDMETHODCALLTYPE CreateStorage(const OLECHAR*, DWORD, DWORD, DWORD, IStorage** storage) override
        {
            return NotImplemented(storage);
        }
        HRESULT STDMETHODCALLTYPE OpenStorage(const OLECHAR*, IStorage*, DWORD, SNB, DWORD,
                                              IStorage** storage) override
        {
            return NotImplemented(storage);
        }
        HRESULT STDMETHODCALLTYPE CopyTo(DWORD, const IID*, SNB, IStorage*) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE MoveElementTo(const OLECHAR*, IStorage*, const OLECHAR*, DWORD) override
        {
            return E_NOTIMPL;
        }
        HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE EnumElements(DWORD, void*, DWORD, IEnumSTATSTG** elements) override
        {
            return NotImplemented(elements);
        }
        HRESULT STDMETHODCALLTYPE DestroyElement(const OLECHAR*) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE RenameElement(const OLECHAR*, const OLECHAR*) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE SetElementTimes(const OLECHAR*, const FILETIME*, const FILETIME*,
                                                  const FILETIME*) override
        {
            return E_NOTIMPL;
        }
        HRESULT STDMETHODCALLTYPE SetClass(REFCLSID) override { return S_OK; }
        HRESULT STDMETHODCALLTYPE SetStateBits(DWORD, DWORD) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
    };

    class ClientSite : public Part<IOleClientSite> {
    public:
        explicit ClientSite(CPWebViewSite* owner) : m_owner(owner) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
        HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override
        {
            return NotImplemented(moniker);
        }
        HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override;
        HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
        HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

    private:
        CPWebViewSite* m_owner;
    };

    class InPlaceSite : public Part<IOleInPlaceSite> {
    public:
        explicit InPlaceSite(CPWebViewSite* owner) : m_owner(owner) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
        HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override { return m_owner->AnswerWindow(window); }
        HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
        HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
        HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
        HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                                   RECT* position, RECT* clip, OLEINPLACEFRAMEINFO* frameInfo) override;
        HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
        HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
        HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE OnPosRectChange(const RECT*) override { return S_OK; }

    private:
        CPWebViewSite* m_owner;
    };

    class InPlaceFrame : public Part<IOleInPlaceFrame> {
    public:
        explicit InPlaceFrame(CPWebViewSite* owner) : m_owner(owner) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
        HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override { return m_owner->AnswerWindow(window); }
        HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE GetBorder(RECT*) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
        HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
        HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
        HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
        HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*, WORD) override { return E_NOTIMPL; }

    private:
        CPWebViewSite* m_owner;
    };

    bool EmbedBrowser();
    HRESULT QuerySiteInterface(REFIID iid, void** object);
    HRESULT AnswerWindow(HWND* window);

    Storage m_storage;
    ClientSite m_clientSite;
    InPlaceSite m_inPlaceSite;
    InPlaceFrame m_inPlaceFrame;
    IOleObject* m_browser;
};

// Makes the browser control for a container's client site and storage, as
// OLE makes an embedded object; the default makes the WebBrowser control.
typedef HRESULT (*BrowserCreator)(IOleClientSite* site, IStorage* storage, void** browser);
HRESULT CreateWebBrowser(IOleClientSite* site, IStorage* storage, void** browser);
// Installs creator (null puts the default back) and answers the one it replaces.
BrowserCreator SetBrowserCreator(BrowserCreator creator);

// The web view of the open start dialog, or null: the dialog sets it when it
// opens, and the launcher releases it once the dialog has closed.
CPWebViewSite* GetWebViewSite();
void SetWebViewSite(CPWebViewSite* site);
