#include "zip/deflate.h"

#include <cstring>
#include <new>

namespace zip {

namespace {

constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 258;
constexpr unsigned kWindowHalf = 32768;  // dictionary size
constexpr unsigned kWindowSize = 2 * kWindowHalf;
constexpr unsigned kWindowMask = kWindowHalf - 1;
constexpr unsigned kMinLookahead = kMaxMatch + kMinMatch + 1;  // 262
constexpr unsigned kMaxDist = kWindowHalf - kMinLookahead;    // 32506
constexpr unsigned kTooFar = 4096;
constexpr unsigned kHashBits = 15;
constexpr unsigned kHashSize = 1u << kHashBits;
constexpr unsigned kHashMask = kHashSize - 1;
constexpr unsigned kHashShift = 5;
// The match scan may look up to a match length plus one 8-byte step past a
// position near the window's end; the slack keeps those reads in bounds.
constexpr unsigned kWindowSlack = kMaxMatch + 16;

constexpr int kMaxBits = 15;
constexpr int kMaxBlBits = 7;
constexpr int kLengthCodes = 29;
constexpr int kLiterals = 256;
constexpr int kEndBlock = 256;
constexpr int kLCodes = kLiterals + 1 + kLengthCodes;  // 286
constexpr int kDCodes = 30;
constexpr int kBlCodes = 19;
constexpr int kHeapSize = 2 * kLCodes + 1;  // 573
constexpr int kRep3To6 = 16;
constexpr int kRepZ3To10 = 17;
constexpr int kRepZ11To138 = 18;

constexpr unsigned kLitBufSize = 0x8000;
constexpr unsigned kDistBufSize = 0x8000;

constexpr int kStoredBlock = 0;
constexpr int kStaticTrees = 1;
constexpr int kDynTrees = 2;

constexpr int kExtraLBits[kLengthCodes] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr int kExtraDBits[kDCodes] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                      6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
constexpr int kExtraBlBits[kBlCodes] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 3, 7};
constexpr std::uint8_t kBlOrder[kBlCodes] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                             11, 4,  12, 3, 13, 2, 14, 1, 15};

// Frequency or code in fc, parent or bit length in dl.
struct TreeNode {
  std::uint16_t fc;
  std::uint16_t dl;
};

struct TreeDesc {
  TreeNode* dyn_tree;
  const TreeNode* static_tree;
  const int* extra_bits;
  int extra_base;
  int elems;
  int max_length;
  int max_code;
};

unsigned BitReverse(unsigned code, int len) {
  unsigned res = 0;
  do {
    res |= code & 1u;
    code >>= 1;
    res <<= 1;
  } while (--len > 0);
  return res >> 1;
}

