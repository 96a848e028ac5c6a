// The fatal stop and the exit codes: what code below the run flow may end
// the process with, without knowing the run.
#pragma once

namespace tarnlix {

// Exit codes (the help screen lists them).
constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;  // nothing could be read, or bad arguments
constexpr int kExitFatal = 3;    // an internal error stopped the run
constexpr int kExitChanged = 8;  // /DIFF: the tables differ

// Writes message (if any) to standard output and ends the process.
[[noreturn]] void ExitWithMessage(const char* message, int code);

}  // namespace tarnlix
