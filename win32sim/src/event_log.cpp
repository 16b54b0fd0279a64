// The ordered log behind testapi_events.h.
#include "event_log.h"

#include "win32sim/testapi_events.h"

namespace {

std::vector<std::string> g_events;

}  // namespace

namespace sim {

void LogEvent(const std::string &line) { g_events.push_back(line); }

void LogWrite(const std::string &path) {
  std::string line = "write " + path;
  // A file written in many chunks is one step for ordering.
  if (g_events.empty() || g_events.back() != line) g_events.push_back(line);
}

void ResetEvents() { g_events.clear(); }

const std::vector<std::string> &Events() { return g_events; }

int EventIndex(const std::string &prefix) {
  for (size_t i = 0; i < g_events.size(); ++i)
    if (g_events[i].compare(0, prefix.size(), prefix) == 0) return static_cast<int>(i);
  return -1;
}

}  // namespace sim
