// Tagged-field searches over arbitrary streams: the first four bytes choose
// the record index, tag, output size and starting cursor.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "framework/store/config_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  CConfigByteBuffer b;
  b.Assign(data + 4, size - 4);
  b.set_cursor(data[3] % (size - 3));
  std::vector<std::uint8_t> out(data[2]);
  for (int round = 0; round < 4; ++round) {
    const int n = b.ReadTaggedField(data[0] + round, data[1], out.data(), static_cast<int>(out.size()));
    if (n > static_cast<int>(out.size())) __builtin_trap();
  }
  return 0;
}
