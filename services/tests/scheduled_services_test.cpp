#include "services/scheduled_services.h"

#include <gtest/gtest.h>

#include "framework/object/application.h"
#include "framework/util/text_util.h"
#include "services/update/update_check.h"
#include "tests/support/win32/win_test_support.h"

namespace {

using test_support::Click;
using test_support::Text;

// The product information dialog's "Update..." and "Archive..." buttons open
// the services' dialogs through the table the program hands the framework,
// each from the services' own resources, modally over the given owner.
TEST(ServicesTable, OpensTheUpdateAndArchiveDialogsModally) {
  gApp.hInstance = GetModuleHandleA(nullptr);
  InstallAppTexts(nullptr);
  CopyText(gApp.appName, sizeof gApp.appName, "Veltrano");
  const test_support::TempDir data;
  CopyText(gApp.dataFolder, sizeof gApp.dataFolder, data.Path().c_str());
  const AppServices services = ScheduledServices();
  const struct {
    INT_PTR (*open)(HWND owner, LPARAM parameter) noexcept;
    const char* caption;
  } dialogs[] = {{services.openUpdateDialog, "Veltrano Update Check"},
                 {services.openArchiveDialog, "Archive Configuration"}};
  for (const auto& d : dialogs) {
    SCOPED_TRACE(d.caption);
    ASSERT_NE(d.open, nullptr);
    // Any other dialog is closed at once and leaves the step unrun.
    test_support::ModalSteps driver;
    driver.isDialog = [&](HWND window) { return Text(window) == d.caption; };
    driver.steps = {[](HWND dialog) {
      Click(dialog, IDCANCEL);
      return true;
    }};
    INT_PTR result = 0;
    EXPECT_TRUE(driver.Run([&] { result = d.open(nullptr, 1); }));
    EXPECT_EQ(result, IDCANCEL);
  }
  EXPECT_EQ(UpdateDialogWindow(), nullptr);
}

}  // namespace
