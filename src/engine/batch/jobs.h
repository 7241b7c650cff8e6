#pragma once
// A batch run's item list and the jobs the progress dialog hands to its
// worker thread.

#include "engine/batch/error_list.h"
#include "engine/progress_link.h"
#include "keyserver/key_record.h"

#include <cstdint>
#include <string>

namespace ravelock::engine {

// Item lists: `count` NUL-terminated UTF-8 paths back to back, then one more
// NUL. At most `count` items are read; an empty item ends the list early.
// Calls `visit(item, remaining)` for each item, `remaining` being the number
// of items after it; stops when `visit` returns false.
template <typename Visit> void forEachItem(const char* items, int count, Visit visit) {
  const char* item = items;
  for (int i = 0; i < count && *item != '\0'; ++i) {
    if (!visit(item, count - 1 - i))
      return;
    while (*item != '\0')
      ++item;
    ++item;
  }
}

// 1 as soon as one item exists and is a folder, else 0.
int containsFolder(const char* items, int count);

struct EncryptJob {
  const char* items = nullptr;
  int count = 0;
  const KeyRecord* key = nullptr;
  ProgressLink* progress = nullptr;
  std::string targetName; // single-file runs only
  std::int32_t deleteOriginal = 0;
  std::int32_t subfolders = 0;
};

struct DecryptJob {
  const char* items = nullptr;
  int count = 0;
  ProgressLink* progress = nullptr;
  // The decrypt key dialog may rewrite this one during the run.
  std::int32_t deleteOriginal = 0;
  std::int32_t subfolders = 0;
  // 260 bytes: emptied when each file begins, the target of a success.
  char* lastTarget = nullptr;
};

// The worker threads' bodies. Each ends by sending UM_RUN_RESULT with the
// run's ErrorList (its address as wParam) and posting UM_WORK_DONE.
void encryptWorker(EncryptJob& job);
void decryptWorker(DecryptJob& job);

} // namespace ravelock::engine
