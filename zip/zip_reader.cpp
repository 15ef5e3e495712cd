#include "zip/zip_reader.h"

#include <zlib.h>

#include <cstring>
#include <vector>

#include "zip/zip_format.h"

namespace zip {

namespace {
constexpr std::uint32_t kInputBufferSize = 16384;
constexpr std::uint64_t kEndSearchRange = 65535;

bool IsSep(char c) { return c == '\\' || c == '/'; }

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

struct EntryReader {
  std::unique_ptr<std::uint8_t[]> input{new std::uint8_t[kInputBufferSize]};
  std::uint32_t in_avail = 0;
  std::uint32_t in_pos = 0;
  z_stream strm{};
  bool inflate_ready = false;
  std::uint64_t data_pos = 0;
  std::uint32_t compressed_left = 0;
  std::uint32_t uncompressed_left = 0;
  std::uint32_t crc = 0;
  std::uint32_t expected_crc = 0;
  std::uint32_t method = 0;
  bool encrypted = false;
  ZipKeys keys;
  std::uint32_t header_left = 0;
  std::uint8_t check_byte = 0;

  ~EntryReader() {
    if (inflate_ready) inflateEnd(&strm);
  }
};

std::string SanitizeEntryName(const char* name) {
  const char* p = name ? name : "";
  for (;;) {
    if (p[0] && p[1] == ':') {
      p += 2;
      continue;
    }
    if (IsSep(p[0])) {
      ++p;
      continue;
    }
    static const char* const kSteps[] = {"\\..\\", "\\../", "/../", "/..\\"};
    const char* found = nullptr;
    for (const char* step : kSteps) {
      found = std::strstr(p, step);
      if (found) break;
    }
    if (found) {
      p = found + 4;
      continue;
    }
    break;
  }
  return p;
}

bool IsWindowsDeviceName(const std::string& part) {
  // Windows opens the device for the bare name, for the name with any
  // extension, and with blanks before the extension.
  std::string stem = part.substr(0, part.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  for (char& c : stem) c = LowerAscii(c);
  for (const char* device : {"con", "prn", "aux", "nul", "conin$", "conout$"}) {
    if (stem == device) return true;
  }
  if (stem.size() != 4 || (stem.compare(0, 3, "com") != 0 && stem.compare(0, 3, "lpt") != 0)) return false;
  // Digits 1-9, and the superscripts 1, 2 and 3 of the ANSI code page.
  const auto d = static_cast<unsigned char>(stem[3]);
  return (d >= '1' && d <= '9') || d == 0xB9 || d == 0xB2 || d == 0xB3;
}

bool IsSafeRelativePath(const std::string& path) {
  if (path.empty() || path.size() >= 260) return false;
  if (IsSep(path[0])) return false;  // rooted or UNC
  if (path.find(':') != std::string::npos) return false;  // drive letter or stream
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = start;
    while (end < path.size() && !IsSep(path[end])) ++end;
    const std::string part = path.substr(start, end - start);
    if (part == "..") return false;
    // Windows drops a trailing dot or blank, so such a name would write to
    // another file than the one named; "." alone is the folder itself.
    if (part != "." && !part.empty() && (part.back() == '.' || part.back() == ' ')) return false;
    if (IsWindowsDeviceName(part)) return false;
    start = end + 1;
  }
  return true;
}

CZipReader::~CZipReader() = default;

std::unique_ptr<CZipReader> CZipReader::Open(std::unique_ptr<ByteSource> source, const char* password,
                                             ZipPlatform* platform, ZipResult* error) {
  if (error) *error = kZipOk;
  if (!source) {
    if (error) *error = kZipNotFound;
    return nullptr;
  }
  std::unique_ptr<CZipReader> r(new CZipReader());
  r->source_ = std::move(source);
  r->platform_ = platform;
  if (password) r->password_ = password;
  r->SetBaseDir(platform ? platform->CurrentDirectory().c_str() : "");
  if (!r->OpenArchiveReader()) {
    if (error) *error = kZipNotFound;
    return nullptr;
  }
  return r;
}

void CZipReader::SetBaseDir(const char* folder) {
  base_dir_.assign(folder ? folder : "");
  if (base_dir_.size() > 259) base_dir_.resize(259);
  if (!base_dir_.empty() && !IsSep(base_dir_.back())) base_dir_ += '\\';
}

bool CZipReader::ReadExact(std::uint64_t offset, void* buffer, std::uint32_t count) {
  if (count == 0) return true;
  return source_->ReadAt(offset, buffer, count) == static_cast<std::int64_t>(count);
}

bool CZipReader::OpenArchiveReader() {
  size_ = source_->Size();
  if (size_ < kEndRecordSize) return false;
  const std::uint64_t range = size_ < kEndSearchRange ? size_ : kEndSearchRange;
  std::vector<std::uint8_t> tail(static_cast<std::size_t>(range));
  const std::uint64_t tail_start = size_ - range;
  if (!ReadExact(tail_start, tail.data(), static_cast<std::uint32_t>(range))) return false;
  // The record nearest the end wins; a comment may hold the signature too.
  std::uint64_t end_pos = 0;
  bool found = false;
  for (std::size_t i = tail.size() - 4 + 1; i-- > 0;) {
    if (GetLe32(&tail[i]) == kEndRecordSignature) {
      end_pos = tail_start + i;
      found = true;
      break;
    }
  }
  if (!found) return false;
  std::uint8_t e[kEndRecordSize];
  if (!ReadExact(end_pos, e, kEndRecordSize)) return false;
  const std::uint16_t this_disk = GetLe16(e + 4);
  const std::uint16_t cd_disk = GetLe16(e + 6);
  const std::uint16_t entries_here = GetLe16(e + 8);
  const std::uint16_t entries_total = GetLe16(e + 10);
  cd_size_ = GetLe32(e + 12);
  cd_offset_ = GetLe32(e + 16);
  if (this_disk != 0 || cd_disk != 0 || entries_here != entries_total) return false;
  if (end_pos < cd_offset_ + cd_size_) return false;
  entries_ = entries_total;
  bytes_before_ = end_pos - (cd_offset_ + cd_size_);
  GoToFirstEntry();
  return true;
}

void CZipReader::GoToFirstEntry() {
  current_index_ = 0;
  central_pos_ = cd_offset_;
  current_ok_ = entries_ > 0 && ReadCentralHeader();
}

void CZipReader::GoToNextEntry() {
  if (!current_ok_) return;
  central_pos_ += kCentralHeaderSize + current_.name_length + current_.extra_length +
                  current_.comment_length;
  ++current_index_;
  current_ok_ = current_index_ < entries_ && ReadCentralHeader();
}

bool CZipReader::ReadCentralHeader() {
  std::uint8_t h[kCentralHeaderSize];
  if (!ReadExact(bytes_before_ + central_pos_, h, kCentralHeaderSize)) return false;
  if (GetLe32(h) != kCentralHeaderSignature) return false;
  CentralRecord& c = current_;
  c.version_made_by = GetLe16(h + 4);
  c.version_needed = GetLe16(h + 6);
  c.flags = GetLe16(h + 8);
  c.method = GetLe16(h + 10);
  c.dos_date_time = GetLe32(h + 12);
  c.crc32 = GetLe32(h + 16);
  c.compressed_size = GetLe32(h + 20);
  c.uncompressed_size = GetLe32(h + 24);
  c.name_length = GetLe16(h + 28);
  c.extra_length = GetLe16(h + 30);
  c.comment_length = GetLe16(h + 32);
  c.disk_number = GetLe16(h + 34);
  c.internal_attributes = GetLe16(h + 36);
  c.external_attributes = GetLe32(h + 38);
  c.local_header_offset = GetLe32(h + 42);
  return true;
}

bool CZipReader::LocateEntry(int index) {
  if (index < 0 || index >= entries_) return false;
  if (!current_ok_ || index < current_index_) GoToFirstEntry();
  // Each step moves one record forward, so the walk ends after at most
  // entries_ steps even when records are damaged.
  while (current_ok_ && current_index_ < index) GoToNextEntry();
  return current_ok_ && current_index_ == index;
}

bool CZipReader::ReadCurrentName(std::string* name, std::uint32_t limit) {
  const std::uint32_t n = current_.name_length;
  if (n > limit) return false;
  name->assign(n, '\0');
  return ReadExact(bytes_before_ + central_pos_ + kCentralHeaderSize, &(*name)[0], n);
}

bool CZipReader::CheckLocalHeader(std::uint64_t* data_offset, std::uint64_t* extra_offset,
                                  std::uint32_t* extra_length) {
  const std::uint64_t at = bytes_before_ + current_.local_header_offset;
  std::uint8_t h[kLocalHeaderSize];
  if (!ReadExact(at, h, kLocalHeaderSize)) return false;
  if (GetLe32(h) != kLocalHeaderSignature) return false;
  const std::uint32_t flags = GetLe16(h + 6);
  const std::uint32_t method = GetLe16(h + 8);
  if (method != current_.method || (method != 0 && method != 8)) return false;
  if (!(flags & 0x0008u)) {
    if (GetLe32(h + 14) != current_.crc32 || GetLe32(h + 18) != current_.compressed_size ||
        GetLe32(h + 22) != current_.uncompressed_size) {
      return false;
    }
  }
  const std::uint32_t name_length = GetLe16(h + 26);
  if (name_length != current_.name_length) return false;
  const std::uint32_t extra = GetLe16(h + 28);
  *extra_offset = at + kLocalHeaderSize + name_length;
  *extra_length = extra;
  *data_offset = *extra_offset + extra;
  return true;
}

ZipResult CZipReader::ReadZipEntryInfo(int index, ZipEntryInfo* info) {
  CloseEntryReader();
  open_index_ = -1;
  if (index == cached_index_) {
    *info = cached_;
    return kZipOk;
  }
  if (!LocateEntry(index)) return kZipCorrupt;
  std::string raw;
  // Names of 260 characters or more do not fit the name field; such an
  // entry is listed with an empty name, which extraction refuses.
  if (current_.name_length <= kMaxNameLength) {
    if (!ReadCurrentName(&raw, kMaxNameLength)) return kZipCorrupt;
    raw.resize(std::strlen(raw.c_str()));
  }
  std::uint64_t data_offset = 0, extra_offset = 0;
  std::uint32_t extra_length = 0;
  if (!CheckLocalHeader(&data_offset, &extra_offset, &extra_length)) return kZipCorrupt;
  std::vector<std::uint8_t> extra(extra_length);
  if (!ReadExact(extra_offset, extra.data(), extra_length)) return kZipReadFailed;

  ZipEntryInfo out{};
  out.index = index;
  const std::string name = SanitizeEntryName(raw.c_str());
  std::memcpy(out.name, name.c_str(), name.size() + 1);

  const std::uint32_t host = current_.version_made_by >> 8;
  const std::uint32_t ext = current_.external_attributes;
  if (host == 0 || host == 7 || host == 11 || host == 14) {
    out.attributes = ext & (kZipAttrReadOnly | kZipAttrHidden | kZipAttrSystem | kZipAttrDirectory |
                            kZipAttrArchive);
  } else {
    out.attributes = kZipAttrArchive;
    if (ext & (1u << 30)) out.attributes |= kZipAttrDirectory;
    if (!(ext & (1u << 23))) out.attributes |= kZipAttrReadOnly;
  }
  // A name ending in a separator is a folder whatever the attributes say:
  // common tools write folder entries with attributes 0.
  if (!name.empty() && IsSep(name.back())) out.attributes |= kZipAttrDirectory;

  const std::uint64_t dos_time = platform_ ? platform_->LocalDosTimeToFileTime(current_.dos_date_time)
                                           : UnixToFileTime(DosDateTimeToUnixUtc(current_.dos_date_time));
  out.access_time = out.creation_time = out.write_time = dos_time;
  // First "UT" block of the local extra field; only fields that lie inside
  // both the block and the field are used.
  std::size_t pos = 0;
  while (pos + 4 < extra.size()) {
    const std::uint16_t id = GetLe16(&extra[pos]);
    const std::size_t block = GetLe16(&extra[pos + 2]);
    const std::size_t data = pos + 4;
    if (id == kExtendedTimestampId) {
      const std::size_t end = data + block < extra.size() ? data + block : extra.size();
      if (data < end) {
        const std::uint8_t flags = extra[data];
        std::size_t at = data + 1;
        auto take = [&](std::uint64_t* target) {
          if (at + 4 <= end) {
            const auto t = static_cast<std::int32_t>(GetLe32(&extra[at]));
            *target = static_cast<std::uint64_t>(static_cast<std::int64_t>(t) * 10000000 +
                                                 static_cast<std::int64_t>(kFileTimeUnixEpoch));
          }
          at += 4;
        };
        if (flags & 1) take(&out.write_time);
        if (flags & 2) take(&out.access_time);
        if (flags & 4) take(&out.creation_time);
      }
      break;
    }
    pos = data + block;
  }
  out.compressed_size = current_.compressed_size;
  out.uncompressed_size = current_.uncompressed_size;
  cached_ = out;
  cached_index_ = index;
  *info = out;
  return kZipOk;
}

ZipResult CZipReader::GetEntry(int index, ZipEntryInfo* info) {
  if (!info) return kZipBadArguments;
  info->index = 0;
  info->name[0] = '\0';
  info->uncompressed_size = 0;
  if (index == -1) {
    CloseEntryReader();
    open_index_ = -1;
    ZipEntryInfo count{};
    count.index = entries_;
    *info = count;
    return kZipOk;
  }
  if (index < -1 || index >= entries_) return kZipBadArguments;
  return ReadZipEntryInfo(index, info);
}

ZipResult CZipReader::FindEntry(const char* name, bool ignore_case, int* index, ZipEntryInfo* info) {
  auto not_found = [&]() {
    if (index) *index = -1;
    if (info) {
      *info = ZipEntryInfo{};
      info->index = -1;
    }
    return kZipNameNotFound;
  };
  if (!name || !*name) return not_found();
  const std::size_t want = std::strlen(name);
  if (want >= 256 || entries_ == 0) return not_found();
  GoToFirstEntry();
  for (int i = 0; i < entries_ && current_ok_; ++i) {
    if (i > 0) GoToNextEntry();
    if (!current_ok_) break;
    if (current_.name_length != want) continue;
    std::string stored;
    if (!ReadCurrentName(&stored, 255)) continue;
    bool equal = true;
    for (std::size_t k = 0; k < want && equal; ++k) {
      equal = ignore_case ? LowerAscii(stored[k]) == LowerAscii(name[k]) : stored[k] == name[k];
    }
    if (!equal) continue;
    CloseEntryReader();
    open_index_ = -1;
    if (index) *index = i;
    if (info) return GetEntry(i, info);
    return kZipOk;
  }
  return not_found();
}

bool CZipReader::OpenEntryReader() {
  CloseEntryReader();
  std::uint64_t data_offset = 0, extra_offset = 0;
  std::uint32_t extra_length = 0;
  if (!current_ok_ || !CheckLocalHeader(&data_offset, &extra_offset, &extra_length)) return false;
  std::unique_ptr<EntryReader> e(new EntryReader());
  e->data_pos = data_offset;
  e->compressed_left = current_.compressed_size;
  e->uncompressed_left = current_.uncompressed_size;
  e->expected_crc = current_.crc32;
  e->method = current_.method;
  e->encrypted = (current_.flags & 1u) != 0;
  e->crc = static_cast<std::uint32_t>(crc32(0L, Z_NULL, 0));
  if (e->method != 0) {
    if (inflateInit2(&e->strm, -MAX_WBITS) != Z_OK) return false;
    e->inflate_ready = true;
  }
  if (e->encrypted) {
    e->keys = MakeZipKeys(password_.c_str());
    e->header_left = kZipCryptHeaderSize;
    e->check_byte = (current_.flags & 0x0008u) ? static_cast<std::uint8_t>(current_.dos_date_time >> 8)
                                               : static_cast<std::uint8_t>(current_.crc32 >> 24);
  }
  entry_ = std::move(e);
  return true;
}

bool CZipReader::CloseEntryReader() {
  if (!entry_) return true;
  const bool ok = entry_->uncompressed_left != 0 || entry_->crc == entry_->expected_crc;
  entry_.reset();
  return ok;
}

ZipResult CZipReader::ReadEntryBytes(std::uint8_t* out, std::uint32_t n, std::uint32_t* count, bool* end) {
  *count = 0;
  *end = false;
  EntryReader* e = entry_.get();
  if (!e) return kZipBadArguments;
  const std::uint32_t want = n < e->uncompressed_left ? n : e->uncompressed_left;
  std::uint32_t produced = 0;

  auto fill = [&]() -> ZipResult {
    if (e->in_avail != 0) return kZipOk;
    if (e->compressed_left == 0) return kZipDataFailed;  // data ends before its declared size
    const std::uint32_t chunk = e->compressed_left < kInputBufferSize ? e->compressed_left : kInputBufferSize;
    if (!ReadExact(e->data_pos, e->input.get(), chunk)) return kZipReadFailed;
    if (e->encrypted) DecryptZipBytes(e->keys, e->input.get(), chunk);
    e->data_pos += chunk;
    e->compressed_left -= chunk;
    e->in_avail = chunk;
    e->in_pos = 0;
    return kZipOk;
  };

  while (e->header_left > 0) {
    const ZipResult r = fill();
    if (r != kZipOk) return r;
    const std::uint32_t skip = e->header_left < e->in_avail ? e->header_left : e->in_avail;
    const std::uint8_t last = e->input[e->in_pos + skip - 1];
    e->in_pos += skip;
    e->in_avail -= skip;
    e->header_left -= skip;
    if (e->header_left == 0 && last != e->check_byte) return kZipBadPassword;
  }

  while (produced < want) {
    if (e->in_avail == 0 && e->compressed_left > 0) {
      const ZipResult r = fill();
      if (r != kZipOk) return r;
    }
    if (e->method == 8) {
      z_stream& s = e->strm;
      s.next_in = e->input.get() + e->in_pos;
      s.avail_in = e->in_avail;
      s.next_out = out + produced;
      s.avail_out = want - produced;
      const int ret = inflate(&s, Z_SYNC_FLUSH);
      const std::uint32_t got = (want - produced) - s.avail_out;
      const std::uint32_t used = e->in_avail - s.avail_in;
      e->in_pos += used;
      e->in_avail -= used;
      if (got) e->crc = static_cast<std::uint32_t>(crc32(e->crc, out + produced, got));
      produced += got;
      e->uncompressed_left -= got;
      if (ret == Z_STREAM_END) {
        // A stream that ends before the declared size is damaged, not short.
        if (e->uncompressed_left != 0) return kZipDataFailed;
        break;
      }
      if (ret != Z_OK && ret != Z_BUF_ERROR) return kZipDataFailed;
      if (e->uncompressed_left == 0) break;
      if (got == 0 && used == 0 && e->in_avail == 0 && e->compressed_left == 0) return kZipDataFailed;
      if (got == 0 && used == 0 && e->in_avail != 0) return kZipDataFailed;  // no progress possible
    } else {
      if (e->in_avail == 0) return kZipDataFailed;  // stored data shorter than its size
      std::uint32_t take = want - produced;
      if (take > e->in_avail) take = e->in_avail;
      std::memcpy(out + produced, e->input.get() + e->in_pos, take);
      e->crc = static_cast<std::uint32_t>(crc32(e->crc, out + produced, take));
      e->in_pos += take;
      e->in_avail -= take;
      produced += take;
      e->uncompressed_left -= take;
    }
  }
  *count = produced;
  *end = e->uncompressed_left == 0;
  return kZipOk;
}

ZipResult CZipReader::UnzipToMemory(int index, void* buffer, std::uint32_t length, std::uint32_t* bytes_read) {
  if (bytes_read) *bytes_read = 0;
  if (!buffer) return kZipBadArguments;
  if (index != open_index_ || !entry_) {
    CloseEntryReader();
    open_index_ = -1;
    if (index < 0 || index >= entries_) return kZipBadArguments;
    if (!LocateEntry(index) || !OpenEntryReader()) return kZipDataFailed;
    open_index_ = index;
  }
  std::uint32_t count = 0;
  bool end = false;
  const ZipResult r = ReadEntryBytes(static_cast<std::uint8_t*>(buffer), length, &count, &end);
  if (bytes_read) *bytes_read = count;
  if (r != kZipOk || (count == 0 && !end)) {
    CloseEntryReader();
    open_index_ = -1;
    return r == kZipBadPassword ? kZipBadPassword : kZipDataFailed;
  }
  if (end) {
    // The call that reaches the end closes the entry and answers for its CRC.
    const bool crc_ok = CloseEntryReader();
    open_index_ = -1;
    return crc_ok ? kZipOk : kZipCorrupt;
  }
  return kZipMoreData;
}

bool CZipReader::CreateFolderPath(const std::string& base, const std::string& path) {
  if (!platform_) return false;
  bool ok = true;
  if (!base.empty()) {
    std::string b = base;
    while (b.size() > 1 && IsSep(b.back())) b.pop_back();
    ok = platform_->CreateFolder(b);
  }
  // Each level of path in turn, shortest first; a level that fails shows
  // in the levels below it, down to the last.
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (IsSep(path[i]) && i > 0) ok = platform_->CreateFolder(base + path.substr(0, i));
  }
  std::string full = path;
  while (!full.empty() && IsSep(full.back())) full.pop_back();
  if (!full.empty()) ok = platform_->CreateFolder(base + full);
  return ok;
}

ZipResult CZipReader::UnzipToFile(int index, const char* path) {
  CloseEntryReader();
  open_index_ = -1;
  if (index < 0 || index >= entries_ || !path || !platform_) return kZipBadArguments;
  ZipEntryInfo info{};
  const ZipResult r = ReadZipEntryInfo(index, &info);
  if (r != kZipOk) return r;
  const std::string rel = path;
  // Whatever the caller passes (usually the stored name), nothing is written
  // outside the base folder.
  if (!IsSafeRelativePath(rel) || base_dir_.size() + rel.size() > kMaxNameLength) {
    return kZipBadArguments;
  }
  if (info.attributes & kZipAttrDirectory) {
    // A folder that is there already is what was asked for; a file in its
    // place is not.
    return CreateFolderPath(base_dir_, rel) ? kZipOk : kZipNotFound;
  }
  std::size_t cut = rel.find_last_of("\\/");
  const std::string folder = cut == std::string::npos ? std::string() : rel.substr(0, cut + 1);
  const std::string file = cut == std::string::npos ? rel : rel.substr(cut + 1);
  if (file.empty()) return kZipBadArguments;
  // A missing folder shows when the file cannot be created.
  static_cast<void>(CreateFolderPath(base_dir_, folder));

  if (!LocateEntry(index)) return kZipDataFailed;
  std::unique_ptr<ExtractFile> out = platform_->CreateExtractFile(base_dir_ + rel, info.attributes);
  if (!out) return kZipNotFound;
  if (!OpenEntryReader()) {
    out->Discard();
    return kZipDataFailed;
  }
  if (!extract_buffer_) extract_buffer_.reset(new std::uint8_t[kInputBufferSize]);
  ZipResult result = kZipOk;
  for (;;) {
    std::uint32_t count = 0;
    bool end = false;
    const ZipResult rr = ReadEntryBytes(extract_buffer_.get(), kInputBufferSize, &count, &end);
    if (rr != kZipOk) {
      result = rr == kZipBadPassword ? kZipBadPassword : kZipDataFailed;
      break;
    }
    if (count > 0 && !out->Write(extract_buffer_.get(), count)) {
      result = kZipWriteFailed;
      break;
    }
    if (end) break;
    if (count == 0) {
      result = kZipDataFailed;
      break;
    }
  }
  const bool reached_end = entry_ && entry_->uncompressed_left == 0;
  const bool crc_ok = CloseEntryReader();
  if (result == kZipOk && (!reached_end || !crc_ok)) result = kZipCorrupt;
  if (result != kZipOk) {
    // No partial or unverified file is left behind.
    out->Discard();
    return result;
  }
  out->SetTimes(info.creation_time, info.access_time, info.write_time);
  if (!out->Commit()) return kZipWriteFailed;
  return kZipOk;
}

}  // namespace zip
