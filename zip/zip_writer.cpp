#include "zip/zip_writer.h"

#include <cstring>
#include <new>

#include "framework/util/crc32.h"
#include "zip/zip_format.h"

namespace zip {

namespace {
bool EqualsIgnoreCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b) {
    char x = *a, y = *b;
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return *a == *b;
}

constexpr std::uint32_t kMaxPosition = 0xFFFFFFFFu;
}  // namespace

bool IsStoredByExtension(const char* name) noexcept {
  const char* dot = std::strrchr(name, '.');
  if (!dot) return false;
  static const char* const kStored[] = {".Z", ".zip", ".zoo", ".arc", ".lzh", ".arj", ".gz", ".tgz"};
  for (const char* ext : kStored) {
    if (EqualsIgnoreCase(dot, ext)) return true;
  }
  return false;
}

CZipWriter::CZipWriter(std::unique_ptr<ArchiveSink> sink, const char* password, ZipPlatform* platform)
    : password_(password ? password : ""),
      sink_(std::move(sink)),
      platform_(platform),
      data_buffer_(new std::uint8_t[kZipDataBufferSize]) {}

CZipWriter::~CZipWriter() = default;

std::uint32_t CZipWriter::WriteArchiveBytes(const void* data, std::uint32_t count) {
  if (count == 0) return 0;
  if (position_ + count > kMaxPosition) {
    // Offsets are 32-bit: an archive beyond 4 GB cannot be described.
    if (sticky_error_ == kZipOk) sticky_error_ = kZipWriteFailed;
    return 0;
  }
  if (!encrypting_) {
    const std::uint32_t taken = sink_->Write(data, count);
    if (taken != count && sticky_error_ == kZipOk) sticky_error_ = sink_->FailureCode();
    position_ += taken;
    return taken;
  }
  // The caller's bytes stay plain (the CRC-32 is taken over them); they are
  // encrypted piece by piece in the fixed scratch block, which the entry
  // set up before its first byte, so no write needs memory.
  const auto* plain = static_cast<const std::uint8_t*>(data);
  std::uint32_t done = 0;
  while (done < count) {
    const std::uint32_t piece = count - done < kZipDataBufferSize ? count - done : kZipDataBufferSize;
    std::memcpy(scratch_.get(), plain + done, piece);
    EncryptZipBytes(keys_, scratch_.get(), piece);
    const std::uint32_t taken = sink_->Write(scratch_.get(), piece);
    position_ += taken;
    done += taken;
    if (taken != piece) {
      if (sticky_error_ == kZipOk) sticky_error_ = sink_->FailureCode();
      break;
    }
  }
  return done;
}

bool CZipWriter::SeekArchiveOutput(std::uint32_t position) {
  if (sink_->Seek(position)) return true;
  if (sticky_error_ == kZipOk) sticky_error_ = sink_->FailureCode();
  return false;
}

int CZipWriter::ReadEntryData(std::uint8_t* buffer, unsigned count) {
  if (!source_ || source_failed_) return 0;
  const std::int64_t n = source_->Read(buffer, count);
  if (n < 0) {
    source_failed_ = true;
    return 0;
  }
  if (n == 0) return 0;
  bytes_read_ += static_cast<std::uint64_t>(n);
  running_crc_ = UpdateCrc32(running_crc_, buffer, static_cast<std::size_t>(n));
  return static_cast<int>(n);
}

int CZipWriter::DeflateInput(void* context, std::uint8_t* buffer, unsigned count) {
  return static_cast<CZipWriter*>(context)->ReadEntryData(buffer, count);
}

void CZipWriter::DeflateOutput(void* context, const std::uint8_t* buffer, unsigned* count) {
  auto* w = static_cast<CZipWriter*>(context);
  const std::uint32_t taken = w->WriteArchiveBytes(buffer, *count);
  w->compressed_written_ += taken;
  if (taken == *count) *count = 0;
}

bool CZipWriter::WriteLocalHeader(const PendingCentralRecord& r) {
  std::uint8_t header[kLocalHeaderSize];
  PutLe32(header + 0, kLocalHeaderSignature);
  PutLe16(header + 4, r.version_needed);
  PutLe16(header + 6, r.local_flags);
  PutLe16(header + 8, r.method);
  PutLe16(header + 10, static_cast<std::uint16_t>(r.dos_date_time & 0xFFFFu));
  PutLe16(header + 12, static_cast<std::uint16_t>(r.dos_date_time >> 16));
  PutLe32(header + 14, r.crc32);
  PutLe32(header + 18, r.compressed_size);
  PutLe32(header + 22, r.uncompressed_size);
  PutLe16(header + 26, static_cast<std::uint16_t>(r.name_length));
  PutLe16(header + 28, static_cast<std::uint16_t>(r.local_extra_length));
  if (WriteArchiveBytes(header, kLocalHeaderSize) != kLocalHeaderSize) return false;
  if (WriteArchiveBytes(r.name.data(), r.name_length) != r.name_length) return false;
  return true;
}

