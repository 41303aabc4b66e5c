#pragma once
// The standalone host's own log: what the host reports about its objects (an image file that
// cannot be read, for instance). It is not the plug-in's diagnostic log.

#include "scene/ZenhostApi.h"

#include <string>
#include <vector>

namespace standalone {

/// Appends one line (UTF-8, without its newline) to the host log and writes it to stderr.
/// Safe to call from any thread.
ZENHOST_API void HostLog(const std::string& line);
/// Every line logged since the start or since the last ClearHostLog, oldest first.
ZENHOST_API std::vector<std::string> HostLogLines();
ZENHOST_API void ClearHostLog();

}  // namespace standalone
