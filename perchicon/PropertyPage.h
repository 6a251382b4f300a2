#pragma once

// The property page (propMain), the control's only page in a property-pages dialog: it shows
// AboutContent.

#include "AboutContent.h"
#include "Module.h"
#include "Perchicon.h"
#include "winbase/Com.h"
#include "winbase/Window.h"

#include <windows.h>

#include <memory>

namespace perchicon {

class PropertyPage : public IPropertyPage, public winbase::Window<PropertyPage> {
  public:
    static constexpr const char* kClassName = kPageClass;
    static const winbase::Interface kInterfaces[];
    static HRESULT Create(REFIID riid, void** ppv);

    STDMETHODIMP SetPageSite(IPropertyPageSite* site) override;
    STDMETHODIMP Activate(HWND parent, LPCRECT rect, BOOL modal) override;
    STDMETHODIMP Deactivate() override;
    STDMETHODIMP GetPageInfo(PROPPAGEINFO* info) override;
    STDMETHODIMP SetObjects(ULONG count, IUnknown** objects) override;
    STDMETHODIMP Show(UINT command) override;
    STDMETHODIMP Move(LPCRECT rect) override;
    STDMETHODIMP IsPageDirty() override { return S_FALSE; }
    STDMETHODIMP Apply() override { return S_OK; }
    STDMETHODIMP Help(LPCOLESTR) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(MSG*) override { return S_FALSE; }

    // The page window's messages.
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);

  protected:
    PropertyPage() { ObjectCreated(); }
    virtual ~PropertyPage();

  private:
    winbase::ComPtr<IPropertyPageSite> site_;
    std::unique_ptr<AboutContent> content_;
};

}  // namespace perchicon
