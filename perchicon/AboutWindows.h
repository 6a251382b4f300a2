#pragma once

// The about box (frmAbout), shown modally by ShowAbout, and the property page (propMain), the
// control's only page in a property-pages dialog. Both show AboutContent.

#include "Perchicon.h"

#include <windows.h>

#include <memory>

namespace perchicon {

class AboutContent;

// Shows the about box over `owner` and returns when the user closes it; a failure when the
// box could not be made.
HRESULT ShowAboutBox(HWND owner);

class PropertyPage : public IPropertyPage {
public:
    static HRESULT Create(REFIID riid, void** ppv);

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP SetPageSite(IPropertyPageSite* site) override;
    STDMETHODIMP Activate(HWND parent, LPCRECT rect, BOOL modal) override;
    STDMETHODIMP Deactivate() override;
    STDMETHODIMP GetPageInfo(PROPPAGEINFO* info) override;
    STDMETHODIMP SetObjects(ULONG count, IUnknown** objects) override;
    STDMETHODIMP Show(UINT command) override;
    STDMETHODIMP Move(LPCRECT rect) override;
    STDMETHODIMP IsPageDirty() override;
    STDMETHODIMP Apply() override;
    STDMETHODIMP Help(LPCOLESTR helpDir) override;
    STDMETHODIMP TranslateAccelerator(MSG* msg) override;

    // The page window's messages; true when handled, with `result`. Public for its window
    // procedure.
    bool HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

private:
    PropertyPage();
    virtual ~PropertyPage();

    ULONG references_ = 1;
    IPropertyPageSite* site_ = nullptr;
    HWND window_ = nullptr;
    std::unique_ptr<AboutContent> content_;
};

}  // namespace perchicon
