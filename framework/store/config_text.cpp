#include "framework/store/config_text.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <locale>
#include <new>
#include <sstream>
#include <stdexcept>
#include <string>

namespace {
constexpr std::uint8_t kTerminator[3] = {0x00, 0x0D, 0x0A};

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
}  // namespace

bool TryResizeBytes(std::vector<std::uint8_t>& bytes, std::size_t count) noexcept {
  try {
    bytes.resize(count);
    return true;
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  std::vector<std::uint8_t>().swap(bytes);
  return false;
}

// ---- byte buffer and tagged fields ----

void CConfigByteBuffer::ByteBufferInit(std::size_t capacity) {
  bytes_.clear();
  bytes_.reserve(capacity);
  cursor_ = 0;
}

void CConfigByteBuffer::ByteBufferFree() {
  std::vector<std::uint8_t>().swap(bytes_);
  cursor_ = 0;
}

void CConfigByteBuffer::Assign(const void* data, std::size_t count) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  bytes_.assign(p, p + count);
  cursor_ = 0;
}

std::uint8_t* CConfigByteBuffer::Resize(std::size_t count) noexcept {
  cursor_ = 0;
  if (!TryResizeBytes(bytes_, count)) return nullptr;
  return bytes_.data();
}

void CConfigByteBuffer::Truncate(std::size_t count) noexcept {
  if (count < bytes_.size()) bytes_.resize(count);
  if (cursor_ > bytes_.size()) cursor_ = bytes_.size();
}

int CConfigByteBuffer::ReadTaggedField(int record_index, int field_tag, void* out, int out_size) {
  const std::uint64_t count = bytes_.size();
  if (count == 0 || out_size < 0 || (!out && out_size > 0)) return -1;
  // A cursor left at the end by the previous find would otherwise make every
  // later lookup fail: the search then covers the whole stream from 0.
  if (cursor_ >= count) cursor_ = 0;
  const std::uint64_t start = cursor_;
  bool wrapped = false;
  std::uint64_t pos = start;
  auto read_number = [&](std::uint64_t at, unsigned bytes) {
    std::uint64_t v = 0;
    for (unsigned i = 0; i < bytes; ++i) v |= static_cast<std::uint64_t>(bytes_[at + i]) << (8 * i);
    return v;
  };
  for (;;) {
    if (pos >= count) {
      // End of the stream: wrap once when the search did not start at 0.
      if (start == 0 || wrapped) return -1;
      pos = 0;
      wrapped = true;
    }
    if (wrapped && pos >= start) return -1;
    const std::uint8_t h = bytes_[pos];
    const unsigned n_index = h & 3u;
    const unsigned n_tag = (h >> 2) & 3u;
    const unsigned n_length = (h >> 4) & 7u;
    const std::uint64_t value_pos = pos + 1 + n_index + n_tag + n_length;
    if (value_pos > count) {
      // A field header cut off by the end of the data ends the stream.
      pos = count;
      cursor_ = pos;
      continue;
    }
    const std::uint64_t index = read_number(pos + 1, n_index);
    const std::uint64_t tag = read_number(pos + 1 + n_index, n_tag);
    const std::uint64_t length = read_number(pos + 1 + n_index + n_tag, n_length);
    const std::uint64_t next = length > count - value_pos ? count : value_pos + length;
    if ((index & 0xFFFFu) == (static_cast<std::uint64_t>(record_index) & 0xFFFFu) &&
        (tag & 0xFFFFu) == (static_cast<std::uint64_t>(field_tag) & 0xFFFFu)) {
      const std::uint64_t n = length < static_cast<std::uint64_t>(out_size) ? length : static_cast<std::uint64_t>(out_size);
      if (n > count - value_pos) return -1;
      auto* o = static_cast<std::uint8_t*>(out);
      if (n) std::memcpy(o, &bytes_[value_pos], static_cast<std::size_t>(n));
      const std::uint64_t rest = static_cast<std::uint64_t>(out_size) - n;
      if (rest) std::memset(o + n, 0, static_cast<std::size_t>(rest));
      cursor_ = next;
      return static_cast<int>(n);
    }
    pos = next;
    cursor_ = pos;
  }
}

// ---- value forms ----

void FormatConfigDouble(double v, char* out, std::size_t out_size) {
  if (!std::isfinite(v)) {
    std::snprintf(out, out_size, "%.15g", v);
    return;
  }
  char buf[400];
  const double mag = std::fabs(v);
  const int e = mag == 0.0 ? 0 : static_cast<int>(std::floor(std::log10(mag)));
  if (e > -15 && e < 15) {
    // Fixed notation with 15 significant digits, trailing zeros dropped.
    const int decimals = 14 - e < 0 ? 0 : 14 - e;
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    for (char* p = buf; *p; ++p) {
      if (*p == ',') *p = '.';  // whatever the C locale says
    }
    if (std::strchr(buf, '.')) {
      std::size_t n = std::strlen(buf);
      while (n > 0 && buf[n - 1] == '0') buf[--n] = '\0';
      if (n > 0 && buf[n - 1] == '.') {
        buf[n] = '0';
        buf[n + 1] = '\0';
      }
    } else {
      std::strcat(buf, ".0");
    }
    if (std::strcmp(buf, "-0.0") == 0) std::strcpy(buf, "0.0");
  } else {
    std::snprintf(buf, sizeof buf, "%.15g", v);
    for (char* p = buf; *p; ++p) {
      if (*p == ',') *p = '.';
    }
  }
  std::snprintf(out, out_size, "%s", buf);
}

