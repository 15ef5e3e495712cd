// Texts as the program has them after start-up, for test programs that run
// without the application object: the framework's and the product's tables
// in a table of the test program's own, handed to GetText.
#pragma once

#include "framework/text/text_table.h"
#include "scrolling/texts/product_texts.h"

inline CTextTable& UseProductTexts() {
  static CTextTable texts;
  texts.InitTextTable();
  (void)texts.SetTextTable(0, ProductTexts());
  SetAppTextTable(&texts);
  return texts;
}
