#include "framework/app/product_info.h"

#include "framework/app/application.h"
#include "framework/app/message_box.h"
#include "framework/text/text_table.h"

namespace {
constexpr std::uint32_t kInformationFlags = 0x14;  // information icon, OK
ProductInfoServices gServices;
}  // namespace

void SetProductInfoServices(const ProductInfoServices& services) noexcept { gServices = services; }

// Until the dialog itself exists, the product's name and version in a
// message box: what the dialog's first line would show, and nothing that
// pretends to offer its buttons.
std::uint32_t ShowProductInfo(HWND window, LPARAM) noexcept {
  const char* name = GetText(0, 0);
  (void)ShowMessageBox(gApp, window, name, "%s V%d.%d.%d", kInformationFlags, 0, name,
                       static_cast<int>(gApp.versionMajor), static_cast<int>(gApp.versionMinor),
                       static_cast<int>(gApp.versionBuild));
  return GetLastError();
}
