#include "common/error_guard.h"

#include <exception>
#include <new>
#include <string>

namespace morvick {

void ReportCurrentError(Prompter& prompter) noexcept {
  std::string message;
  try {
    throw;
  } catch (const std::bad_alloc&) {
    message = "メモリが不足しています";
  } catch (const std::exception& error) {
    message = error.what();
  } catch (...) {
    message = "予期しないエラーが発生しました";
  }
  try {
    prompter.ShowError(message);
  } catch (...) {
    // The box itself failed (no memory left); there is nobody else to tell.
  }
}

}  // namespace morvick
