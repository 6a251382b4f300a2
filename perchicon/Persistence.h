#pragma once

// The control's saved state: the "Tip" and "Icon" properties in a property bag or a stream,
// and its one property page. IUnknown is the control's.

#include "Perchicon.h"

#include <windows.h>
#include <ocidl.h>

#include <string>

namespace perchicon {

class Persistence : public IPersistStreamInit, public IPersistPropertyBag, public ISpecifyPropertyPages {
  public:
    // IPersist, IPersistStreamInit and IPersistPropertyBag. Loading assigns the fields
    // directly and sends nothing to the shell.
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP IsDirty() override { return dirty_ ? S_OK : S_FALSE; }
    STDMETHODIMP Load(LPSTREAM stream) override;
    STDMETHODIMP Save(LPSTREAM stream, BOOL clearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
    STDMETHODIMP InitNew() override;
    STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override;
    STDMETHODIMP Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;

    // ISpecifyPropertyPages
    STDMETHODIMP GetPages(CAUUID* pages) override;

  protected:
    Persistence() = default;
    virtual ~Persistence() = default;

    std::wstring tip_ = L"0";
    LONG icon_ = 0;
    bool dirty_ = false;
};

}  // namespace perchicon
