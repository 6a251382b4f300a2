#pragma once

// A client's event sink for __Perchicon: records every event with its Button and Shift.

#include "Perchicon.h"

#include <windows.h>

#include <functional>
#include <vector>

struct ReceivedEvent {
    DISPID id;
    long button = 0;
    short shift = 0;
    bool operator==(const ReceivedEvent&) const = default;
};

class EventSink : public IDispatch {
public:
    std::vector<ReceivedEvent> events;
    std::function<void(DISPID)> during;  // runs inside the handler, as a host's code would

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        *ppv = riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID___Perchicon ? this : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
        ReceivedEvent event{id};
        if (params->cArgs == 2) {
            event.button = *params->rgvarg[1].plVal;
            event.shift = *params->rgvarg[0].piVal;
            *params->rgvarg[1].plVal = 99;  // a handler's change must not reach the control
        }
        events.push_back(event);
        if (during) during(id);
        return S_OK;
    }
};

// A COM object of one interface kept on the test's stack, where counting references would only
// hide what the test is about.
template <typename Interface>
struct StackObject : Interface {
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        *ppv = riid == IID_IUnknown || riid == __uuidof(Interface) ? this : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
};

namespace perchicon_events {
constexpr DISPID LeftClick = 1, RightClick = 2, MiddleClick = 3, LeftDblClick = 4, RightDblClick = 5,
                 MiddleDblClick = 6, MouseMove = 7, MouseClick = 9, MouseDblClick = 10;
}
