#include "framework/text/text_table.h"

#include <cstring>

namespace {

std::uint16_t RecordId(const unsigned char* record) noexcept {
  std::uint32_t id;
  std::memcpy(&id, record, sizeof id);
  return static_cast<std::uint16_t>(id & 0xFFFFu);
}

}  // namespace

int SortTextTable(void* table, std::size_t recordSize) noexcept {
  if (table == nullptr || recordSize < sizeof(std::uint32_t)) return 0;
  auto* base = static_cast<unsigned char*>(table);
  int count = 0;
  while (RecordId(base + static_cast<std::size_t>(count) * recordSize) != kTextTableEnd) ++count;

  // An exchange sort: the tables are small and sorted once, and the records
  // are moved byte-wise so that any stride works.
  unsigned char swap[sizeof(TextRecord)];
  for (int i = 0; i < count; ++i) {
    unsigned char* a = base + static_cast<std::size_t>(i) * recordSize;
    for (int j = i + 1; j < count; ++j) {
      unsigned char* b = base + static_cast<std::size_t>(j) * recordSize;
      if (RecordId(b) >= RecordId(a)) continue;
      for (std::size_t done = 0; done < recordSize; done += sizeof swap) {
        const std::size_t n = recordSize - done < sizeof swap ? recordSize - done : sizeof swap;
        std::memcpy(swap, a + done, n);
        std::memcpy(a + done, b + done, n);
        std::memcpy(b + done, swap, n);
      }
    }
  }
  return count;
}

TextRecord* FindTextRecord(TextRecord* table, int count, std::uint16_t id) noexcept {
  if (table == nullptr || count <= 0) return nullptr;
  int low = 0;
  int high = count - 1;
  // Narrow until the ends are adjacent (or equal), then look at both: every
  // record between them has been excluded by then.
  while (high - low > 1) {
    const int middle = low + (high - low + 1) / 2;
    if (id < static_cast<std::uint16_t>(table[middle].id & 0xFFFFu)) {
      high = middle;
    } else {
      low = middle;
    }
  }
  if (static_cast<std::uint16_t>(table[low].id & 0xFFFFu) == id) return &table[low];
  if (static_cast<std::uint16_t>(table[high].id & 0xFFFFu) == id) return &table[high];
  return nullptr;
}

void CTextTable::InitTextTable() noexcept {
  languageName_[0] = "English";
  languageName_[1] = "Deutsch";
  for (int i = 0; i < kTextLanguageCount; ++i) {
    productTable_[i] = nullptr;
    productCounts_[i] = 0;
    frameworkTable_[i] = nullptr;
  }
  productCount_ = 0;
  frameworkTable_[0] = FrameworkTextTable();
  frameworkCount_ = SortTextTable(frameworkTable_[0], sizeof(TextRecord));
}

std::uint32_t CTextTable::SetTextTable(unsigned language, TextRecord* table) noexcept {
  if (language >= static_cast<unsigned>(kTextLanguageCount)) return kStatusNoSuchLanguage;
  if (table == nullptr) table = productTable_[0];
  if (productTable_[language] != nullptr) return kStatusOk;
  productTable_[language] = table;
  productCounts_[language] = SortTextTable(table, sizeof(TextRecord));
  productCount_ = productCounts_[language];
  return kStatusOk;
}

int CTextTable::LanguageSlot() const noexcept {
  return currentLanguage_ >= 0 && currentLanguage_ < kTextLanguageCount ? currentLanguage_ : 0;
}

TextRecord* CTextTable::ProductTableForLookup(int* count) const noexcept {
  int slot = LanguageSlot();
  if (productTable_[slot] == nullptr) slot = 0;
  *count = productCounts_[slot];
  return productTable_[slot];
}

TextRecord* CTextTable::FrameworkTableForLookup(int* count) const noexcept {
  int slot = LanguageSlot();
  if (frameworkTable_[slot] == nullptr) slot = 0;
  *count = slot == 0 ? frameworkCount_ : 0;
  return frameworkTable_[slot];
}

const char* CTextTable::GetText(unsigned id, unsigned index) const noexcept {
  const auto id16 = static_cast<std::uint16_t>(id & 0xFFFFu);
  if (id16 == kTextTableEnd || index >= kTextsPerRecord) return nullptr;
  int count = 0;
  TextRecord* table = id16 < kFirstFrameworkTextId ? ProductTableForLookup(&count)
                                                   : FrameworkTableForLookup(&count);
  const TextRecord* record = FindTextRecord(table, count, id16);
  return record != nullptr ? record->text[index] : nullptr;
}

bool CTextTable::SetText(unsigned id, unsigned index, const char* text) noexcept {
  const auto id16 = static_cast<std::uint16_t>(id & 0xFFFFu);
  if (id16 == kTextTableEnd || index >= kTextsPerRecord) return false;
  int count = 0;
  TextRecord* const table = ProductTableForLookup(&count);
  TextRecord* record = FindTextRecord(table, count, id16);
  if (record == nullptr) return false;
  record->text[index] = text;
  return true;
}

const char* CTextTable::LanguageName(int language) const noexcept {
  return language >= 0 && language < kTextLanguageCount ? languageName_[language] : nullptr;
}

namespace {

// Constant-initialised: a text asked for before start-up is simply null.
const CTextTable* gAppTextTable = nullptr;

}  // namespace

void SetAppTextTable(const CTextTable* table) noexcept { gAppTextTable = table; }

const char* GetText(unsigned id, unsigned index) noexcept {
  return gAppTextTable != nullptr ? gAppTextTable->GetText(id, index) : nullptr;
}