std::int32_t ParseConfigDecimal(const char* text, std::size_t length) {
  std::size_t i = 0;
  while (i < length && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < length && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::uint32_t v = 0;
  while (i < length && text[i] >= '0' && text[i] <= '9') {
    v = v * 10u + static_cast<std::uint32_t>(text[i++] - '0');  // wraps like a 32-bit register
  }
  if (negative) v = 0u - v;
  return static_cast<std::int32_t>(v);
}

bool ParseConfigHex(const char* text, std::size_t length, std::uint16_t* out) {
  if (length < 3 || text[0] != '0' || text[1] != 'x') return false;
  std::size_t i = 2;
  std::uint32_t v = 0;
  std::size_t digits = 0;
  for (; i < length; ++i) {
    const char c = text[i];
    unsigned d;
    if (c >= '0' && c <= '9') {
      d = static_cast<unsigned>(c - '0');
    } else if (c >= 'a' && c <= 'f') {
      d = static_cast<unsigned>(c - 'a' + 10);
    } else if (c >= 'A' && c <= 'F') {
      d = static_cast<unsigned>(c - 'A' + 10);
    } else {
      break;
    }
    v = (v << 4) | d;
    ++digits;
  }
  if (digits == 0) return false;
  *out = static_cast<std::uint16_t>(v);
  return true;
}

double ParseConfigDouble(const char* text, std::size_t length) {
  std::istringstream in(std::string(text, length));
  in.imbue(std::locale::classic());
  double v = 0.0;
  in >> v;
  return in.fail() ? 0.0 : v;
}

// ---- serializer ----

std::uint8_t* CConfigText::PrepareText(std::size_t count) noexcept {
  cursor = 0;
  value = nullptr;
  value_length_ = 0;
  if (!TryResizeBytes(text_, count)) return nullptr;
  return text_.data();
}

void CConfigText::ConfigTextInit(int version_in, const char* prefix) {
  version = version_in;
  saving = version_in != 0 ? 1 : 0;
  cursor = 0;
  prefixLength = prefix ? static_cast<int>(std::strlen(prefix)) : 0;
  keyHeadLength = 0;
  value = nullptr;
  value_length_ = 0;
  work[0] = '\0';
  key[0] = '\0';
  text_.clear();
  text_.reserve(1024);
}

void CConfigText::ConfigTextFree() {
  std::vector<std::uint8_t>().swap(text_);
  value = nullptr;
  value_length_ = 0;
  cursor = 0;
}

void CConfigText::SetText(const void* data, std::size_t count) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  text_.assign(p, p + count);
  cursor = 0;
  value = nullptr;
  value_length_ = 0;
}

void CConfigText::ConfigTextBuildKey(const char* name, int i1, int i2, int i3) {
  std::string built;
  const std::size_t len = name ? std::strlen(name) : 0;
  std::size_t skip = static_cast<std::size_t>(prefixLength) + (len > 0 && name[0] == '&' ? 1 : 0);
  const int indexes[3] = {i1, i2, i3};
  int next_index = 0;
  for (std::size_t i = skip; i < len; ++i) {
    const char c = name[i];
    built += c;
    if (c == '[' && i + 1 < len && IsLetter(name[i + 1])) {
      // "[xi]" takes the next index: the letters up to "]" are dropped.
      built += std::to_string(next_index < 3 ? indexes[next_index] : 0);
      ++next_index;
      ++i;
      while (i < len && name[i] != ']') ++i;
      if (i < len) built += ']';
    }
  }
  const std::size_t room = sizeof key - 1 - static_cast<std::size_t>(keyHeadLength);
  if (built.size() > room) built.resize(room);
  std::memcpy(key + keyHeadLength, built.c_str(), built.size() + 1);
}

void CConfigText::ConfigTextAppendRecord(const char* key_text, const char* value_text) {
  const std::size_t k = std::strlen(key_text);
  const std::size_t v = std::strlen(value_text);
  text_.insert(text_.end(), key_text, key_text + k);
  text_.push_back('=');
  const std::size_t at = text_.size();
  text_.insert(text_.end(), value_text, value_text + v);
  // Values stay verbatim (paths keep their backslashes), except that each
  // CR and LF becomes a blank: a text from elsewhere, such as another
  // program's window caption, could otherwise end its record early or start
  // a line that a later lookup takes for a key. A NUL already ends the text.
  for (std::size_t i = at; i < text_.size(); ++i) {
    if (text_[i] == '\r' || text_[i] == '\n') text_[i] = ' ';
  }
  text_.insert(text_.end(), kTerminator, kTerminator + 3);
}

