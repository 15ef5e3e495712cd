// Key=value text of the options: one object either saves (each typed call
// appends a record) or loads (each typed call looks its key up), so one
// list of calls serves both directions. Also the reader of the older
// binary tagged-field stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Growable byte buffer with a read cursor for the tagged-field stream.
class CConfigByteBuffer {
 public:
  void ByteBufferInit(std::size_t capacity);
  void ByteBufferFree();
  void Assign(const void* data, std::size_t count);
  // Makes the buffer count bytes long (new bytes zeroed) and puts the cursor
  // at 0; null, with the buffer emptied, when the memory cannot be had.
  [[nodiscard]] std::uint8_t* Resize(std::size_t count) noexcept;
  // Drops the bytes from count on (a read that came up short).
  void Truncate(std::size_t count) noexcept;

  [[nodiscard]] const std::uint8_t* data() const noexcept { return bytes_.data(); }
  [[nodiscard]] std::size_t count() const noexcept { return bytes_.size(); }
  [[nodiscard]] std::uint64_t cursor() const noexcept { return cursor_; }
  void set_cursor(std::uint64_t cursor) noexcept { cursor_ = cursor; }

  // Finds the next field with this record index and tag (compared as 16-bit
  // numbers), starting at the cursor and wrapping to the start once, so every
  // call searches the whole stream whatever order the fields stand in (a
  // cursor left at the end starts at 0). Copies
  // at most out_size value bytes, zeroes the rest of out, and returns the
  // count; -1 when not found or when the value would lie past the data.
  int ReadTaggedField(int record_index, int field_tag, void* out, int out_size);

 private:
  std::vector<std::uint8_t> bytes_;
  std::uint64_t cursor_ = 0;
};

class CConfigText {
 public:
  // version 0: load mode; otherwise save mode writing that version.
  CConfigText(int version, const char* prefix) { ConfigTextInit(version, prefix); }

  void ConfigTextInit(int version, const char* prefix);
  void ConfigTextFree();

  // Each: (variable, size of it (strings: the buffer size), the variable's
  // name as written in the calling code, up to three indexes). Save mode:
  // appends and returns 0. Load mode: 0 when set, -1 when the key is
  // missing (the variable keeps its value); ConfigHexWord 1 when the value
  // is not hexadecimal.
  int ConfigBool(std::uint8_t* var, int size, const char* name, int i1 = 0, int i2 = 0, int i3 = 0);
  int ConfigShort(std::int16_t* var, int size, const char* name, int i1 = 0, int i2 = 0, int i3 = 0);
  int ConfigInt(std::int32_t* var, int size, const char* name, int i1 = 0, int i2 = 0, int i3 = 0);
  int ConfigHexWord(std::uint16_t* var, int size, const char* name, int i1 = 0, int i2 = 0, int i3 = 0);
  int ConfigDouble(double* var, int size, const char* name, int i1 = 0, int i2 = 0, int i3 = 0);
  int ConfigString(char* var, int size, const char* name, int i1 = 0, int i2 = 0, int i3 = 0);

  // Builds `key` from a variable name: the prefix cut off, every "[name]"
  // index replaced by the next index given.
  void ConfigTextBuildKey(const char* name, int i1, int i2, int i3);
  // Each CR or LF of the value is saved as a blank, so that no value can
  // hold a record of its own.
  void ConfigTextAppendRecord(const char* key, const char* value_text);
  // Position of the found record's terminator (and `value` set), or -1.
  std::int64_t ConfigTextGetValue(const char* key);

  // Replaces the text (a loaded archive entry); the cursor goes to 0.
  void SetText(const void* data, std::size_t count);
  // Makes the text count bytes long for the caller to fill, cursor at 0;
  // null, with the text emptied, when the memory cannot be had.
  [[nodiscard]] std::uint8_t* PrepareText(std::size_t count) noexcept;
  [[nodiscard]] const std::vector<std::uint8_t>& text() const noexcept { return text_; }

  int version = 0;
  int saving = 0;
  std::int64_t cursor = 0;
  int prefixLength = 0;
  int keyHeadLength = 0;
  const char* value = nullptr;
  char work[1024] = {};
  char key[260] = {};

 private:
  [[nodiscard]] bool Lookup(const char* name, int i1, int i2, int i3);
  // Save mode: appends the record for the variable; returns 0.
  int AppendValue(const char* name, int i1, int i2, int i3, const char* valueText);
  std::size_t value_length_ = 0;
  std::vector<std::uint8_t> text_;
};

// Resizes without letting a failed allocation end the process.
[[nodiscard]] bool TryResizeBytes(std::vector<std::uint8_t>& bytes, std::size_t count) noexcept;

// The value forms, shared by save and load and usable on their own.
void FormatConfigDouble(double value, char* out, std::size_t out_size);
[[nodiscard]] std::int32_t ParseConfigDecimal(const char* text, std::size_t length);
[[nodiscard]] bool ParseConfigHex(const char* text, std::size_t length, std::uint16_t* out);
[[nodiscard]] double ParseConfigDouble(const char* text, std::size_t length);
