#include "framework/util/shell_util.h"

#include <exdisp.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <shobjidl.h>

#include <cstring>
#include <string>

#include "framework/util/win_handles.h"

namespace {

std::wstring Widen(const char* text) {
  if (text == nullptr || text[0] == '\0') return std::wstring();
  const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], n);
  wide.resize(static_cast<std::size_t>(n - 1));
  return wide;
}

// A VARIANT cleared on every path.
class CVariant {
 public:
  CVariant() noexcept { VariantInit(&v_); }
  ~CVariant() { VariantClear(&v_); }
  CVariant(const CVariant&) = delete;
  CVariant& operator=(const CVariant&) = delete;
  VARIANT& Get() noexcept { return v_; }

  [[nodiscard]] bool SetString(const std::wstring& text) noexcept {
    VariantClear(&v_);
    v_.vt = VT_BSTR;
    v_.bstrVal = SysAllocString(text.c_str());
    return v_.bstrVal != nullptr;
  }

 private:
  VARIANT v_;
};

class CBstr {
 public:
  explicit CBstr(const std::wstring& text) noexcept : s_(SysAllocString(text.c_str())) {}
  ~CBstr() { SysFreeString(s_); }
  CBstr(const CBstr&) = delete;
  CBstr& operator=(const CBstr&) = delete;
  [[nodiscard]] BSTR Get() const noexcept { return s_; }

 private:
  BSTR s_;
};

// The desktop shell's automation object, reached through its own view.
HRESULT GetDesktopShellDispatch(CComRef<IShellDispatch2>& out) noexcept {
  CComRef<IShellWindows> windows;
  HRESULT hr = CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                windows.PutVoid());
  if (FAILED(hr)) return hr;

  CVariant empty;
  long desktopHwnd = 0;
  CComRef<IDispatch> desktopDispatch;
  hr = windows->FindWindowSW(&empty.Get(), &empty.Get(), SWC_DESKTOP, &desktopHwnd, SWFO_NEEDDISPATCH,
                             desktopDispatch.Put());
  if (hr == S_FALSE || !desktopDispatch) return E_FAIL;
  if (FAILED(hr)) return hr;

  CComRef<IShellBrowser> browser;
  hr = IUnknown_QueryService(desktopDispatch.Get(), SID_STopLevelBrowser, IID_IShellBrowser, browser.PutVoid());
  if (FAILED(hr)) return hr;

  CComRef<IShellView> view;
  hr = browser->QueryActiveShellView(view.Put());
  if (FAILED(hr)) return hr;
  if (!view) return E_FAIL;

  CComRef<IDispatch> background;
  hr = view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.PutVoid());
  if (FAILED(hr)) return hr;

  CComRef<IShellFolderViewDual> folderView;
  hr = background->QueryInterface(IID_IShellFolderViewDual, folderView.PutVoid());
  if (FAILED(hr)) return hr;

  CComRef<IDispatch> application;
  hr = folderView->get_Application(application.Put());
  if (FAILED(hr)) return hr;
  if (!application) return E_FAIL;

  return application->QueryInterface(IID_IShellDispatch2, out.PutVoid());
}

}  // namespace

HRESULT ShellExecuteHere(const char* file, const char* parameters, const char* directory, const char* verb,
                             int show) noexcept {
  SetLastError(ERROR_SUCCESS);
  const auto code = reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, verb, file, parameters, directory, show));
  if (code > 32) return S_OK;
  const DWORD error = GetLastError();
  return error != ERROR_SUCCESS ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

HRESULT ShellExecuteUnelevated(const char* file, const char* parameters, const char* directory, const char* verb,
                               int show) noexcept {
  CComScope com;
  HRESULT hr;
  {
    CComRef<IShellDispatch2> shell;
    hr = GetDesktopShellDispatch(shell);
    if (SUCCEEDED(hr)) {
      CBstr fileText(Widen(file));
      CVariant args;
      CVariant dir;
      CVariant operation;
      CVariant showValue;
      if (fileText.Get() == nullptr || !args.SetString(Widen(parameters)) || !dir.SetString(Widen(directory)) ||
          !operation.SetString(Widen(verb))) {
        hr = E_OUTOFMEMORY;
      } else {
        showValue.Get().vt = VT_I4;
        showValue.Get().lVal = show;
        hr = shell->ShellExecute(fileText.Get(), args.Get(), dir.Get(), operation.Get(), showValue.Get());
      }
    }
  }
  if (SUCCEEDED(hr)) return hr;
  // The start through the shell failed before anything ran: run it here.
  return ShellExecuteHere(file, parameters, directory, verb, show);
}

bool IsComCtlAbove470() noexcept {
  CModuleHandle comctl(LoadLibraryA("comctl32.dll"));
  if (!comctl) return false;
  auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(
      reinterpret_cast<void*>(GetProcAddress(comctl.Get(), "DllGetVersion")));
  if (getVersion == nullptr) return false;
  DLLVERSIONINFO info{};
  info.cbSize = sizeof info;
  if (FAILED(getVersion(&info))) return false;
  return ((info.dwMajorVersion << 16) | info.dwMinorVersion) > 0x40046;
}

void InvalidateGrownArea(HWND window, int width, int height, int& oldWidth, int& oldHeight) noexcept {
  const bool widthChanged = width != oldWidth;
  const bool heightChanged = height != oldHeight;
  if (!widthChanged && !heightChanged) {
    InvalidateRgn(window, nullptr, TRUE);
  } else {
    CGdiObject area(CreateRectRgn(0, 0, 0, 0));
    if (widthChanged) {
      CGdiObject strip(CreateRectRgn(oldWidth, 0, width, height));
      CombineRgn(static_cast<HRGN>(area.Get()), static_cast<HRGN>(area.Get()), static_cast<HRGN>(strip.Get()),
                 RGN_OR);
    }
    if (heightChanged) {
      CGdiObject strip(CreateRectRgn(0, oldHeight, width, height));
      CombineRgn(static_cast<HRGN>(area.Get()), static_cast<HRGN>(area.Get()), static_cast<HRGN>(strip.Get()),
                 RGN_OR);
    }
    InvalidateRgn(window, static_cast<HRGN>(area.Get()), TRUE);
  }
  oldWidth = width;
  oldHeight = height;
}
