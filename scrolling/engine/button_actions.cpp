#include "scrolling/engine/button_actions.h"

#include <cstring>

#include "scrolling/engine/profile_match.h"
#include "scrolling/engine/records.h"

namespace {

bool Append(CGrowArray<KeyInput>& list, std::uint8_t virtualKey, bool keyUp) noexcept {
  const KeyInput input{virtualKey, keyUp};
  return InsertRecords(list, &input, list.Count(), 1) >= 0;
}

// The modifiers in the order they are pressed and released.
struct Modifier {
  std::uint8_t bit;
  std::uint8_t virtualKey;
};
constexpr Modifier kModifierOrder[] = {
    {kHotKeyShift, kVkShift}, {kHotKeyAlt, kVkMenu}, {kHotKeyCtrl, kVkControl}, {kHotKeyWin, kVkLeftWin}};

// The caller has checked that the text fits.
void CopyPart(std::string_view text, char* to) noexcept {
  if (!text.empty()) std::memcpy(to, text.data(), text.size());
  to[text.size()] = '\0';
}

// Set while a command is being handled. A command re-sent or swapped here
// is caught again by the hook in the receiving program and comes back as a
// new hook message while the first one still waits for its SendMessage; that
// one must pass unchanged, or a swap would be swapped back (and again, with
// no end). The hook messages are handled on the main thread only.
bool gHandlingAppCommand = false;

class AppCommandScope {
 public:
  AppCommandScope() noexcept { gHandlingAppCommand = true; }
  ~AppCommandScope() { gHandlingAppCommand = false; }
  AppCommandScope(const AppCommandScope&) = delete;
  AppCommandScope& operator=(const AppCommandScope&) = delete;
};

}  // namespace

CGrowArray<KeyInput> BuildKeyCombination(EnginePlatform& platform, std::uint16_t hotKey) {
  CGrowArray<KeyInput> list;
  if (hotKey == 0) return list;
  const auto key = static_cast<std::uint8_t>(hotKey & 0xFF);
  const auto modifiers = static_cast<std::uint8_t>(hotKey >> 8);

  bool complete = true;
  for (int vk = 0; vk <= 254; ++vk) {
    if (platform.IsKeyDown(vk)) complete = Append(list, static_cast<std::uint8_t>(vk), true) && complete;
  }
  for (const Modifier& m : kModifierOrder) {
    if ((modifiers & m.bit) != 0) complete = Append(list, m.virtualKey, false) && complete;
  }
  complete = Append(list, key, false) && complete;
  complete = Append(list, key, true) && complete;
  for (const Modifier& m : kModifierOrder) {
    if ((modifiers & m.bit) != 0) complete = Append(list, m.virtualKey, true) && complete;
  }
  // A list with a release missing would leave a modifier held down.
  if (!complete) list.ArrayFree();
  return list;
}

void SendKeyCombination(EnginePlatform& platform, std::uint16_t hotKey, WindowId window) {
  if (hotKey == 0) return;
  platform.ActivateForInput(window);
  const CGrowArray<KeyInput> inputs = BuildKeyCombination(platform, hotKey);
  if (inputs.Count() > 0) platform.SendKeyInputs(inputs.Data(), static_cast<std::size_t>(inputs.Count()));
}

bool SplitCommandLine(std::string_view text, CommandLineParts& out) noexcept {
  out.program[0] = '\0';
  out.arguments[0] = '\0';
  const std::size_t end = text.find('\0');
  if (end != std::string_view::npos) text = text.substr(0, end);
  if (text.empty()) return false;

  std::string_view program;
  std::string_view arguments;
  if (text.front() == '"') {
    const std::size_t close = text.find('"', 1);
    if (close == std::string_view::npos) {
      program = text.substr(1);
    } else {
      program = text.substr(1, close - 1);
      arguments = text.substr(close + 1);
    }
  } else {
    const std::size_t blank = text.find(' ', 1);
    if (blank == std::string_view::npos) {
      program = text;
    } else {
      program = text.substr(0, blank);
      arguments = text.substr(blank + 1);
    }
  }
  while (!arguments.empty() && arguments.front() == ' ') arguments.remove_prefix(1);

  if (program.empty() || program.size() >= sizeof out.program || arguments.size() >= sizeof out.arguments) {
    return false;
  }
  CopyPart(program, out.program);
  CopyPart(arguments, out.arguments);
  return true;
}

void RunCommandLine(EnginePlatform& platform, std::string_view text, WindowId window) {
  CommandLineParts parts;
  if (!SplitCommandLine(text, parts)) return;
  platform.RunProgram(window, parts.program, parts.arguments);
}

std::intptr_t HandleAppCommand(EnginePlatform& platform, TargetSelector& selector, const Options& options,
                               const SharedMemory* shared, std::uint32_t command, WindowId window) {
  // Switched off, the program leaves the buttons alone like everything else.
  if (options.bDisabled != 0) return 0;
  if (gHandlingAppCommand) return 0;
  const AppCommandScope scope;
  const WindowId target = selector.FindTargetWindow();
  if (target == 0) return 0;
  const Profile& profile = selector.CurrentProfile();

  WindowId destination = window;
  if (profile.bBackCursor != 0) {
    destination = target;
    if (profile.bBackForeground != 0) platform.BringToForeground(target);
  }

  const bool back = command == kAppCommandBrowserBack;
  if (!back && command != kAppCommandBrowserForward) return 1;
  const std::int32_t mode = back ? profile.iBackMode : profile.iForwardMode;
  const std::uint32_t lParam = shared != nullptr ? shared->appCommandLParam : 0;
  const auto asLParam = [](std::uint32_t value) {
    return static_cast<std::intptr_t>(static_cast<std::int32_t>(value));
  };

  const std::int32_t sameButton = ModeValue(back ? BackFwdMode::Back : BackFwdMode::Forward);
  const std::int32_t otherButton = ModeValue(back ? BackFwdMode::Forward : BackFwdMode::Back);
  if (mode == sameButton) {
    if (destination == window) return 0;
    (void)platform.SendWindowMessage(destination, kWmAppCommand, destination, asLParam(lParam));
    return 1;
  }
  if (mode == otherButton) {
    // The command field becomes the other command; the mouse-device bit
    // stays and the key-state word is cleared.
    const std::uint32_t swapped = back ? ((lParam & 0x80020000u) | 0x20000u) : ((lParam & 0x80010000u) | 0x10000u);
    (void)platform.SendWindowMessage(destination, kWmAppCommand, destination, asLParam(swapped));
    return 1;
  }
  if (mode == ModeValue(BackFwdMode::Keys)) {
    SendKeyCombination(platform, back ? profile.hkBack : profile.hkForward, destination);
    return 1;
  }
  if (mode == ModeValue(BackFwdMode::CommandLine)) {
    RunCommandLine(platform, back ? FieldText(profile.szBackCmd) : FieldText(profile.szForwardCmd), destination);
    return 1;
  }
  return 1;
}
