#include "base/ui_thread_check.h"

#include <cstdio>
#include <cstdlib>

namespace vidideza {

void UiThreadCheck::Fail(const char* member, const char* what) {
  std::fprintf(stderr, "%s %s\n", member, what);
  std::abort();
}

}  // namespace vidideza
