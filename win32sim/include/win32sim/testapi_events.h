// Test side: one ordered log of what the product did that others can see,
// across every area, so that tests can assert order between steps.
#pragma once

#include <string>
#include <vector>

namespace sim {

// One line per event, in call order:
//   "create <path>"        a file created or truncated for writing
//   "write <path>"         data written to it (consecutive writes: one line)
//   "delete <path>"        a file deleted
//   "mkdir <path>"         a directory created
//   "mutex <name>"         a named mutex created or opened
//   "registry <key>[<name>] = <text>"   a value written ("" name: the default)
//   "dde <command>"        an execute transaction the peer received
//   "start <command line>" a WinExec call
//   "dialog <id>"          a dialog started (the template actually loaded)
//   "end <id> <result>"    that dialog ended; timers it left set are its run's
//   "message <text>"       a message box shown
// Paths are full Windows paths as the stand-in formed them.
const std::vector<std::string> &Events();
// Position of the first event that starts with `prefix`, or -1.
int EventIndex(const std::string &prefix);

}  // namespace sim
