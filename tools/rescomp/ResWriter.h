#pragma once
// The binary resource file: a 16-byte header (signature 0xD927), the count of areas and of
// resources, the area table (12 bytes an area), then the areas. Area 1 holds the index that
// maps a resource's type and number to its area; resource k is in area k + 1.

#include "ResSource.h"

#include <string>
#include <vector>

namespace rescomp {

// The program refuses files with more areas than this.
constexpr size_t max_areas = 2565;

// The file's bytes; empty, with an error reported, when there are too many resources.
std::string build_resource_file(const std::vector<Resource>& resources, Diagnostics& diag);

// Writes through a temporary file renamed into place, so that a failed run leaves no partial
// file behind.
bool write_file(const std::string& path, const std::string& bytes);

}  // namespace rescomp
