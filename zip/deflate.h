// Raw Deflate (RFC 1951) compressor: hash chains of 3-byte strings, lazy
// match evaluation and a per-block choice between stored, fixed and dynamic
// Huffman coding. One state per writer, reused for each entry.
#pragma once

#include <cstdint>
#include <memory>

#include "zip/zip_result.h"

namespace zip {

// Reads at most count bytes; 0 or a negative value ends the input.
using DeflateInputFn = int (*)(void* context, std::uint8_t* buffer, unsigned count);
// Writes *count bytes and sets *count to 0 when they were all taken; a count
// left non-zero means the output failed.
using DeflateOutputFn = void (*)(void* context, const std::uint8_t* buffer, unsigned* count);

struct DeflateIo {
  DeflateInputFn input = nullptr;
  DeflateOutputFn output = nullptr;
  void* context = nullptr;
};

struct DeflateStateData;

class DeflateState {
 public:
  DeflateState();
  // The state, or null when its memory cannot be had.
  [[nodiscard]] static std::unique_ptr<DeflateState> Create() noexcept;
  ~DeflateState();
  DeflateState(const DeflateState&) = delete;
  DeflateState& operator=(const DeflateState&) = delete;

  // Compresses the whole input at level 8 into out_buffer (flushed through
  // io.output whenever it fills). Returns kZipDataFailed when an internal
  // consistency check failed or the output stopped taking bytes, else 0.
  [[nodiscard]] ZipResult Compress(const DeflateIo& io, std::uint8_t* out_buffer,
                                   unsigned out_size);

  // The first consistency check that failed during the last run, or null.
  [[nodiscard]] const char* ErrorText() const noexcept;
  // Whether the output callback refused bytes during the last run.
  [[nodiscard]] bool OutputFailed() const noexcept;

 private:
  explicit DeflateState(std::unique_ptr<DeflateStateData> d) noexcept;
  std::unique_ptr<DeflateStateData> d_;
};

// Flag bit the compressor sets in an entry's general-purpose flags (level 8).
inline constexpr std::uint16_t kDeflateLevelFlag = 0x0002;

}  // namespace zip
