#pragma once
// Starting another program and waiting for it (the help installer).

#include <string>
#include <vector>

namespace platform {

// Runs `program` (a Windows-1252 path, resolved like every file name) with `arguments` and
// waits until it ends; its exit status, or -1 when it could not be started or did not end
// normally.
int run_and_wait(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace platform
