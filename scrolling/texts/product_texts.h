// The product's texts (ids below 0xF000), language 0: the table that the
// program's entry hands to the framework's start-up.
#pragma once

#include "framework/text/text_table.h"

// The table itself, unsorted and writable; the text table sorts it in place
// when it is installed.
TextRecord* ProductTexts() noexcept;