inline std::uint64_t Load64(const std::uint8_t* p) {
  std::uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

inline std::uint16_t Load16(const std::uint8_t* p) {
  std::uint16_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

inline int TrailingZeroBytes(std::uint64_t x) {
  // Portable count of equal low-order bytes of a non-zero little-endian xor.
  int n = 0;
  while ((x & 0xFFu) == 0) {
    x >>= 8;
    ++n;
  }
  return n;
}

}  // namespace

struct DeflateStateData {
  // Trees.
  TreeNode dyn_ltree[kHeapSize];
  TreeNode dyn_dtree[2 * kDCodes + 1];
  TreeNode bl_tree[2 * kBlCodes + 1];
  TreeNode static_ltree[kLCodes + 2];
  TreeNode static_dtree[kDCodes];
  TreeDesc l_desc, d_desc, bl_desc;
  int heap[kHeapSize];
  int heap_len, heap_max;
  std::uint8_t depth[kHeapSize];
  std::uint16_t bl_count[kMaxBits + 1];

  // Lookup tables.
  std::uint8_t length_code[256];
  std::uint8_t dist_code[512];
  int base_length[kLengthCodes];
  int base_dist[kDCodes];

  // Block buffers.
  std::uint8_t l_buf[kLitBufSize];
  std::uint16_t d_buf[kDistBufSize];
  std::uint8_t flag_buf[kLitBufSize / 8];
  unsigned last_lit, last_dist, last_flags;
  std::uint8_t flags, flag_bit;

  std::uint64_t opt_len, static_len, compressed_len, bits_sent;

  // Bit output.
  std::uint32_t bi_buf;
  int bi_valid;
  std::uint8_t* out_buf;
  unsigned out_count, out_size;
  bool output_failed;

  // Window and hash chains.
  std::uint8_t window[kWindowSize + kWindowSlack];
  // Window positions are below 65536, so 16 bits hold them exactly; the
  // narrower chains halve the cache footprint of the match search.
  std::uint16_t prev[kWindowHalf];
  std::uint16_t head[kHashSize];
  unsigned ins_h;
  unsigned prev_length, match_start, strstart, lookahead;
  long block_start;
  bool eofile;
  unsigned max_chain_length, max_lazy_match, good_match, nice_match;

  DeflateIo io;
  const char* error;

  void Check(bool ok, const char* text) {
    if (!ok && !error) error = text;
  }

  // ---- bit output ----
  void FlushOut() {
    if (out_count == 0) return;
    if (output_failed) {
      // Keep within the buffer: bytes that cannot be written are dropped;
      // the entry fails anyway.
      out_count = 0;
      return;
    }
    unsigned count = out_count;
    io.output(io.context, out_buf, &count);
    if (count != 0) output_failed = true;
    out_count = 0;
  }
  void PutByte(unsigned b) {
    if (out_count >= out_size) FlushOut();
    out_buf[out_count++] = static_cast<std::uint8_t>(b);
  }
  void PutShort(unsigned w) {
    if (out_count >= out_size - 1) FlushOut();
    out_buf[out_count++] = static_cast<std::uint8_t>(w & 0xFFu);
    out_buf[out_count++] = static_cast<std::uint8_t>((w >> 8) & 0xFFu);
  }
  void SendBits(unsigned value, int length) {
    if (length < 1 || length > 15) {
      Check(false, "invalid length");
      return;
    }
    bits_sent += static_cast<unsigned>(length);
    bi_buf |= value << bi_valid;
    bi_valid += length;
    if (bi_valid > 16) {
      PutShort(bi_buf & 0xFFFFu);
      bi_buf >>= 16;
      bi_valid -= 16;
    }
  }
  void SendCode(int c, const TreeNode* tree) { SendBits(tree[c].fc, tree[c].dl); }
  void BiWindup() {
    if (bi_valid > 8) {
      PutShort(bi_buf & 0xFFFFu);
    } else if (bi_valid > 0) {
      PutByte(bi_buf & 0xFFu);
    }
    bi_buf = 0;
    bi_valid = 0;
    bits_sent = (bits_sent + 7) & ~static_cast<std::uint64_t>(7);
  }
  void CopyBlock(const std::uint8_t* buf, unsigned len) {
    BiWindup();
    PutShort(len & 0xFFFFu);
    PutShort(~len & 0xFFFFu);
    bits_sent += 32;
    // Stored data goes straight to the output rather than through the
    // buffer: flush what is buffered, then hand over the window bytes.
    FlushOut();
    if (len != 0 && !output_failed) {
      unsigned count = len;
      io.output(io.context, buf, &count);
      if (count != 0) output_failed = true;
    }
    bits_sent += static_cast<std::uint64_t>(len) << 3;
  }

  // ---- trees ----
  void InitBlock() {
    for (int n = 0; n < kLCodes; ++n) dyn_ltree[n].fc = 0;
    for (int n = 0; n < kDCodes; ++n) dyn_dtree[n].fc = 0;
    for (int n = 0; n < kBlCodes; ++n) bl_tree[n].fc = 0;
    dyn_ltree[kEndBlock].fc = 1;
    opt_len = static_len = 0;
    last_lit = last_dist = last_flags = 0;
    flags = 0;
    flag_bit = 1;
  }

  void GenCodes(TreeNode* tree, int max_code) {
    std::uint16_t next_code[kMaxBits + 1];
    unsigned code = 0;
    for (int bits = 1; bits <= kMaxBits; ++bits) {
      code = ((code + bl_count[bits - 1]) << 1) & 0xFFFFu;
      next_code[bits] = static_cast<std::uint16_t>(code);
    }
    Check(code + bl_count[kMaxBits] - 1 == (1u << kMaxBits) - 1, "inconsistent bit counts");
    for (int n = 0; n <= max_code; ++n) {
      const int len = tree[n].dl;
      if (len == 0) continue;
      tree[n].fc = static_cast<std::uint16_t>(BitReverse(next_code[len]++, len));
    }
  }

  void Init() {
    int length = 0;
    int code;
    for (code = 0; code < kLengthCodes - 1; ++code) {
      base_length[code] = length;
      for (int n = 0; n < (1 << kExtraLBits[code]); ++n) {
        if (length < 256) length_code[length] = static_cast<std::uint8_t>(code);
        ++length;
      }
    }
    Check(length == 256, "ct_init: length != 256");
    base_length[kLengthCodes - 1] = 0;
    // Length 258 has its own code; it overwrites the last entry of code 27.
    length_code[255] = static_cast<std::uint8_t>(code);

    int dist = 0;
    for (code = 0; code < 16; ++code) {
      base_dist[code] = dist;
      for (int n = 0; n < (1 << kExtraDBits[code]); ++n) {
        if (dist < 256) dist_code[dist] = static_cast<std::uint8_t>(code);
        ++dist;
      }
    }
    Check(dist == 256, "ct_init: dist != 256");
    dist >>= 7;
    for (; code < kDCodes; ++code) {
      base_dist[code] = dist << 7;
      for (int n = 0; n < (1 << (kExtraDBits[code] - 7)); ++n) {
        if (dist < 256) dist_code[256 + dist] = static_cast<std::uint8_t>(code);
        ++dist;
      }
    }
    Check(dist == 256, "ct_init: 256+dist != 512");

    for (int bits = 0; bits <= kMaxBits; ++bits) bl_count[bits] = 0;
    int n = 0;
    while (n <= 143) static_ltree[n++].dl = 8, bl_count[8]++;
    while (n <= 255) static_ltree[n++].dl = 9, bl_count[9]++;
    while (n <= 279) static_ltree[n++].dl = 7, bl_count[7]++;
    while (n <= 287) static_ltree[n++].dl = 8, bl_count[8]++;
    GenCodes(static_ltree, kLCodes + 1);
    for (n = 0; n < kDCodes; ++n) {
      static_dtree[n].dl = 5;
      static_dtree[n].fc = static_cast<std::uint16_t>(BitReverse(static_cast<unsigned>(n), 5));
    }

    l_desc = {dyn_ltree, static_ltree, kExtraLBits, kLiterals + 1, kLCodes, kMaxBits, 0};
    d_desc = {dyn_dtree, static_dtree, kExtraDBits, 0, kDCodes, kMaxBits, 0};
    bl_desc = {bl_tree, nullptr, kExtraBlBits, 0, kBlCodes, kMaxBlBits, 0};
    InitBlock();
  }

  bool Smaller(const TreeNode* tree, int n, int m) const {
    return tree[n].fc < tree[m].fc || (tree[n].fc == tree[m].fc && depth[n] <= depth[m]);
  }

  void PqDownHeap(const TreeNode* tree, int k) {
    const int v = heap[k];
    int j = k << 1;
    while (j <= heap_len) {
      if (j < heap_len && Smaller(tree, heap[j + 1], heap[j])) ++j;
      if (Smaller(tree, v, heap[j])) break;
      heap[k] = heap[j];
      k = j;
      j <<= 1;
    }
    heap[k] = v;
  }

  void GenBitLen(TreeDesc& desc) {
    TreeNode* tree = desc.dyn_tree;
    const int* extra = desc.extra_bits;
    const int base = desc.extra_base;
    const int max_code = desc.max_code;
    const int max_length = desc.max_length;
    const TreeNode* stree = desc.static_tree;
    int overflow = 0;

    for (int bits = 0; bits <= kMaxBits; ++bits) bl_count[bits] = 0;
    tree[heap[heap_max]].dl = 0;  // root
    int h;
    for (h = heap_max + 1; h < kHeapSize; ++h) {
      const int n = heap[h];
      int bits = tree[tree[n].dl].dl + 1;
      if (bits > max_length) bits = max_length, ++overflow;
      tree[n].dl = static_cast<std::uint16_t>(bits);
      if (n > max_code) continue;  // not a leaf
      bl_count[bits]++;
      int xbits = 0;
      if (n >= base) xbits = extra[n - base];
      const std::uint64_t f = tree[n].fc;
      opt_len += f * static_cast<unsigned>(bits + xbits);
      if (stree) static_len += f * static_cast<unsigned>(stree[n].dl + xbits);
    }
    if (overflow == 0) return;

    // Move leaves from the longest allowed length one level down, two
    // overflow units at a time, until the lengths fit the limit.
    do {
      int bits = max_length - 1;
      while (bl_count[bits] == 0) --bits;
      bl_count[bits]--;
      bl_count[bits + 1] = static_cast<std::uint16_t>(bl_count[bits + 1] + 2);
      bl_count[max_length]--;
      overflow -= 2;
    } while (overflow > 0);

    for (int bits = max_length; bits != 0; --bits) {
      int n = bl_count[bits];
      while (n != 0) {
        const int m = heap[--h];
        if (m > max_code) continue;
        if (tree[m].dl != static_cast<unsigned>(bits)) {
          opt_len += static_cast<std::uint64_t>(
              (static_cast<std::int64_t>(bits) - tree[m].dl) * static_cast<std::int64_t>(tree[m].fc));
          tree[m].dl = static_cast<std::uint16_t>(bits);
        }
        --n;
      }
    }
  }

  void BuildTree(TreeDesc& desc) {
    TreeNode* tree = desc.dyn_tree;
    const TreeNode* stree = desc.static_tree;
    const int elems = desc.elems;
    int max_code = -1;
    int node = elems;

    heap_len = 0;
    heap_max = kHeapSize;
    for (int n = 0; n < elems; ++n) {
      if (tree[n].fc != 0) {
        heap[++heap_len] = max_code = n;
        depth[n] = 0;
      } else {
        tree[n].dl = 0;
      }
    }
    // At least two codes of non-zero frequency, so every code has a length.
    while (heap_len < 2) {
      const int added = heap[++heap_len] = (max_code < 2 ? ++max_code : 0);
      tree[added].fc = 1;
      depth[added] = 0;
      opt_len--;
      if (stree) static_len -= stree[added].dl;
    }
    desc.max_code = max_code;

    for (int n = heap_len / 2; n >= 1; --n) PqDownHeap(tree, n);

    do {
      const int n = heap[1];
      heap[1] = heap[heap_len--];
      PqDownHeap(tree, 1);
      const int m = heap[1];
      heap[--heap_max] = n;
      heap[--heap_max] = m;
      tree[node].fc = static_cast<std::uint16_t>(tree[n].fc + tree[m].fc);
      depth[node] = static_cast<std::uint8_t>((depth[n] >= depth[m] ? depth[n] : depth[m]) + 1);
      tree[n].dl = tree[m].dl = static_cast<std::uint16_t>(node);
      heap[1] = node++;
      PqDownHeap(tree, 1);
    } while (heap_len >= 2);
    heap[--heap_max] = heap[1];

    GenBitLen(desc);
    GenCodes(tree, max_code);
  }

  // Longest and shortest run worth a repeat code for the lengths that
  // follow a length prev (-1 before the first): zeros repeat up to 138
  // times, a repeated length up to 6, a new length is sent once and then
  // repeated up to 6 more times.
  struct RunLimits {
    int max;
    int min;
  };
  static RunLimits RunLimitsBefore(int prev, int next) {
    if (next == 0) return {138, 3};
    if (prev == next) return {6, 3};
    return {7, 4};
  }

  void ScanTree(TreeNode* tree, int max_code) {
    int prevlen = -1;
    int nextlen = tree[0].dl;
    int count = 0;
    RunLimits limits = RunLimitsBefore(-1, nextlen);
    tree[max_code + 1].dl = 0xFFFF;  // guard
    for (int n = 0; n <= max_code; ++n) {
      const int curlen = nextlen;
      nextlen = tree[n + 1].dl;
      if (++count < limits.max && curlen == nextlen) continue;
      if (count < limits.min) {
        bl_tree[curlen].fc = static_cast<std::uint16_t>(bl_tree[curlen].fc + count);
      } else if (curlen != 0) {
        if (curlen != prevlen) bl_tree[curlen].fc++;
        bl_tree[kRep3To6].fc++;
      } else if (count <= 10) {
        bl_tree[kRepZ3To10].fc++;
      } else {
        bl_tree[kRepZ11To138].fc++;
      }
      count = 0;
      prevlen = curlen;
      limits = RunLimitsBefore(curlen, nextlen);
    }
  }

  void SendTree(const TreeNode* tree, int max_code) {
    int prevlen = -1;
    int nextlen = tree[0].dl;
    int count = 0;
    RunLimits limits = RunLimitsBefore(-1, nextlen);
    for (int n = 0; n <= max_code; ++n) {
      const int curlen = nextlen;
      nextlen = tree[n + 1].dl;
      if (++count < limits.max && curlen == nextlen) continue;
      if (count < limits.min) {
        do {
          SendCode(curlen, bl_tree);
        } while (--count != 0);
      } else if (curlen != 0) {
        if (curlen != prevlen) {
          SendCode(curlen, bl_tree);
          --count;
        }
        Check(count >= 3 && count <= 6, " 3_6?");
        SendCode(kRep3To6, bl_tree);
        SendBits(static_cast<unsigned>(count - 3), 2);
      } else if (count <= 10) {
        SendCode(kRepZ3To10, bl_tree);
        SendBits(static_cast<unsigned>(count - 3), 3);
      } else {
        SendCode(kRepZ11To138, bl_tree);
        SendBits(static_cast<unsigned>(count - 11), 7);
      }
      count = 0;
      prevlen = curlen;
      limits = RunLimitsBefore(curlen, nextlen);
    }
  }

  int BuildBlTree() {
    ScanTree(dyn_ltree, l_desc.max_code);
    ScanTree(dyn_dtree, d_desc.max_code);
    BuildTree(bl_desc);
    int max_blindex;
    for (max_blindex = kBlCodes - 1; max_blindex >= 3; --max_blindex) {
      if (bl_tree[kBlOrder[max_blindex]].dl != 0) break;
    }
    opt_len += 3u * static_cast<unsigned>(max_blindex + 1) + 5 + 5 + 4;
    return max_blindex;
  }

  void SendAllTrees(int lcodes, int dcodes, int blcodes) {
    Check(lcodes >= 257 && dcodes >= 1 && blcodes >= 4, "not enough codes");
    Check(lcodes <= kLCodes && dcodes <= kDCodes && blcodes <= kBlCodes, "too many codes");
    SendBits(static_cast<unsigned>(lcodes - 257), 5);
    SendBits(static_cast<unsigned>(dcodes - 1), 5);
    SendBits(static_cast<unsigned>(blcodes - 4), 4);
    for (int rank = 0; rank < blcodes; ++rank) SendBits(bl_tree[kBlOrder[rank]].dl, 3);
    SendTree(dyn_ltree, lcodes - 1);
    SendTree(dyn_dtree, dcodes - 1);
  }

  unsigned DCode(unsigned dist) const {
    return dist < 256 ? dist_code[dist] : dist_code[256 + (dist >> 7)];
  }

  void CompressBlock(const TreeNode* ltree, const TreeNode* dtree) {
    unsigned lx = 0, dx = 0, fx = 0;
    unsigned flag = 0;
    if (last_lit != 0) {
      do {
        if ((lx & 7) == 0) flag = flag_buf[fx++];
        unsigned lc = l_buf[lx++];
        if ((flag & 1) == 0) {
          SendCode(static_cast<int>(lc), ltree);
        } else {
          unsigned code = length_code[lc];
          SendCode(static_cast<int>(code) + kLiterals + 1, ltree);
          int extra = kExtraLBits[code];
          if (extra != 0) {
            lc -= static_cast<unsigned>(base_length[code]);
            SendBits(lc, extra);
          }
          unsigned dist = d_buf[dx++];
          code = DCode(dist);
          if (code >= kDCodes) {
            Check(false, "bad d_code");
            code = kDCodes - 1;
          }
          SendCode(static_cast<int>(code), dtree);
          extra = kExtraDBits[code];
          if (extra != 0) {
            dist -= static_cast<unsigned>(base_dist[code]);
            SendBits(dist, extra);
          }
        }
        flag >>= 1;
      } while (lx < last_lit);
    }
    SendCode(kEndBlock, ltree);
  }

  void FlushBlock(const std::uint8_t* buf, std::uint64_t stored_len, bool eof) {
    flag_buf[last_flags] = flags;
    BuildTree(l_desc);
    BuildTree(d_desc);
    const int max_blindex = BuildBlTree();

    std::uint64_t opt_lenb = (opt_len + 3 + 7) >> 3;
    const std::uint64_t static_lenb = (static_len + 3 + 7) >> 3;
    if (static_lenb <= opt_lenb) opt_lenb = static_lenb;

    const unsigned last = eof ? 1u : 0u;
    if (stored_len + 4 <= opt_lenb && buf != nullptr && stored_len <= 0xFFFF) {
      SendBits((kStoredBlock << 1) + last, 3);
      compressed_len = (compressed_len + 3 + 7) & ~static_cast<std::uint64_t>(7);
      compressed_len += (stored_len + 4) << 3;
      CopyBlock(buf, static_cast<unsigned>(stored_len));
    } else if (static_lenb == opt_lenb) {
      SendBits((kStaticTrees << 1) + last, 3);
      CompressBlock(static_ltree, static_dtree);
      compressed_len += 3 + static_len;
    } else {
      SendBits((kDynTrees << 1) + last, 3);
      SendAllTrees(l_desc.max_code + 1, d_desc.max_code + 1, max_blindex + 1);
      CompressBlock(dyn_ltree, dyn_dtree);
      compressed_len += 3 + opt_len;
    }
    Check(compressed_len == bits_sent, "bad compressed size");
    InitBlock();
    if (eof) {
      BiWindup();
      compressed_len += 7;
    }
  }

  // Returns true when the block should be flushed.
  bool Tally(unsigned dist, unsigned lc) {
    l_buf[last_lit++] = static_cast<std::uint8_t>(lc);
    if (dist == 0) {
      dyn_ltree[lc].fc++;
    } else {
      --dist;
      const unsigned dcode = DCode(dist);
      if (dist >= kMaxDist || lc > kMaxMatch - kMinMatch || dcode >= kDCodes) {
        Check(false, "ct_tally: bad match");
      } else {
        dyn_ltree[length_code[lc] + kLiterals + 1].fc++;
        dyn_dtree[dcode].fc++;
      }
      d_buf[last_dist++] = static_cast<std::uint16_t>(dist);
      flags = static_cast<std::uint8_t>(flags | flag_bit);
    }
    flag_bit = static_cast<std::uint8_t>(flag_bit << 1);
    if ((last_lit & 7) == 0) {
      flag_buf[last_flags++] = flags;
      flags = 0;
      flag_bit = 1;
    }
    if ((last_lit & 0xFFF) == 0) {
      // A block of mostly literals that already compresses well is ended
      // early so the next one can get trees of its own.
      std::uint64_t out_length = static_cast<std::uint64_t>(last_lit) * 8;
      const std::uint64_t in_length = static_cast<std::uint64_t>(static_cast<long>(strstart) - block_start);
      for (int dcode = 0; dcode < kDCodes; ++dcode) {
        out_length += static_cast<std::uint64_t>(dyn_dtree[dcode].fc) *
                      static_cast<unsigned>(5 + kExtraDBits[dcode]);
      }
      out_length >>= 3;
      if (last_dist < last_lit / 2 && out_length < in_length / 2) return true;
    }
    return last_lit == kLitBufSize - 1 || last_dist == kDistBufSize;
  }

  // ---- matching ----
  void InsertString(unsigned pos) {
    ins_h = ((ins_h << kHashShift) ^ window[pos + kMinMatch - 1]) & kHashMask;
    prev[pos & kWindowMask] = head[ins_h];
    head[ins_h] = static_cast<std::uint16_t>(pos);
  }

  unsigned LongestMatch(unsigned cur_match) {
    // Locals throughout: stores to the byte buffers may alias any member, so
    // members read inside the loop would be reloaded on every candidate.
    const std::uint8_t* const win = window;
    const std::uint16_t* const chain = prev;
    const unsigned start = strstart;
    const unsigned nice = nice_match;
    const std::uint8_t* const scan = win + start;
    unsigned chain_length = max_chain_length;
    unsigned best_len = prev_length;
    unsigned best_start = match_start;
    const unsigned limit = start > kMaxDist ? start - kMaxDist : 0;
    if (prev_length >= good_match) chain_length >>= 2;
    if (start > kWindowSize - kMinLookahead && !eofile) Check(false, "insufficient lookahead");
    std::uint16_t scan_end = Load16(scan + best_len - 1);
    const std::uint16_t scan_start = Load16(scan);

    unsigned next_match;
    do {
      if (cur_match >= start) {
        Check(false, "no future");
        break;
      }
      // Fetch the next link now: its load overlaps with the comparison.
      next_match = chain[cur_match & kWindowMask];
      const std::uint8_t* match = win + cur_match;
      if (Load16(match + best_len - 1) != scan_end || Load16(match) != scan_start) continue;
      // Compare eight bytes per step; the window's slack keeps the reads
      // inside the buffer, and the length is limited afterwards.
      unsigned len = 2;
      for (;;) {
        const std::uint64_t diff = Load64(scan + len) ^ Load64(match + len);
        if (diff != 0) {
          len += static_cast<unsigned>(TrailingZeroBytes(diff));
          break;
        }
        len += 8;
        if (len >= static_cast<unsigned>(kMaxMatch)) break;
      }
      if (len > static_cast<unsigned>(kMaxMatch)) len = kMaxMatch;
      if (len > best_len) {
        if (start + len > kWindowSize + kWindowSlack - 8) Check(false, "wild scan");
        best_start = cur_match;
        best_len = len;
        if (len >= nice) break;
        scan_end = Load16(scan + best_len - 1);
      }
    } while ((cur_match = next_match) > limit && --chain_length != 0);
    match_start = best_start;
    return best_len;
  }

  int ReadInput(std::uint8_t* buf, unsigned count) { return io.input(io.context, buf, count); }

  void FillWindow() {
    do {
      unsigned more = kWindowSize - lookahead - strstart;
      if (strstart >= kWindowHalf + kMaxDist) {
        std::memcpy(window, window + kWindowHalf, kWindowHalf);
        match_start -= kWindowHalf;
        strstart -= kWindowHalf;
        block_start -= static_cast<long>(kWindowHalf);
        for (unsigned n = 0; n < kHashSize; ++n) {
          const unsigned m = head[n];
          head[n] = static_cast<std::uint16_t>(m >= kWindowHalf ? m - kWindowHalf : 0);
        }
        for (unsigned n = 0; n < kWindowHalf; ++n) {
          const unsigned m = prev[n];
          prev[n] = static_cast<std::uint16_t>(m >= kWindowHalf ? m - kWindowHalf : 0);
        }
        more += kWindowHalf;
      }
      if (eofile) return;
      if (more < 2) Check(false, "more < 2");
      const int n = ReadInput(window + strstart + lookahead, more);
      if (n <= 0) {
        eofile = true;
        // Bytes past the input must not extend a match by chance.
        std::memset(window + strstart + lookahead, 0, kMinMatch - 1);
      } else {
        lookahead += static_cast<unsigned>(n);
      }
    } while (lookahead < kMinLookahead && !eofile);
  }

  void FlushBlockHere(bool eof) {
    const std::uint8_t* buf = block_start >= 0 ? window + block_start : nullptr;
    FlushBlock(buf, static_cast<std::uint64_t>(static_cast<long>(strstart) - block_start), eof);
  }

  void Run() {
    // Level 8.
    good_match = 32;
    max_lazy_match = 128;
    nice_match = kMaxMatch;
    max_chain_length = 1024;

    std::memset(head, 0, sizeof head);
    std::memset(window + kWindowSize, 0, kWindowSlack);
    strstart = 0;
    block_start = 0;
    match_start = 0;
    prev_length = kMinMatch - 1;
    eofile = false;
    lookahead = 0;

    const int n = ReadInput(window, kWindowSize);
    if (n <= 0) {
      eofile = true;
      lookahead = 0;
      std::memset(window, 0, kMinMatch - 1);
    } else {
      lookahead = static_cast<unsigned>(n);
      while (lookahead < kMinLookahead && !eofile) FillWindow();
    }
    ins_h = ((static_cast<unsigned>(window[0]) << kHashShift) ^ window[1]) & kHashMask;

    unsigned hash_head = 0;
    bool match_available = false;
    unsigned match_length = kMinMatch - 1;

    while (lookahead != 0) {
      hash_head = 0;
      if (lookahead >= static_cast<unsigned>(kMinMatch)) {
        ins_h = ((ins_h << kHashShift) ^ window[strstart + kMinMatch - 1]) & kHashMask;
        hash_head = head[ins_h];
        prev[strstart & kWindowMask] = static_cast<std::uint16_t>(hash_head);
        head[ins_h] = static_cast<std::uint16_t>(strstart);
      }
      prev_length = match_length;
      const unsigned prev_match = match_start;
      match_length = kMinMatch - 1;

      if (hash_head != 0 && prev_length < max_lazy_match && strstart - hash_head <= kMaxDist) {
        if (nice_match > lookahead) nice_match = lookahead;
        match_length = LongestMatch(hash_head);
        if (match_length > lookahead) match_length = lookahead;
        if (match_length == static_cast<unsigned>(kMinMatch) && strstart - match_start > kTooFar) {
          match_length = kMinMatch - 1;
        }
      }

      if (prev_length >= static_cast<unsigned>(kMinMatch) && match_length <= prev_length) {
        const unsigned max_insert = strstart + lookahead - kMinMatch;
        const bool flush = Tally(strstart - 1 - prev_match, prev_length - kMinMatch);
        lookahead -= prev_length - 1;
        prev_length -= 2;
        do {
          ++strstart;
          if (strstart <= max_insert) InsertString(strstart);
        } while (--prev_length != 0);
        ++strstart;
        match_available = false;
        match_length = kMinMatch - 1;
        if (flush) {
          FlushBlockHere(false);
          block_start = static_cast<long>(strstart);
        }
      } else if (match_available) {
        if (Tally(0, window[strstart - 1])) {
          FlushBlockHere(false);
          block_start = static_cast<long>(strstart);
        }
        ++strstart;
        --lookahead;
      } else {
        match_available = true;
        ++strstart;
        --lookahead;
      }
      if (lookahead < kMinLookahead && !eofile) FillWindow();
    }
    if (match_available) Tally(0, window[strstart - 1]);
    FlushBlockHere(true);
    FlushOut();
  }
};

DeflateState::DeflateState() : d_(new DeflateStateData()) {}
DeflateState::DeflateState(std::unique_ptr<DeflateStateData> d) noexcept : d_(std::move(d)) {}

std::unique_ptr<DeflateState> DeflateState::Create() noexcept {
  std::unique_ptr<DeflateStateData> d(new (std::nothrow) DeflateStateData());
  if (!d) return nullptr;
  return std::unique_ptr<DeflateState>(new (std::nothrow) DeflateState(std::move(d)));
}
DeflateState::~DeflateState() = default;

ZipResult DeflateState::Compress(const DeflateIo& io, std::uint8_t* out_buffer, unsigned out_size) {
  DeflateStateData& s = *d_;
  s.io = io;
  s.error = nullptr;
  s.out_buf = out_buffer;
  s.out_size = out_size;
  s.out_count = 0;
  s.output_failed = false;
  s.bi_buf = 0;
  s.bi_valid = 0;
  s.compressed_len = 0;
  s.bits_sent = 0;
  if (!io.input || !io.output || !out_buffer || out_size < 16) return kZipDataFailed;
  s.Init();
  s.Run();
  return (s.error || s.output_failed) ? kZipDataFailed : kZipOk;
}

const char* DeflateState::ErrorText() const noexcept { return d_->error; }
bool DeflateState::OutputFailed() const noexcept { return d_->output_failed; }

}  // namespace zip
