#include "commands/command_state.h"

namespace morvick {

void CommandState::ClearFlags() {
  CancelRequested = false;
  Searching = false;
  Updating = false;
  Undoing = false;
  UpdateDone = false;
  SearchDone = false;
  UndoDone = false;
}

}  // namespace morvick
