#pragma once

// Whether the word "darwin" (whole, case-sensitive) stands anywhere in argv, index 0 included.
bool argumentsSelectDaemonMode(int argc, char* argv[]);
