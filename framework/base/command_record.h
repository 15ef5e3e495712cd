// The command record: the definition of a command and of every UI item that
// shows it, kept in the application's command table in ascending id order.
#pragma once

#include <cstddef>
#include <cstdint>

struct CommandRecord {
  std::uint16_t id;
  std::uint16_t kind;  // the UI item type that shows the command; 99 an item of the caller's
  float param1;        // two values that the item class interprets
  float param2;
  std::uint32_t flags;
  std::uint16_t iconId;  // theme icon, 0 none
  std::uint16_t textId;  // label, second text, hint and tooltip; 0xFFFE asks the owner window
  void* value;           // the item's value record (a popup: its child command ids)
  std::uint8_t extra[260];  // copied with the record
};
static_assert(offsetof(CommandRecord, flags) == 12);
static_assert(offsetof(CommandRecord, value) == 20 || sizeof(void*) != 4);
static_assert(sizeof(CommandRecord) == 284 || sizeof(void*) != 4, "284 bytes in the 32-bit program");
