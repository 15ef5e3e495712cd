// Version replies over arbitrary bytes: parsing, comparing and storing.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "services/update/update_logic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<char> reply(data, data + size);
  ProgramVersion v{};
  if (ParseVersionText(reply.data(), reply.size(), &v)) {
    if (v.major < 0 || v.minor < 0 || v.build < 0) __builtin_trap();
    if (IsNewerVersion(v, v)) __builtin_trap();
  }
  char stored[kUpdateReplySize];
  StoreUpdateReply(reply.data(), reply.size(), stored);
  if (stored[kUpdateReplySize - 1] != '\0') __builtin_trap();
  // What was stored is the same reply the next time.
  if (!IsStoredUpdateReply(reply.data(), reply.size(), stored)) __builtin_trap();
  return 0;
}
