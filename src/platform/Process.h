#pragma once
// Starting another program and waiting for it (the help installer, the desktop's tools).

#include <string>
#include <vector>

namespace platform {

// Runs `program` (a Windows-1252 path, resolved like every file name) with `arguments` and
// waits until it ends; its exit status, or -1 when it could not be started or did not end
// normally.
int run_and_wait(const std::string& program, const std::vector<std::string>& arguments);

// Runs a tool of the system, found on the PATH, with UTF-8 arguments and waits until it ends;
// its exit status, or -1. With `out`, the first `max_bytes` bytes of what it prints are kept
// there (the rest is read and dropped); what it prints as errors is dropped.
int run_tool(const std::string& name, const std::vector<std::string>& arguments,
             std::string* out = nullptr, size_t max_bytes = 500);

}  // namespace platform
