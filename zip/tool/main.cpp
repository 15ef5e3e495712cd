// Command-line front end of the archive library: list, test, extract,
// create, and show the text of an options file.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "zip/stdio_platform.h"
#include "zip/zip.h"
#include "zip/zip_writer.h"

namespace {

// The options file is a one-entry archive protected by this fixed password.
constexpr char kOptionsPassword[] = "QmoTrvHE52b18k";

int Usage() {
  std::fputs(
      "usage:\n"
      "  veltrano_zip_tool list <archive> [password]\n"
      "  veltrano_zip_tool test <archive> [password]\n"
      "  veltrano_zip_tool extract <archive> <folder> [password]\n"
      "  veltrano_zip_tool create <archive> [-stored] [-p password] <file>...\n"
      "  veltrano_zip_tool options <Options.oqc>\n",
      stderr);
  return 2;
}

ZipHandle* OpenOrReport(zip::ZipPlatform& platform, const char* path, const char* password) {
  ZipResult e = 0;
  ZipHandle* h = OpenZipFileWith(platform, path, password, &e);
  if (!h) std::fprintf(stderr, "%s: not a readable archive (0x%X)\n", path, e);
  return h;
}

int EntryCount(ZipHandle* h) {
  ZipEntryInfo info{};
  return GetZipEntry(h, -1, &info) == kZipOk ? info.index : 0;
}

int List(zip::ZipPlatform& platform, const char* path, const char* password) {
  ZipHandle* h = OpenOrReport(platform, path, password);
  if (!h) return 1;
  int failures = 0;
  const int n = EntryCount(h);
  for (int i = 0; i < n; ++i) {
    ZipEntryInfo info{};
    const ZipResult r = GetZipEntry(h, i, &info);
    if (r != kZipOk) {
      std::printf("%5d  error 0x%X\n", i, r);
      ++failures;
      continue;
    }
    std::printf("%10u %10u  %c  %s\n", info.uncompressed_size, info.compressed_size,
                (info.attributes & kZipAttrDirectory) ? 'd' : '-', info.name);
  }
  CloseZip(h);
  return failures ? 1 : 0;
}

// Reads an entry to its end; the last call checks its CRC-32.
ZipResult ReadEntry(ZipHandle* h, int index, std::vector<char>* out) {
  std::vector<char> buf(65536);
  for (;;) {
    std::uint32_t got = 0;
    const ZipResult r = UnzipEntryToMemory(h, index, buf.data(), static_cast<std::uint32_t>(buf.size()), &got);
    if (out) out->insert(out->end(), buf.begin(), buf.begin() + got);
    if (r != kZipMoreData) return r;
  }
}

int Test(zip::ZipPlatform& platform, const char* path, const char* password) {
  ZipHandle* h = OpenOrReport(platform, path, password);
  if (!h) return 1;
  int failures = 0;
  const int n = EntryCount(h);
  for (int i = 0; i < n; ++i) {
    ZipEntryInfo info{};
    ZipResult r = GetZipEntry(h, i, &info);
    if (r == kZipOk && !(info.attributes & kZipAttrDirectory)) r = ReadEntry(h, i, nullptr);
    std::printf("%-50s %s\n", info.name, r == kZipOk ? "OK" : "FAILED");
    if (r != kZipOk) ++failures;
  }
  CloseZip(h);
  std::printf("%d entries, %d failed\n", n, failures);
  return failures ? 1 : 0;
}

int Extract(zip::ZipPlatform& platform, const char* path, const char* folder, const char* password) {
  ZipHandle* h = OpenOrReport(platform, path, password);
  if (!h) return 1;
  SetUnzipBaseDir(h, folder);
  int failures = 0;
  const int n = EntryCount(h);
  for (int i = 0; i < n; ++i) {
    ZipEntryInfo info{};
    ZipResult r = GetZipEntry(h, i, &info);
    if (r == kZipOk) r = UnzipEntryToFile(h, i, info.name);
    if (r != kZipOk) {
      std::fprintf(stderr, "%s: failed (0x%X)\n", info.name, r);
      ++failures;
    }
  }
  CloseZip(h);
  return failures ? 1 : 0;
}

int Create(zip::ZipPlatform& platform, int argc, char** argv) {
  const char* path = argv[0];
  const char* password = nullptr;
  bool stored = false;
  std::vector<const char*> files;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-stored") == 0) {
      stored = true;
    } else if (std::strcmp(argv[i], "-p") == 0 && i + 1 < argc) {
      password = argv[++i];
    } else {
      files.push_back(argv[i]);
    }
  }
  if (files.empty()) return Usage();
  ZipHandle* h = CreateZipFileWith(platform, path, password);
  if (!h) {
    std::fprintf(stderr, "%s: cannot create\n", path);
    return 1;
  }
  zip::WriterOf(h)->set_store_all(stored);
  int failures = 0;
  for (const char* f : files) {
    const ZipResult r = ZipAddFile(h, f, f);
    if (r != kZipOk) {
      std::fprintf(stderr, "%s: failed (0x%X)\n", f, r);
      ++failures;
    }
  }
  const ZipResult r = CloseZipWriter(h);
  if (r != kZipOk) {
    std::fprintf(stderr, "%s: finishing failed (0x%X)\n", path, r);
    ++failures;
  }
  return failures ? 1 : 0;
}

int Options(zip::ZipPlatform& platform, const char* path) {
  ZipHandle* h = OpenOrReport(platform, path, kOptionsPassword);
  if (!h) return 1;
  std::vector<char> text;
  ZipEntryInfo info{};
  ZipResult r = GetZipEntry(h, 0, &info);
  if (r == kZipOk) r = ReadEntry(h, 0, &text);
  CloseZip(h);
  if (r != kZipOk) {
    std::fprintf(stderr, "%s: cannot read the options (0x%X)\n", path, r);
    return 1;
  }
  std::printf("# version %s\n", info.name);
  // Records end with NUL CR LF; print one per line.
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\0' && i + 2 < text.size() && text[i + 1] == '\r' && text[i + 2] == '\n') {
      std::printf("%s\n", line.c_str());
      line.clear();
      i += 2;
    } else {
      line += text[i];
    }
  }
  if (!line.empty()) std::printf("%s\n", line.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  zip::StdioZipPlatform platform;
  const std::string cmd = argv[1];
  const char* pw = nullptr;
  if (cmd == "list") return List(platform, argv[2], argc > 3 ? argv[3] : pw);
  if (cmd == "test") return Test(platform, argv[2], argc > 3 ? argv[3] : pw);
  if (cmd == "extract" && argc >= 4) return Extract(platform, argv[2], argv[3], argc > 4 ? argv[4] : pw);
  if (cmd == "create" && argc >= 4) return Create(platform, argc - 2, argv + 2);
  if (cmd == "options") return Options(platform, argv[2]);
  return Usage();
}