ZipResult CZipWriter::AddZipEntry(const char* name, EntrySource& source, const SourceInfo& info) {
  if (sticky_error_ != kZipOk) return kZipWriterFailed;
  if (finished_) return kZipFinished;
  if (!name || !*name) return kZipBadArguments;
  const std::size_t name_len = std::strlen(name);
  // The name field holds 259 characters; a longer name would be cut into a
  // different name, so it is refused.
  if (name_len > kMaxNameLength) return kZipBadArguments;

  // Everything the entry needs is allocated before its first byte is
  // written: running out of memory then fails only this call, with nothing
  // in the output and the writer still usable.
  PendingCentralRecord r;
  try {
    r.name.assign(name, name_len);
    if (pending_.size() == pending_.capacity()) pending_.reserve(pending_.empty() ? 16 : 2 * pending_.size());
  } catch (const std::bad_alloc&) {
    return kZipNoMemory;
  }
  for (char& c : r.name) {
    if (c == '\\') c = '/';
  }
  const bool stored = store_all_ || IsStoredByExtension(r.name.c_str());
  const bool encrypted = !password_.empty();
  if (!stored && !deflate_) {
    deflate_ = DeflateState::Create();
    if (!deflate_) return kZipNoMemory;
  }
  if (encrypted && !scratch_) {
    scratch_.reset(new (std::nothrow) std::uint8_t[kZipDataBufferSize]);
    if (!scratch_) return kZipNoMemory;
  }

  r.central_flags = encrypted ? 0x0009 : 0x0008;
  r.method = stored ? 0 : 8;
  r.dos_date_time = info.dos_date_time;
  r.crc32 = 0;
  const std::uint32_t size = info.size;
  if (stored) {
    r.compressed_size = encrypted ? size + static_cast<std::uint32_t>(kZipCryptHeaderSize) : size;
  } else {
    r.compressed_size = 0;
  }
  r.uncompressed_size = size;
  r.name_length = static_cast<std::uint32_t>(name_len);
  r.local_flags = r.central_flags;
  r.external_attributes = info.external_attributes;
  if (position_ > kMaxPosition) return kZipWriteFailed;
  r.local_header_offset = static_cast<std::uint32_t>(position_);

  // Local "UT" block: modification, access and creation times.
  std::uint8_t local_extra[17];
  PutLe16(local_extra + 0, kExtendedTimestampId);
  PutLe16(local_extra + 2, 13);
  local_extra[4] = 7;
  PutLe32(local_extra + 5, static_cast<std::uint32_t>(info.modify_time));
  PutLe32(local_extra + 9, static_cast<std::uint32_t>(info.access_time));
  PutLe32(local_extra + 13, static_cast<std::uint32_t>(info.create_time));
  // The central block carries only the modification time, though its flags
  // byte announces all three, as readers of these archives expect.
  PutLe16(r.central_extra + 0, kExtendedTimestampId);
  PutLe16(r.central_extra + 2, 5);
  r.central_extra[4] = 7;
  PutLe32(r.central_extra + 5, static_cast<std::uint32_t>(info.modify_time));

  source_ = &source;
  bytes_read_ = 0;
  running_crc_ = 0;
  source_failed_ = false;
  compressed_written_ = 0;
  struct SourceReset {
    EntrySource*& s;
    bool& enc;
    ~SourceReset() {
      s = nullptr;
      enc = false;
    }
  } reset{source_, encrypting_};

  if (!WriteLocalHeader(r) || WriteArchiveBytes(local_extra, 17) != 17) return kZipWriteFailed;
  if (sticky_error_ != kZipOk) return sticky_error_;

  if (encrypted) {
    keys_ = MakeZipKeys(password_.c_str());
    std::uint8_t header[kZipCryptHeaderSize];
    // The writer always sets flag bit 3, so the check byte is the high byte
    // of the DOS time.
    MakeZipCryptHeader(keys_, static_cast<std::uint8_t>((r.dos_date_time >> 8) & 0xFFu), header);
    if (WriteArchiveBytes(header, kZipCryptHeaderSize) != kZipCryptHeaderSize) return kZipWriteFailed;
    encrypting_ = true;
  }

  bool data_failed = false;
  if (!stored) {
    DeflateIo io{&CZipWriter::DeflateInput, &CZipWriter::DeflateOutput, this};
    if (deflate_->Compress(io, data_buffer_.get(), kZipDataBufferSize) != kZipOk) data_failed = true;
    r.central_flags |= kDeflateLevelFlag;
  } else {
    for (;;) {
      const int n = ReadEntryData(data_buffer_.get(), kZipDataBufferSize);
      if (n <= 0) break;
      const std::uint32_t taken = WriteArchiveBytes(data_buffer_.get(), static_cast<std::uint32_t>(n));
      compressed_written_ += taken;
      if (taken != static_cast<std::uint32_t>(n)) {
        data_failed = true;
        break;
      }
    }
  }
  encrypting_ = false;
  // A source that broke off is not stored as if it had ended there.
  if (source_failed_) data_failed = true;
  if (sticky_error_ != kZipOk) return sticky_error_;
  if (data_failed) return kZipWriteFailed;
  if (bytes_read_ > kMaxPosition || compressed_written_ + kZipCryptHeaderSize > kMaxPosition) {
    return kZipWriteFailed;
  }

  r.compressed_size = static_cast<std::uint32_t>(compressed_written_) +
                      (encrypted ? static_cast<std::uint32_t>(kZipCryptHeaderSize) : 0u);
  r.uncompressed_size = static_cast<std::uint32_t>(bytes_read_);
  r.crc32 = running_crc_;

  if (!encrypted) {
    r.central_flags = static_cast<std::uint16_t>(r.central_flags & ~0x0008u);
    r.local_flags = r.central_flags;
    const std::uint64_t end = position_;
    if (!SeekArchiveOutput(r.local_header_offset)) return kZipWriteFailed;
    position_ = r.local_header_offset;
    const bool ok = WriteLocalHeader(r);
    position_ = end;
    if (!SeekArchiveOutput(static_cast<std::uint32_t>(end)) || !ok) return kZipWriteFailed;
  } else {
    const std::uint32_t written_size =
        stored ? size + static_cast<std::uint32_t>(kZipCryptHeaderSize) : 0u;
    if (stored && r.compressed_size != written_size) return kZipStoredSizeChanged;
    std::uint8_t descriptor[16];
    PutLe32(descriptor + 0, kDataDescriptorSignature);
    PutLe32(descriptor + 4, r.crc32);
    PutLe32(descriptor + 8, r.compressed_size);
    PutLe32(descriptor + 12, r.uncompressed_size);
    if (WriteArchiveBytes(descriptor, 16) != 16) return kZipWriteFailed;
    r.central_flags = r.local_flags;
  }
  if (sticky_error_ != kZipOk) return sticky_error_;
  pending_.push_back(std::move(r));  // within the capacity reserved above
  return kZipOk;
}

