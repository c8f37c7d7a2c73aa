#include "framework/Accessible.h"

#include <oleacc.h>

#include <atomic>

#include "base/SystemLibrary.h"
#include "base/WideText.h"

namespace qs {

namespace {

// oleacc and oleaut32 are loaded only when a client asks, from the system folder: most runs have no screen reader,
// and a program started from a downloads folder must not pick up a planted copy.
using CreateStdFn = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
using LresultFromObjectFn = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
using SysAllocStringFn = BSTR(WINAPI*)(const OLECHAR*);

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

HRESULT TextResult(const std::string& text, BSTR* out) {
    static const auto alloc = SystemFunction<SysAllocStringFn>("oleaut32.dll", "SysAllocString");
    if (!out) return E_POINTER;
    *out = alloc ? alloc(Widen(text).c_str()) : nullptr;
    return *out ? S_OK : E_OUTOFMEMORY;
}

// The standard accessible object of a window with the overrides in front; everything else is the standard's.
class OverridingAccessible final : public IAccessible {
public:
    OverridingAccessible(HWND hwnd, IAccessible* standard, const AccessibleOverrides& overrides)
        : hwnd_(hwnd), standard_(standard), overrides_(overrides) {}
    OverridingAccessible(const OverridingAccessible&) = delete;
    OverridingAccessible& operator=(const OverridingAccessible&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IDispatch) || riid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override { return standard_->GetTypeInfoCount(n); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT i, LCID lcid, ITypeInfo** info) override {
        return standard_->GetTypeInfo(i, lcid, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT n, LCID lcid, DISPID* ids) override {
        return standard_->GetIDsOfNames(riid, names, n, lcid, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* info, UINT* argErr) override {
        return standard_->Invoke(id, riid, lcid, flags, params, result, info, argErr);
    }

    // IAccessible: the overrides
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!IsSelf(child) || !overrides_.role) return standard_->get_accRole(child, role);
        if (!role) return E_POINTER;
        role->vt = VT_I4;
        role->lVal = overrides_.role;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        if (!IsSelf(child) || !overrides_.value) return standard_->get_accValue(child, value);
        if (!IsWindow(hwnd_)) return E_FAIL;
        return TextResult(overrides_.value(hwnd_), value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
        if (IsSelf(child) && overrides_.description && IsWindow(hwnd_)) {
            const std::string text = overrides_.description(hwnd_);
            if (!text.empty()) return TextResult(text, description);
        }
        return standard_->get_accDescription(child, description);
    }

    // IAccessible: the standard object's
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return standard_->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* n) override { return standard_->get_accChildCount(n); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        return standard_->get_accChild(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        return standard_->get_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return standard_->get_accState(child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return standard_->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        return standard_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        return standard_->get_accKeyboardShortcut(child, keys);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override { return standard_->get_accFocus(child); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return standard_->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return standard_->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
        return standard_->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override {
        return standard_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG dir, VARIANT start, VARIANT* end) override {
        return standard_->accNavigate(dir, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override {
        return standard_->accHitTest(x, y, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return standard_->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return standard_->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return standard_->put_accValue(child, value);
    }

private:
    ~OverridingAccessible() { standard_->Release(); }

    std::atomic<ULONG> refs_{1};
    HWND hwnd_;
    IAccessible* standard_;  // owned: one reference
    AccessibleOverrides overrides_;
};

}  // namespace

LRESULT AnswerGetObject(HWND hwnd, WPARAM wp, LPARAM lp, const AccessibleOverrides& overrides) {
    if (LONG(lp) != OBJID_CLIENT) return 0;
    static const auto createStd = SystemFunction<CreateStdFn>("oleacc.dll", "CreateStdAccessibleObject");
    static const auto fromObject = SystemFunction<LresultFromObjectFn>("oleacc.dll", "LresultFromObject");
    if (!createStd || !fromObject) return 0;
    IAccessible* standard = nullptr;
    if (FAILED(createStd(hwnd, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&standard))) ||
        !standard)
        return 0;
    auto* object = new OverridingAccessible(hwnd, standard, overrides);
    // The client gets its own reference; ours goes at once.
    const LRESULT result = fromObject(__uuidof(IAccessible), wp, static_cast<IAccessible*>(object));
    object->Release();
    return result > 0 ? result : 0;
}

void NotifyValueChanged(HWND hwnd) {
    if (hwnd) NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, hwnd, OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace qs
