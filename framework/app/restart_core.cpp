#include "framework/app/restart_core.h"

#include <cstring>

#include "framework/util/text_util.h"

namespace {

// A token as the command-line parser sees it, quotes included: an unquoted
// token runs to the next space; a quoted one to its closing quote (or the
// end), and text glued to that quote is the next token.
struct Token {
  const char* begin;
  std::size_t length;
  bool quoted;
};

bool NextToken(const char*& p, Token& token) noexcept {
  while (*p == ' ') ++p;
  if (*p == '\0') return false;
  token.begin = p;
  token.quoted = *p == '"';
  if (token.quoted) {
    ++p;
    while (*p != '\0' && *p != '"') ++p;
    if (*p == '"') ++p;
  } else {
    while (*p != '\0' && *p != ' ') ++p;
  }
  token.length = static_cast<std::size_t>(p - token.begin);
  return true;
}

bool IsSwitch(const Token& token, const char* name) noexcept {
  return !token.quoted && std::strlen(name) == token.length && CompareNoCase(token.begin, name, token.length) == 0;
}

}  // namespace

std::uint32_t ExitModeFor(int requested, int elevation) noexcept {
  if (requested == -1) return elevation == 0 ? kExitRestart : kExitRestartElevated;
  return static_cast<std::uint32_t>(requested);
}

std::size_t BuildRestartCommandLine(const char* commandLine, char* out, std::size_t outSize) noexcept {
  if (outSize == 0) return 0;
  out[0] = '\0';
  if (commandLine == nullptr) return 0;
  std::size_t used = 0;
  std::size_t dropped = 0;
  const char* p = commandLine;
  Token token;
  while (NextToken(p, token)) {
    if (IsSwitch(token, "-AUTOSTART") || IsSwitch(token, "-WAITFORDATAPATH")) continue;
    const std::size_t needed = token.length + (used > 0 ? 1 : 0);
    if (dropped > 0 || used + needed >= outSize) {
      ++dropped;
      continue;
    }
    if (used > 0) out[used++] = ' ';
    std::memcpy(out + used, token.begin, token.length);
    used += token.length;
    out[used] = '\0';
  }
  return dropped;
}

const char* RestartVerb(std::uint32_t exitMode, std::uint32_t osVersion) noexcept {
  return exitMode == kExitRestartElevated && osVersion >= 6 ? "runas" : nullptr;
}
