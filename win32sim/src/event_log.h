// The stand-in's areas report here what the product did (testapi_events.h).
#pragma once

#include <string>

namespace sim {

void LogEvent(const std::string &line);
void LogWrite(const std::string &path);
void ResetEvents();

}  // namespace sim
