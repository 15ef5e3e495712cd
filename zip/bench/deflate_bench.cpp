// Compares the Deflate compressor with zlib at the same settings (level 8,
// 32 KB window, memLevel 8, raw stream): compressed size and speed on the
// project's sources, files under /usr/share and generated data.
// Usage: zip_deflate_bench [source-root] [max-MB-from-/usr/share]
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "zip/deflate.h"

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

void AppendFile(const fs::path& p, Bytes* out) {
  std::ifstream f(p, std::ios::binary);
  out->insert(out->end(), std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

Bytes Collect(const fs::path& root, std::size_t limit, bool sources_only) {
  Bytes out;
  std::vector<fs::path> files;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec), end;
       it != end; it.increment(ec)) {
    if (ec) break;
    const fs::path& p = it->path();
    if (sources_only && it->is_directory(ec) &&
        (p.filename() == "build" || p.filename() == ".git" || p.filename() == "corpus")) {
      it.disable_recursion_pending();
      continue;
    }
    if (!it->is_regular_file(ec) || it->is_symlink(ec)) continue;
    const std::string ext = p.extension().string();
    if (sources_only) {
      if (ext != ".cpp" && ext != ".h" && ext != ".txt" && ext != ".cmake" && ext != ".md" && ext != ".sh" &&
          ext != ".json" && ext != ".def") {
        continue;
      }
    } else if (ext == ".gz" || ext == ".xz" || ext == ".bz2" || ext == ".zip" || ext == ".png" || ext == ".jpg") {
      continue;  // already compressed
    }
    files.push_back(p);
  }
  std::sort(files.begin(), files.end());
  for (const fs::path& p : files) {
    if (out.size() >= limit) break;
    AppendFile(p, &out);
  }
  if (out.size() > limit) out.resize(limit);
  return out;
}

struct Reader {
  const Bytes* in;
  std::size_t pos;
  Bytes out;
};

int Input(void* c, std::uint8_t* buf, unsigned count) {
  auto* r = static_cast<Reader*>(c);
  std::size_t n = std::min<std::size_t>(count, r->in->size() - r->pos);
  if (n) std::memcpy(buf, r->in->data() + r->pos, n);
  r->pos += n;
  return static_cast<int>(n);
}

void Output(void* c, const std::uint8_t* buf, unsigned* count) {
  auto* r = static_cast<Reader*>(c);
  r->out.insert(r->out.end(), buf, buf + *count);
  *count = 0;
}

template <typename F>
double BestSeconds(F&& f, int runs) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    best = std::min(best, s);
  }
  return best;
}

struct Figures {
  std::size_t ours_size, zlib_size;
  double ours_mbs, zlib_mbs;
  bool round_trip;
};

