// The texts of the message tables.
#pragma once

extern const char *const kEnglishMessages[];
