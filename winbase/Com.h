#pragma once

// COM objects by table. A class lists the interfaces it answers in a table ending with an empty
// row, and Com<Class> (final) counts references and answers QueryInterface from it:
//
//   const winbase::Interface Thing::kInterfaces[] = {
//       winbase::Row<Thing, IThing>(IID_IUnknown), winbase::Row<Thing, IThing>(IID_IThing), {}};
//   auto thing = winbase::Make<Thing>(arguments...);   // ComPtr<Com<Thing>>, one reference
//
// A part that shares its owner's count (a connection point inside a control) answers from its own
// table with Query and forwards AddRef and Release.

#include "Own.h"

#include <windows.h>
#include <unknwn.h>

#include <new>
#include <utility>

namespace winbase {

struct Interface {
    const IID* iid;
    void* (*reach)(void* object);
};

// The row answering `iid` with the object's `I` (the first I on the path, for IUnknown).
template <typename Object, typename I>
constexpr Interface Row(const IID& iid) {
    return {&iid, [](void* object) -> void* { return static_cast<I*>(static_cast<Object*>(object)); }};
}

// QueryInterface from a table; the interface found is counted through `self`.
template <typename Object>
HRESULT Query(Object* object, const Interface* table, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    for (; table->iid; ++table) {
        if (InlineIsEqualGUID(*table->iid, iid)) {
            auto* found = static_cast<IUnknown*>(table->reach(object));
            found->AddRef();
            *out = found;
            return S_OK;
        }
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

template <typename Object>
class Com final : public Object {
  public:
    template <typename... Args>
    explicit Com(Args&&... args) : Object(std::forward<Args>(args)...) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        return Query(static_cast<Object*>(this), Object::kInterfaces, iid, out);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left != 0) return static_cast<ULONG>(left);
        // An object whose going calls out (a site told of it may AddRef and Release it) does
        // that in Closing(), still whole and held once.
        if constexpr (requires { this->Closing(); }) {
            references_ = 1;
            this->Closing();
        }
        delete this;
        return 0;
    }

  private:
    ~Com() = default;
    LONG references_ = 1;
};

// A new object with the caller's one reference; empty when memory ran out.
template <typename Object, typename... Args>
ComPtr<Com<Object>> Make(Args&&... args) {
    return ComPtr<Com<Object>>::Attach(new (std::nothrow) Com<Object>(std::forward<Args>(args)...));
}

}  // namespace winbase
