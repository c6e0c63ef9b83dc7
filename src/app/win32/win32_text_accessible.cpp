#include "app/win32/win32_text_accessible.h"

#include <oleacc.h>

#include <atomic>
#include <utility>

namespace vidideza {

namespace {

// Everything as the standard object answers it, but the role, the state and the value.
class TextAccessible final : public IAccessible {
 public:
  TextAccessible(IAccessible* standard, std::function<std::wstring()> text)
      : standard_(standard), text_(std::move(text)) {}
  TextAccessible(const TextAccessible&) = delete;
  TextAccessible& operator=(const TextAccessible&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    if (object == nullptr) {
      return E_POINTER;
    }
    if (id == IID_IUnknown || id == IID_IDispatch || id == __uuidof(IAccessible)) {
      *object = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) {
      delete this;
    }
    return left;
  }

  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    return standard_->GetTypeInfoCount(count);
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
    return standard_->GetTypeInfo(index, locale, info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID id, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override {
    return standard_->GetIDsOfNames(id, names, count, locale, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID id, LCID locale, WORD flags,
                                   DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                   UINT* wrong) override {
    return standard_->Invoke(member, id, locale, flags, parameters, result, exception, wrong);
  }

  // IAccessible: what differs from a plain window.
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    if (value == nullptr) {
      return E_POINTER;
    }
    if (!IsSelf(child)) {
      return standard_->get_accValue(child, value);
    }
    const std::wstring text = text_();
    *value = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *value != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (role == nullptr) {
      return E_POINTER;
    }
    if (!IsSelf(child)) {
      return standard_->get_accRole(child, role);
    }
    ::VariantInit(role);
    role->vt = VT_I4;
    role->lVal = ROLE_SYSTEM_TEXT;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    const HRESULT got = standard_->get_accState(child, state);
    if (SUCCEEDED(got) && IsSelf(child) && state->vt == VT_I4) {
      state->lVal |= STATE_SYSTEM_READONLY;
    }
    return got;
  }

  // IAccessible: the rest, as the standard object answers it.
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    return standard_->get_accParent(parent);
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    return standard_->get_accChildCount(count);
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
    return standard_->get_accChild(child, object);
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    return standard_->get_accName(child, name);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
    return standard_->get_accDescription(child, description);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
    return standard_->get_accHelp(child, help);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
    return standard_->get_accHelpTopic(file, child, topic);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
    return standard_->get_accKeyboardShortcut(child, shortcut);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
    return standard_->get_accFocus(child);
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
    return standard_->get_accSelection(children);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    return standard_->get_accDefaultAction(child, action);
  }
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
    return standard_->accSelect(flags, child);
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                        VARIANT child) override {
    return standard_->accLocation(left, top, width, height, child);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
    return standard_->accNavigate(direction, start, end);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long left, long top, VARIANT* child) override {
    return standard_->accHitTest(left, top, child);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    return standard_->accDoDefaultAction(child);
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
    return standard_->put_accName(child, name);
  }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override {
    return E_NOTIMPL;  // read-only: what the window holds is what the log holds
  }

 private:
  ~TextAccessible() { standard_->Release(); }

  static bool IsSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
  }

  IAccessible* standard_;  // held: released with this object
  std::function<std::wstring()> text_;
  std::atomic<ULONG> references_{1};
};

}  // namespace

LRESULT AnswerAccessibleObject(HWND window, WPARAM flags, LPARAM objectId,
                               std::function<std::wstring()> text) {
  if (static_cast<LONG>(objectId) != static_cast<LONG>(OBJID_CLIENT)) {
    return ::DefWindowProcW(window, WM_GETOBJECT, flags, objectId);
  }
  IAccessible* standard = nullptr;
  // (__uuidof: asked with IID_IAccessible as MinGW-w64 links it, Wine's oleacc answered that it
  // has no such interface.)
  if (FAILED(::CreateStdAccessibleObject(window, OBJID_CLIENT, __uuidof(IAccessible),
                                         reinterpret_cast<void**>(&standard)))) {
    return ::DefWindowProcW(window, WM_GETOBJECT, flags, objectId);
  }
  auto* object = new TextAccessible(standard, std::move(text));
  const LRESULT answer = ::LresultFromObject(__uuidof(IAccessible), flags, object);
  object->Release();  // the answer holds its own reference, if any
  return FAILED(answer) ? ::DefWindowProcW(window, WM_GETOBJECT, flags, objectId) : answer;
}

}  // namespace vidideza
