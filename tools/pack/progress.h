// Progress of a long pack on a terminal; silent when stderr is not one.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

class PackProgress {
 public:
  explicit PackProgress(bool enabled) : enabled_(enabled) {}
  ~PackProgress() { EndPhase(); }
  PackProgress(const PackProgress &) = delete;
  PackProgress &operator=(const PackProgress &) = delete;

  // Reading: redrawn when the percentage changes.
  void Reading(size_t filesDone, size_t fileCount, uint64_t bytesDone, uint64_t bytesTotal);
  // A step without intermediate results: shows the seconds passing until EndPhase.
  void StartTimedPhase(const std::string &what);
  void EndPhase();

 private:
  bool enabled_;
  int lastPercent_ = -1;
  std::string phase_;
  std::thread ticker_;
  std::mutex mutex_;
  std::condition_variable stop_;
  bool stopping_ = false;
};
