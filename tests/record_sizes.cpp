// Every record header of the system: compiled for the target by the
// record_sizes test, so that the headers' size and offset assertions hold
// for the 32-bit deliverables too, whose test programs cannot run here.
#include "framework/base/app_records.h"
#include "framework/text/text_table.h"
#include "framework/theme/draw.h"
#include "hooklib/shared_memory.h"
#include "scrolling/engine/scroll_drag.h"
#include "scrolling/options/options.h"
#include "scrolling/options/options_storage.h"
