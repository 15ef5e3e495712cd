#include "scrolling/texts/product_texts.h"

namespace {

#define T(...) \
  { __VA_ARGS__ }

TextRecord gProductTexts[] = {
    {0x0000,
     T("Veltrano", "(All Others)",
       // Open-file filter: pairs of NUL-terminated texts ended by an empty one.
       "Executable Files (.EXE)\0*.EXE\0All Files (*.*)\0*.*\0")},
    {0x000A, T("Please select a unique name for the profile!")},
    {0x0064, T("Scroll Navigation", "Wheel Options", "Button Options")},
    {0x006E, T("Standard scrollbars", "Mouse wheel", "Mouse wheel (fine)", "Custom keys")},
    {0x0078, T("Standard scrollbars", "Horizontal mouse wheel", "Horizontal mouse wheel (fine)",
               "Custom keys")},
    {0x0082, T("Back button", "Forward button", "Custom keys", "Command line")},
    {0x008C, T("Middle button", "Custom keys", "Command line")},
    {0x138E, T("Could not create main window!")},
    {0x138F, T("Could not start the 64 bit application!")},
    {0x1390, T("Could not set system hooks!\nPlease restart the computer if the problem persists.")},
    {0x1391,
     T("Could not set message filter, which is required if started with administrative "
       "privileges!")},
    {0x1392,
     T("Could not initialize the shared memory!\nPlease restart the computer if the problem "
       "persists.")},
    {0x1393, T("The Hot-Key could not be set!")},
    {0x1394,
     T("Could not read the options!\n%s\nThe default options are used, and changes will not be saved until the "
       "program is restarted.")},
    {0x1395,
     T("Could not save the options!\n%s\n%s\nThe changes apply until the program ends and are lost after that.")},
    {0x1396,
     T("Could not keep a copy of the options file!\n%s\n%s\nThe file is left as it is, and changes will not be "
       "saved until the program is restarted.")},
    {kTextTableEnd, T(nullptr)},
};

#undef T

}  // namespace

TextRecord* ProductTexts() noexcept { return gProductTexts; }
