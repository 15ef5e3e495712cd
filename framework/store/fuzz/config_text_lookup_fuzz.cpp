// Typed lookups over arbitrary text: the first byte picks how many of the
// following bytes form the key, the rest is the text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "framework/store/config_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  std::size_t key_len = data[0] % 32;
  if (key_len > size - 1) key_len = size - 1;
  const std::string name = "gOpt." + std::string(reinterpret_cast<const char*>(data + 1), key_len);
  CConfigText c(0, "gOpt.");
  c.SetText(data + 1 + key_len, size - 1 - key_len);
  std::uint8_t b = 0;
  std::int16_t s = 0;
  std::int32_t i = 0;
  std::uint16_t w = 0;
  double d = 0;
  char str[16];
  for (int round = 0; round < 2; ++round) {
    c.ConfigBool(&b, 1, name.c_str(), 1, 2, 3);
    c.ConfigShort(&s, 2, name.c_str());
    c.ConfigInt(&i, 4, name.c_str());
    c.ConfigHexWord(&w, 2, name.c_str());
    c.ConfigDouble(&d, 8, name.c_str());
    c.ConfigString(str, sizeof str, name.c_str());
    c.ConfigString(str, 1, "gOpt.a[i][j][k][l]", 4, 5, 6);
  }
  return 0;
}
