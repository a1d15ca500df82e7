// rescomp SOURCE OUTPUT: compiles a resource source text into a binary resource file.
// Every fault of the source is reported as "source:line: message"; the exit status is then 1
// and no output is written.

#include "ResSource.h"
#include "ResWriter.h"

#include <cstdio>
#include <fstream>
#include <sstream>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: rescomp SOURCE OUTPUT\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "rescomp: cannot read %s\n", argv[1]);
        return 1;
    }
    std::stringstream text;
    text << in.rdbuf();

    rescomp::Diagnostics diag{argv[1], {}};
    std::vector<rescomp::Resource> resources = rescomp::compile_source(text.str(), diag);
    std::string bytes = diag.errors.empty() ? rescomp::build_resource_file(resources, diag) : "";
    for (const std::string& e : diag.errors) std::fprintf(stderr, "%s\n", e.c_str());
    if (!diag.errors.empty()) return 1;
    if (!rescomp::write_file(argv[2], bytes)) {
        std::fprintf(stderr, "rescomp: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
