// The framework's status codes. Operations answer 0 for success and otherwise
// one of these; each is also the id of the framework text that start-up
// shows it with ("Error initializing the application! Error code ..."), so
// every value is defined here and nowhere else.
#pragma once

#include <cstdint>

inline constexpr std::uint32_t kStatusOk = 0;
inline constexpr std::uint32_t kStatusWindowNotCreated = 0xF002;
inline constexpr std::uint32_t kStatusOutOfMemory = 0xF003;
inline constexpr std::uint32_t kStatusIconNotLoaded = 0xF005;  // the icon resource could not be loaded
inline constexpr std::uint32_t kStatusNoSuchLanguage = 0xF006;  // a text table language slot above 1
inline constexpr std::uint32_t kStatusUnknownCommand = 0xF007;  // no command record with that id
inline constexpr std::uint32_t kStatusTextMissing = 0xF008;
inline constexpr std::uint32_t kStatusIconNotInTable = 0xF009;  // no theme icon with that id
inline constexpr std::uint32_t kStatusStandardIconNotAdded = 0xF00A;
inline constexpr std::uint32_t kStatusStandardCommandNotAdded = 0xF00B;
inline constexpr std::uint32_t kStatusNoPopupList = 0xF010;  // the owner gave a popup menu no entries
inline constexpr std::uint32_t kStatusColumnNotAdded = 0xF011;
// Start-up ends quietly: another instance was signalled, or "-QUIT" found none.
inline constexpr std::uint32_t kStatusOtherInstance = 0xF012;
inline constexpr std::uint32_t kStatusShortcutFailed = 0xF013;  // the Startup-folder shortcut
inline constexpr std::uint32_t kStatusOldCommonControls = 0xF015;
inline constexpr std::uint32_t kStatusNoInstallRecord = 0xF016;  // missing, unreadable or too short
// A data folder cannot be used, or the user quit waiting for it.
inline constexpr std::uint32_t kStatusDataFolderUnusable = 0xF019;
// Start-up ends quietly: another instance holds the mark of the running
// instance but could not be reached in the time a start waits for it (it is
// still starting, or ending and not yet gone).
inline constexpr std::uint32_t kStatusInstanceNotAnswering = 0xF01A;