Figures Measure(const Bytes& data) {
  Figures f{};
  zip::DeflateState state;
  Bytes outbuf(16384);
  Reader r{&data, 0, {}};
  const double ours = BestSeconds(
      [&] {
        r.pos = 0;
        r.out.clear();
        if (state.Compress({&Input, &Output, &r}, outbuf.data(), 16384) != kZipOk) std::abort();
      },
      3);
  f.ours_size = r.out.size();

  Bytes zout(deflateBound(nullptr, data.size()) + 1024);
  std::size_t zsize = 0;
  const double theirs = BestSeconds(
      [&] {
        z_stream s{};
        deflateInit2(&s, 8, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
        s.next_in = const_cast<Bytef*>(data.data());
        s.avail_in = static_cast<uInt>(data.size());
        s.next_out = zout.data();
        s.avail_out = static_cast<uInt>(zout.size());
        if (deflate(&s, Z_FINISH) != Z_STREAM_END) std::abort();
        zsize = s.total_out;
        deflateEnd(&s);
      },
      3);
  f.zlib_size = zsize;
  const double mb = static_cast<double>(data.size()) / 1e6;
  f.ours_mbs = mb / ours;
  f.zlib_mbs = mb / theirs;

  // The stream must inflate back to the input.
  Bytes back(data.size() + 1);
  z_stream s{};
  inflateInit2(&s, -15);
  s.next_in = r.out.data();
  s.avail_in = static_cast<uInt>(r.out.size());
  s.next_out = back.data();
  s.avail_out = static_cast<uInt>(back.size());
  const int ret = inflate(&s, Z_FINISH);
  f.round_trip = ret == Z_STREAM_END && s.total_out == data.size() &&
                 std::memcmp(back.data(), data.data(), data.size()) == 0;
  inflateEnd(&s);
  return f;
}

Bytes GeneratedText(std::size_t n) {
  static const char* const kWords[] = {"scroll ", "window ", "profile ", "wheel ", "the ", "drag ",
                                       "button ", "speed\n", "and ", "of ", "to ", "message "};
  std::mt19937 rng(1);
  Bytes v;
  while (v.size() < n) {
    const char* w = kWords[rng() % 12];
    v.insert(v.end(), w, w + std::strlen(w));
  }
  v.resize(n);
  return v;
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path root = argc > 1 ? fs::path(argv[1]) : fs::current_path();
  const std::size_t share_mb = argc > 2 ? static_cast<std::size_t>(std::atoi(argv[2])) : 32;

  std::vector<std::pair<std::string, Bytes>> corpora;
  corpora.emplace_back("project sources", Collect(root, 64u << 20, true));
  corpora.emplace_back("/usr/share/doc", Collect("/usr/share/doc", share_mb << 20, false));
  corpora.emplace_back("/usr/share/perl", Collect("/usr/share/perl", share_mb << 20, false));
  corpora.emplace_back("generated text", GeneratedText(16u << 20));
  {
    std::mt19937 rng(2);
    Bytes random(8u << 20);
    for (auto& b : random) b = static_cast<std::uint8_t>(rng());
    corpora.emplace_back("random bytes", std::move(random));
  }
  {
    Bytes rep(16u << 20);
    for (std::size_t i = 0; i < rep.size(); ++i) rep[i] = static_cast<std::uint8_t>("abcabcabd"[i % 9]);
    corpora.emplace_back("repetitive", std::move(rep));
  }

  std::printf("%-16s %10s | %10s %9s | %10s %9s | %8s %8s\n", "corpus", "input", "ours", "MB/s", "zlib",
              "MB/s", "size", "speed");
  bool all_ok = true;
  std::size_t in_total = 0, ours_total = 0, zlib_total = 0;
  double ours_time = 0, zlib_time = 0;
  for (const auto& c : corpora) {
    if (c.second.empty()) continue;
    const Figures f = Measure(c.second);
    all_ok = all_ok && f.round_trip;
    const double mb = static_cast<double>(c.second.size()) / 1e6;
    in_total += c.second.size();
    ours_total += f.ours_size;
    zlib_total += f.zlib_size;
    ours_time += mb / f.ours_mbs;
    zlib_time += mb / f.zlib_mbs;
    std::printf("%-16s %10zu | %10zu %9.1f | %10zu %9.1f | %+7.2f%% %7.2fx%s\n", c.first.c_str(), c.second.size(),
                f.ours_size, f.ours_mbs, f.zlib_size, f.zlib_mbs,
                100.0 * (static_cast<double>(f.ours_size) / static_cast<double>(f.zlib_size) - 1.0),
                f.ours_mbs / f.zlib_mbs, f.round_trip ? "" : "  ROUND TRIP FAILED");
  }
  const double mb = static_cast<double>(in_total) / 1e6;
  std::printf("%-16s %10zu | %10zu %9.1f | %10zu %9.1f | %+7.2f%% %7.2fx\n", "all", in_total, ours_total,
              mb / ours_time, zlib_total, mb / zlib_time,
              100.0 * (static_cast<double>(ours_total) / static_cast<double>(zlib_total) - 1.0),
              zlib_time / ours_time);
  return all_ok ? 0 : 1;
}