ZipResult CZipWriter::WriteCentralDirectory() {
  const std::uint64_t start = position_;
  bool failed = false;
  for (const PendingCentralRecord& r : pending_) {
    if (failed) break;
    std::uint8_t h[kCentralHeaderSize];
    PutLe32(h + 0, kCentralHeaderSignature);
    PutLe16(h + 4, r.version_made_by);
    PutLe16(h + 6, r.version_needed);
    PutLe16(h + 8, r.central_flags);
    PutLe16(h + 10, r.method);
    PutLe16(h + 12, static_cast<std::uint16_t>(r.dos_date_time & 0xFFFFu));
    PutLe16(h + 14, static_cast<std::uint16_t>(r.dos_date_time >> 16));
    PutLe32(h + 16, r.crc32);
    PutLe32(h + 20, r.compressed_size);
    PutLe32(h + 24, r.uncompressed_size);
    PutLe16(h + 28, static_cast<std::uint16_t>(r.name_length));
    PutLe16(h + 30, static_cast<std::uint16_t>(r.central_extra_length));
    PutLe16(h + 32, static_cast<std::uint16_t>(r.comment_length));
    PutLe16(h + 34, r.disk_number);
    PutLe16(h + 36, r.internal_attributes);
    PutLe32(h + 38, r.external_attributes);
    PutLe32(h + 42, r.local_header_offset);
    if (WriteArchiveBytes(h, kCentralHeaderSize) != kCentralHeaderSize ||
        WriteArchiveBytes(r.name.data(), r.name_length) != r.name_length ||
        WriteArchiveBytes(r.central_extra, 9) != 9) {
      failed = true;
    }
  }
  const std::size_t count = pending_.size();
  pending_.clear();
  std::uint8_t e[kEndRecordSize];
  PutLe32(e + 0, kEndRecordSignature);
  PutLe16(e + 4, 0);
  PutLe16(e + 6, 0);
  PutLe16(e + 8, static_cast<std::uint16_t>(count));
  PutLe16(e + 10, static_cast<std::uint16_t>(count));
  PutLe32(e + 12, static_cast<std::uint32_t>(position_ - start));
  PutLe32(e + 16, static_cast<std::uint32_t>(start));
  PutLe16(e + 20, 0);
  // An archive without its end record cannot be opened: that is a failure
  // like any other write.
  if (!failed && WriteArchiveBytes(e, kEndRecordSize) != kEndRecordSize) failed = true;
  if (count > 0xFFFF) failed = true;
  return failed ? kZipWriteFailed : kZipOk;
}

ZipResult CZipWriter::Finish() {
  if (finished_) return finish_result_;
  finish_result_ = WriteCentralDirectory();
  // An archive whose writes failed earlier is damaged even when its
  // directory went out.
  if (sticky_error_ != kZipOk) finish_result_ = kZipWriteFailed;
  finished_ = true;
  return finish_result_;
}

ZipResult CZipWriter::Close() {
  ZipResult result = Finish();
  if (!closed_) {
    closed_ = true;
    if (sink_ && !sink_->Close() && result == kZipOk) result = kZipWriteFailed;
    finish_result_ = result;
  }
  return result;
}

}  // namespace zip
