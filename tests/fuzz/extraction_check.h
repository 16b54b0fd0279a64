// The whole extraction of one payload, as the installation runs it, into the
// scratch destination; aborts on anything unsound.
#pragma once

#include <string>

// `resourceBytes` is resource 512/301 as a whole: length field and stream.
void ExtractAndCheck(const std::string &resourceBytes);
