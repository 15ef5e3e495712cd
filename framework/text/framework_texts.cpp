// Texts of the framework (ids from 0xF000), language 0. The table is kept in
// the order the menus were written in, not by id; the table object sorts it
// once when it is installed.
#include "framework/text/text_table.h"

namespace {

#define T(...) \
  { __VA_ARGS__ }

TextRecord gFrameworkTexts[] = {
    {0xF002, T(" * ", nullptr, "Displays additional items", "Additional Items")},
    {0xF003, T("Error initializing the application!\nError code 0x%08X.", "Ag")},
    {0xF004, T("Ready")},
    {0xF005, T("%s v%d.%d.%d", "Copyright (c) 2026 Veltrano. All rights reserved.", "https://www.veltrano.app")},
    {0xF007,
     T("Could not display the manual \"%s\".\nPlease make sure that a viewer for this file type "
       "is installed on your system.",
       "Could not find the manual \"%s\".\nPlease reinstall the program.")},
    {0xF008,
     T("Could not access the data path!\n%s\nPlease make sure that this path is accessible or "
       "choose a different data path during setup.",
       "Waiting for data folder...", "Quit %s")},
    {0xF009,
     T("Warning: your current configuration will be overwritten!\nDo you want to continue?",
       "Configuration file error!", "Error restoring data!", "Wrong product!",
       "Some file(s) could not be backed up!\nMaybe they are in use by the program.",
       "The saved configuration could not be restored: the file is damaged.\n%s\nThe current "
       "configuration is kept.",
       "Some files of the saved configuration could not be restored.\n%s\nThe file is kept, and the "
       "next start tries again.")},
    {0xF00A,
     T("Data restored successfully!", "Data backed up successfully!", "Data reset successfully!")},
    {0xF00B,
     T("The program must be restarted to apply the changes.\nClick OK to restart the program "
       "now.")},
    {0xF00C,
     T("Last check: %02d.%02d.%04d", "Checking...", "Version download error",
       "Version format error", "New version available", "No update available",
       "Could not start update check", nullptr, nullptr, nullptr, nullptr, "Update Check",
       "Could not save the update check settings!\n%s\n%s")},
    {0xF00F,
     T("Please select a path for archiving:", "Archiving finished successfully!",
       "Please enter a valid path!", "Please enter a valid filename!",
       "Could not create the archive file!\nPlease check the path and filename.",
       "An archive is being made right now.\nPlease try again when it has finished.",
       "Could not save the archive settings!\n%s\n%s")},
    {0xF010, T("#", "Virtual Key", "Description", "Char", "Local")},
    {0xF011, T("Could not save the settings!\n%s\n%s")},
    {0xF105, T("")},
    {0xF150, T("Lock", nullptr, "Lock menu")},
    {0xF151, T("Bar Positions", nullptr, "Locks the positions of the stoolbars")},
    {0xF152, T("Bar Sizes", nullptr, "Locks the sizes of the toolbars")},
    {0xF153, T("Window Position", nullptr, "Locks the position of the window")},
    {0xF154, T("Window Size", nullptr, "Locks the size of the window")},
    {0xF155, T("Lock All", nullptr, "Locks all window parameters")},
    {0xF156,
     T("Resolution Change", nullptr,
       "Locks the size and position of the window if the screen resolution changes")},
    {0xF110, T("Always on Top", nullptr, "Keeps the window on top of all others")},
    {0xF111, T("Show on Taskbar", nullptr, "Shows the window on the Taskbar")},
    {0xF120, T("Caption", nullptr, "Caption menu")},
    {0xF121, T("Normal", nullptr, "Normal size window caption")},
    {0xF122, T("Small", nullptr, "Small window caption")},
    {0xF123, T("No Caption", nullptr, "No window caption")},
    {0xF124, T("Borderless", nullptr, "No window borders at all")},
    {0xF130, T("Color", nullptr, "Color menu")},
    {0xF131, T("None", nullptr, "No color scheme")},
    {0xF132, T("Default", nullptr, "Default color scheme")},
    {0xF133, T("Custom", nullptr, "Custom color scheme")},
    {0xF134, T("Background", nullptr, "Sets the background color")},
    {0xF135, T("Focus", nullptr, "Sets the focus color")},
    {0xF136, T("Text", nullptr, "Sets the text color")},
    {0xF137, T("Highlighted Text", nullptr, "Sets the highlighted text color")},
    {0xF140, T("Font", nullptr, "Selects the user interface font")},
    {0xF141, T("Default", nullptr, "Selects the default user interface font")},
    {0xF142, T("Custom...", nullptr, "Selects a custom user interface font")},
    {0xF160, T("Transparency", nullptr, "Sets the transparency")},
    {0xF161, T("Off", nullptr, "Switches transparency off")},
    {0xF162, T("10%", nullptr, "10% transparency")},
    {0xF163, T("20%", nullptr, "20% transparency")},
    {0xF164, T("30%", nullptr, "30% transparency")},
    {0xF165, T("40%", nullptr, "40% transparency")},
    {0xF166, T("50%", nullptr, "50% transparency")},
    {0xF167, T("60%", nullptr, "60% transparency")},
    {0xF168, T("70%", nullptr, "70% transparency")},
    {0xF169, T("80%", nullptr, "80% transparency")},
    {0xF16A, T("90%", nullptr, "90% transparency")},
    {0xF16B, T("Ghost", nullptr, "Let the mouse click through the window")},
    {0xF200, T("OK", "Cancel", "Apply", "Help", "Yes", "No")},
    {kTextTableEnd, T(nullptr)},
};

#undef T

}  // namespace

TextRecord* FrameworkTextTable() noexcept { return gFrameworkTexts; }
