// A small program for the command-line tests: writes the arguments after
// its first one, joined by '|', into the file that the first one names.
#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr) return 3;
  for (int i = 2; i < argc; ++i) {
    if (i > 2) std::fputc('|', out);
    std::fputs(argv[i], out);
  }
  return std::fclose(out) == 0 ? 0 : 4;
}
