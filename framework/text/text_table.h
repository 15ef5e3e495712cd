// The text table: every user-visible text of the framework and the product,
// looked up by a 16-bit id and an index within its record. Texts are 8-bit
// ANSI.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/util/status_codes.h"

inline constexpr unsigned kTextsPerRecord = 16;
inline constexpr std::uint16_t kTextTableEnd = 0xFFFF;       // id of the end record
inline constexpr std::uint16_t kFirstFrameworkTextId = 0xF000;
inline constexpr int kTextLanguageCount = 2;

// One group of related texts. Only the low 16 bits of the id take part in
// sorting, searching and the end test. A null pointer is an absent text.
#pragma pack(push, 1)
struct TextRecord {
  std::uint32_t id;
  const char* text[kTextsPerRecord];
};
#pragma pack(pop)
static_assert(sizeof(TextRecord) == 4 + kTextsPerRecord * sizeof(const char*),
              "a text record is an id and sixteen text pointers, nothing else");
static_assert(offsetof(TextRecord, text) == 4);

// The framework's own table (ids from 0xF000, language 0), stored unsorted
// and ended by a record of id 0xFFFF. Tables are writable: they are sorted
// in place and single texts can be replaced. The product brings its table
// (ids below 0xF000) to start-up.
TextRecord* FrameworkTextTable() noexcept;

// Counts the records before the end marker and sorts them ascending by their
// 16-bit id, in place. recordSize is the stride of the table (at least the
// size of the id). Returns the count; a null table gives 0.
int SortTextTable(void* table, std::size_t recordSize) noexcept;

class CTextTable {
 public:
  // Names the languages, clears the product slots and installs and sorts the
  // framework table in slot 0.
  void InitTextTable() noexcept;

  // Installs a product table for a language (null: the table of language
  // 0, so that both languages read the same texts). A slot that already
  // holds a table keeps it.
  // Returns 0, or kStatusNoSuchLanguage for a language above 1.
  [[nodiscard]] std::uint32_t SetTextTable(unsigned language, TextRecord* table) noexcept;

  // The current language, the first field of the application's settings
  // record. A value outside the slots reads as language 0.
  void SetLanguage(int language) noexcept { currentLanguage_ = language; }
  [[nodiscard]] int Language() const noexcept { return currentLanguage_; }

  // The text, or null when the id, the record or the slot is absent.
  // A language without a table of its own falls back to language 0, so
  // every caller gets the same texts whatever language is chosen.
  [[nodiscard]] const char* GetText(unsigned id, unsigned index) const noexcept;

  // Replaces one text of the product table that GetText reads. The text is
  // not copied and must outlive its use. False when there is no such table,
  // id or index.
  [[nodiscard]] bool SetText(unsigned id, unsigned index, const char* text) noexcept;

  [[nodiscard]] const char* LanguageName(int language) const noexcept;
  [[nodiscard]] int ProductCount() const noexcept { return productCount_; }
  [[nodiscard]] int FrameworkCount() const noexcept { return frameworkCount_; }

 private:
  [[nodiscard]] int LanguageSlot() const noexcept;
  [[nodiscard]] TextRecord* ProductTableForLookup(int* count) const noexcept;
  [[nodiscard]] TextRecord* FrameworkTableForLookup(int* count) const noexcept;

  const char* languageName_[kTextLanguageCount] = {};
  TextRecord* productTable_[kTextLanguageCount] = {};
  TextRecord* frameworkTable_[kTextLanguageCount] = {};
  int productCount_ = 0;    // of the product table installed last
  // Each slot keeps its own count: a search must never run past the end of
  // the table it searches, whichever table was installed last.
  int productCounts_[kTextLanguageCount] = {};
  int frameworkCount_ = 0;
  int currentLanguage_ = 0;
};

// Binary search over count sorted records; null when the id is absent.
[[nodiscard]] TextRecord* FindTextRecord(TextRecord* table, int count, std::uint16_t id) noexcept;

// The table that GetText answers from. The program's table belongs to the
// application object (CApplication::texts), and start-up hands it over here
// once it holds both tables; a program without an application object (a
// test, a tool) hands over a table of its own. Nothing installs itself:
// until a table is handed over, and after null is, every text is null.
void SetAppTextTable(const CTextTable* table) noexcept;

// GetText of the table handed over.
[[nodiscard]] const char* GetText(unsigned id, unsigned index) noexcept;
