#include "tools/pack/progress.h"

#include <cstdio>

void PackProgress::Reading(size_t filesDone, size_t fileCount, uint64_t bytesDone, uint64_t bytesTotal) {
  if (!enabled_) return;
  int percent = bytesTotal ? static_cast<int>(bytesDone * 100 / bytesTotal) : 100;
  if (percent == lastPercent_ && filesDone != fileCount) return;
  lastPercent_ = percent;
  fprintf(stderr, "\rreading %zu of %zu files, %3d %%", filesDone, fileCount, percent);
  if (filesDone == fileCount) fputc('\n', stderr);
  fflush(stderr);
}

void PackProgress::StartTimedPhase(const std::string &what) {
  if (!enabled_) return;
  EndPhase();
  phase_ = what;
  stopping_ = false;
  ticker_ = std::thread([this] {
    auto start = std::chrono::steady_clock::now();
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      long seconds = static_cast<long>(
          std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start).count());
      fprintf(stderr, "\r%s ... %ld s", phase_.c_str(), seconds);
      fflush(stderr);
      if (stop_.wait_for(lock, std::chrono::seconds(1), [this] { return stopping_; })) break;
    }
    fputc('\n', stderr);
  });
}

void PackProgress::EndPhase() {
  if (!ticker_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  stop_.notify_one();
  ticker_.join();
}
