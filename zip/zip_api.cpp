#include "zip/zip.h"

#include <cstring>
#include <new>
#include <stdexcept>

#include "zip/zip_reader.h"
#include "zip/zip_writer.h"

using zip::CZipReader;
using zip::CZipWriter;

namespace {

ZipResult CheckWriter(const ZipHandle* h, CZipWriter** w) {
  if (!h || !h->object) return kZipBadArguments;
  if (h->kind != kZipWriterKind) return kZipWrongHandle;
  *w = static_cast<CZipWriter*>(h->object);
  return kZipOk;
}

ZipResult CheckReader(const ZipHandle* h, CZipReader** r) {
  if (!h || !h->object) return kZipBadArguments;
  if (h->kind != kZipReaderKind) return kZipWrongHandle;
  *r = static_cast<CZipReader*>(h->object);
  return kZipOk;
}

void SetError(ZipResult* error, ZipResult value) {
  if (error) *error = value;
}

// No exception leaves the library: memory that runs out anywhere below an
// entry point becomes that call's result (the writer allocates what an
// entry needs before writing it, so a failed call leaves it consistent).
template <typename F>
ZipResult Guarded(F&& f) noexcept {
  try {
    return f();
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  return kZipNoMemory;
}

template <typename F>
ZipHandle* GuardedHandle(ZipResult* error, F&& f) noexcept {
  try {
    return f();
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  SetError(error, kZipNoMemory);
  return nullptr;
}

}  // namespace

ZipHandle* CreateZipWriterOn(zip::ZipPlatform& platform, std::unique_ptr<zip::ArchiveSink> sink,
                             const char* password) noexcept {
  return GuardedHandle(nullptr, [&]() -> ZipHandle* {
    if (!sink) return nullptr;
    zip::SeedZipRandom(platform.RandomSeed());
    std::unique_ptr<CZipWriter> writer(new CZipWriter(std::move(sink), password, &platform));
    auto* handle = new ZipHandle{kZipWriterKind, nullptr};
    handle->object = writer.release();
    return handle;
  });
}

ZipHandle* CreateZipFileWith(zip::ZipPlatform& platform, const char* path, const char* password,
                             ZipResult* error) noexcept {
  SetError(error, kZipOk);
  if (!path || !*path) {
    SetError(error, kZipBadArguments);
    return nullptr;
  }
  return GuardedHandle(error, [&]() -> ZipHandle* {
    std::unique_ptr<zip::ArchiveSink> sink = platform.CreateOutputFile(path);
    if (!sink) {
      SetError(error, kZipNotFound);
      return nullptr;
    }
    ZipHandle* h = CreateZipWriterOn(platform, std::move(sink), password);
    if (!h) SetError(error, kZipNoMemory);
    return h;
  });
}

ZipHandle* CreateZipInMemoryWith(zip::ZipPlatform& platform, void* buffer, std::uint32_t size,
                                 const char* password, ZipResult* error) noexcept {
  SetError(error, kZipOk);
  if (size == 0) {
    SetError(error, kZipMemoryFull);
    return nullptr;
  }
  return GuardedHandle(error, [&]() -> ZipHandle* {
    std::unique_ptr<zip::ArchiveSink> sink;
    if (buffer) {
      sink.reset(new zip::MemoryBlockSink(static_cast<std::uint8_t*>(buffer), size));
    } else {
      ZipResult e = kZipNoMemory;
      sink = platform.CreateMemoryBlock(size, &e);
      if (!sink) {
        SetError(error, e);
        return nullptr;
      }
    }
    ZipHandle* h = CreateZipWriterOn(platform, std::move(sink), password);
    if (!h) SetError(error, kZipNoMemory);
    return h;
  });
}

ZipResult ZipAddFile(ZipHandle* handle, const char* entry_name, const char* path) noexcept {
  CZipWriter* w = nullptr;
  const ZipResult c = CheckWriter(handle, &w);
  if (c != kZipOk) return c;
  if (!entry_name || !*entry_name || !path || !*path) return kZipBadArguments;
  if (w->sticky_error() != kZipOk) return kZipWriterFailed;
  if (w->finished()) return kZipFinished;
  return Guarded([&]() -> ZipResult {
    zip::SourceInfo info;
    ZipResult e = kZipNotFound;
    std::unique_ptr<zip::EntrySource> source = w->platform()->OpenSourceFile(path, &info, &e);
    if (!source) return e;
    return w->AddZipEntry(entry_name, *source, info);
  });
}

ZipResult ZipAddBuffer(ZipHandle* handle, const char* entry_name, const void* buffer,
                       std::uint32_t length) noexcept {
  CZipWriter* w = nullptr;
  const ZipResult c = CheckWriter(handle, &w);
  if (c != kZipOk) return c;
  if (!buffer || length == 0 || !entry_name || !*entry_name) return kZipBadArguments;
  if (w->sticky_error() != kZipOk) return kZipWriterFailed;
  if (w->finished()) return kZipFinished;
  return Guarded([&]() -> ZipResult {
    zip::SourceInfo info;
    w->platform()->CurrentTimes(&info);
    info.external_attributes = 0x80000000u;
    info.size = length;
    info.size_known = true;
    zip::BufferSource source(buffer, length);
    return w->AddZipEntry(entry_name, source, info);
  });
}

ZipResult GetZipMemory(ZipHandle* handle, void** base, std::uint32_t* length) noexcept {
  if (base) *base = nullptr;
  if (length) *length = 0;
  CZipWriter* w = nullptr;
  const ZipResult c = CheckWriter(handle, &w);
  if (c != kZipOk) return c;
  const ZipResult f = w->Finish();
  if (base) *base = w->memory_base();
  if (length) *length = w->position();
  if (f != kZipOk) return kZipWriteFailed;
  if (!w->memory_base()) return kZipNotMemory;
  return kZipOk;
}

ZipResult CloseZipWriter(ZipHandle* handle) noexcept {
  CZipWriter* w = nullptr;
  const ZipResult c = CheckWriter(handle, &w);
  if (c != kZipOk) return c;
  const ZipResult r = w->Close();
  delete w;
  delete handle;
  return r;
}

ZipHandle* OpenZipSource(zip::ZipPlatform* platform, std::unique_ptr<zip::ByteSource> source,
                         const char* password, ZipResult* error) noexcept {
  return GuardedHandle(error, [&]() -> ZipHandle* {
    ZipResult e = kZipOk;
    std::unique_ptr<CZipReader> reader = CZipReader::Open(std::move(source), password, platform, &e);
    if (!reader) {
      SetError(error, e);
      return nullptr;
    }
    auto* handle = new ZipHandle{kZipReaderKind, nullptr};
    handle->object = reader.release();
    SetError(error, kZipOk);
    return handle;
  });
}

ZipHandle* OpenZipFileWith(zip::ZipPlatform& platform, const char* path, const char* password,
                           ZipResult* error) noexcept {
  if (!path || !*path) {
    SetError(error, kZipNotFound);
    return nullptr;
  }
  return GuardedHandle(error,
                       [&]() { return OpenZipSource(&platform, platform.OpenArchiveFile(path), password, error); });
}

bool IsZipReader(const ZipHandle* handle) noexcept {
  return handle && handle->object && handle->kind == kZipReaderKind;
}

ZipResult SetUnzipBaseDir(ZipHandle* handle, const char* folder) noexcept {
  CZipReader* r = nullptr;
  const ZipResult c = CheckReader(handle, &r);
  if (c != kZipOk) return c;
  return Guarded([&]() {
    r->SetBaseDir(folder);
    return kZipOk;
  });
}

ZipResult GetZipEntry(ZipHandle* handle, int index, ZipEntryInfo* info) noexcept {
  CZipReader* r = nullptr;
  const ZipResult c = CheckReader(handle, &r);
  if (c != kZipOk) return c;
  return Guarded([&]() { return r->GetEntry(index, info); });
}

ZipResult FindZipEntry(ZipHandle* handle, const char* name, int ignore_case, int* index,
                       ZipEntryInfo* info) noexcept {
  CZipReader* r = nullptr;
  const ZipResult c = CheckReader(handle, &r);
  if (c != kZipOk) return c;
  return Guarded([&]() { return r->FindEntry(name, ignore_case != 0, index, info); });
}

ZipResult UnzipEntryToMemory(ZipHandle* handle, int index, void* buffer, std::uint32_t length,
                             std::uint32_t* bytes_read) noexcept {
  CZipReader* r = nullptr;
  const ZipResult c = CheckReader(handle, &r);
  if (c != kZipOk) return c;
  return Guarded([&]() { return r->UnzipToMemory(index, buffer, length, bytes_read); });
}

ZipResult UnzipEntryToFile(ZipHandle* handle, int index, const char* path) noexcept {
  CZipReader* r = nullptr;
  const ZipResult c = CheckReader(handle, &r);
  if (c != kZipOk) return c;
  return Guarded([&]() { return r->UnzipToFile(index, path); });
}

ZipResult CloseZipReader(ZipHandle* handle) noexcept {
  CZipReader* r = nullptr;
  const ZipResult c = CheckReader(handle, &r);
  if (c != kZipOk) return c;
  delete r;
  delete handle;
  return kZipOk;
}

ZipResult CloseZip(ZipHandle* handle) noexcept {
  if (!handle) return kZipBadArguments;
  if (handle->kind == kZipReaderKind) return CloseZipReader(handle);
  return CloseZipWriter(handle);
}

namespace zip {
CZipWriter* WriterOf(ZipHandle* handle) {
  CZipWriter* w = nullptr;
  return CheckWriter(handle, &w) == kZipOk ? w : nullptr;
}
}  // namespace zip
