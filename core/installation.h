// The installation sequence: every step in order, and every way out.
#pragma once

int RunInstallation();
