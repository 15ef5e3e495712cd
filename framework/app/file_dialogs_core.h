// What the file dialogs work out from their arguments alone: no Windows.
#pragma once

#include <cstddef>

// The extension named by the pattern of the filter pair at filterIndex
// (filter: NUL-terminated description and pattern pairs, ended by an empty
// string), without its "*.": "BrindlexConfig" for "*.BrindlexConfig", the
// first of several patterns ("*.txt;*.log" gives "txt"). True with out
// filled; false with out empty when the pair does not exist or its pattern
// names no single extension ("*.*", "*", "data.*", "*.t?t") or does not fit
// in outSize.
[[nodiscard]] bool DefaultExtensionOfFilter(const char* filter, int filterIndex, char* out,
                                            std::size_t outSize) noexcept;
