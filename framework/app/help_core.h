// The rules of opening a help topic that need no system: which files are
// compiled help, and the one parameter the viewer is started with.
#pragma once

#include <cstddef>

// Only a name containing ".chm" (in that case) is opened as compiled help.
[[nodiscard]] bool IsCompiledHelpName(const char* file) noexcept;

// The viewer's parameter: the path and, with a non-empty topic, "::/" and
// the topic, together in double quotes. False, with out emptied, when it
// does not fit: a cut parameter would name another file or topic.
[[nodiscard]] bool FormatHelpParameter(char* out, std::size_t capacity, const char* path, const char* topic) noexcept;