std::int64_t CConfigText::ConfigTextGetValue(const char* key_text) {
  if (cursor < 0) cursor = 0;
  const std::size_t klen = std::strlen(key_text);
  const std::size_t count = text_.size();
  if (klen == 0 || klen + 1 > count) return -1;
  const std::uint8_t* t = text_.data();
  // Last position where the key and its "=" still fit.
  const std::size_t last = count - klen - 1;
  auto search = [&](std::size_t from) -> std::int64_t {
    for (std::size_t i = from; i <= last; ++i) {
      if ((i == 0 || t[i - 1] == 0x0A) && t[i + klen] == '=' && std::memcmp(t + i, key_text, klen) == 0) {
        return static_cast<std::int64_t>(i);
      }
    }
    return -1;
  };
  const std::size_t from = static_cast<std::size_t>(cursor) <= last ? static_cast<std::size_t>(cursor) : last + 1;
  std::int64_t found = search(from);
  if (found < 0) found = search(0);
  if (found < 0) return -1;
  const std::size_t start = static_cast<std::size_t>(found) + klen + 1;
  for (std::size_t i = start; i + 2 < count; ++i) {
    if (t[i] == 0x00 && t[i + 1] == 0x0D && t[i + 2] == 0x0A) {
      cursor = static_cast<std::int64_t>(i);
      value = reinterpret_cast<const char*>(t + start);
      value_length_ = i - start;
      return static_cast<std::int64_t>(i);
    }
  }
  cursor = -1;
  return -1;
}

int CConfigText::AppendValue(const char* name, int i1, int i2, int i3, const char* valueText) {
  ConfigTextBuildKey(name, i1, i2, i3);
  ConfigTextAppendRecord(key, valueText);
  return 0;
}

bool CConfigText::Lookup(const char* name, int i1, int i2, int i3) {
  ConfigTextBuildKey(name, i1, i2, i3);
  return ConfigTextGetValue(key) >= 0;
}

int CConfigText::ConfigBool(std::uint8_t* var, int, const char* name, int i1, int i2, int i3) {
  if (saving) return AppendValue(name, i1, i2, i3, *var ? "1" : "0");
  if (!Lookup(name, i1, i2, i3)) return -1;
  *var = (value_length_ > 0 && value[0] == '1') ? 1 : 0;
  return 0;
}

int CConfigText::ConfigShort(std::int16_t* var, int, const char* name, int i1, int i2, int i3) {
  // Written and read as a decimal int; a value read back is cut to 16 bits.
  std::int32_t wide = *var;
  const int result = ConfigInt(&wide, sizeof wide, name, i1, i2, i3);
  if (!saving && result == 0) *var = static_cast<std::int16_t>(static_cast<std::uint16_t>(wide));
  return result;
}

int CConfigText::ConfigInt(std::int32_t* var, int, const char* name, int i1, int i2, int i3) {
  if (saving) {
    std::snprintf(work, sizeof work, "%d", static_cast<int>(*var));
    return AppendValue(name, i1, i2, i3, work);
  }
  if (!Lookup(name, i1, i2, i3)) return -1;
  *var = ParseConfigDecimal(value, value_length_);
  return 0;
}

int CConfigText::ConfigHexWord(std::uint16_t* var, int, const char* name, int i1, int i2, int i3) {
  if (saving) {
    std::snprintf(work, sizeof work, "0x%04X", static_cast<unsigned>(*var));
    return AppendValue(name, i1, i2, i3, work);
  }
  if (!Lookup(name, i1, i2, i3)) return -1;
  std::uint16_t v = 0;
  if (!ParseConfigHex(value, value_length_, &v)) return 1;
  *var = v;
  return 0;
}

int CConfigText::ConfigDouble(double* var, int, const char* name, int i1, int i2, int i3) {
  if (saving) {
    FormatConfigDouble(*var, work, sizeof work);
    return AppendValue(name, i1, i2, i3, work);
  }
  if (!Lookup(name, i1, i2, i3)) return -1;
  *var = ParseConfigDouble(value, value_length_);
  return 0;
}

int CConfigText::ConfigString(char* var, int size, const char* name, int i1, int i2, int i3) {
  if (saving) {
    // The buffer may hold no NUL: only its first size bytes are the text.
    const void* end = size > 0 ? std::memchr(var, '\0', static_cast<std::size_t>(size)) : var;
    const std::size_t length = end != nullptr ? static_cast<std::size_t>(static_cast<const char*>(end) - var)
                                              : static_cast<std::size_t>(size);
    return AppendValue(name, i1, i2, i3, std::string(var, length).c_str());
  }
  if (size <= 0) return -1;
  if (!Lookup(name, i1, i2, i3)) return -1;
  std::size_t n = value_length_;
  if (n > static_cast<std::size_t>(size) - 1) n = static_cast<std::size_t>(size) - 1;
  std::memcpy(var, value, n);
  var[n] = '\0';
  return 0;
}
