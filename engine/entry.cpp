#include "engine/entry.h"

namespace morvick {

void FreeEntries(EntryListPtr& entries) {
  if (!entries) return;
  for (auto& record : *entries) record.reset();
  entries.reset();
}

}  // namespace morvick
