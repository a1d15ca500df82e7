#pragma once
// Reading printed PDF files back with the PDF tools of poppler-utils.

#include <cstdio>
#include <string>

namespace pdf_test {

// The output of a command, its error output included.
inline std::string run(const std::string& command)
{
    std::string out;
    if (FILE* p = popen((command + " 2>&1").c_str(), "r")) {
        char buffer[512];
        while (size_t n = fread(buffer, 1, sizeof buffer, p)) out.append(buffer, n);
        pclose(p);
    }
    return out;
}

// The value of one line "Name:   value" of pdfinfo's report.
inline std::string info_field(const std::string& info, const std::string& name)
{
    size_t at = info.find(name + ":");
    if (at == std::string::npos) return "";
    size_t from = info.find_first_not_of(' ', at + name.size() + 1);
    return info.substr(from, info.find('\n', from) - from);
}

}  // namespace pdf_test
