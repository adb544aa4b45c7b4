// Runs an outside tool of the test machine (sort, diff, uconv, expand) on a file and returns
// what it wrote, for the differential tests.
#pragma once

#include <cstdio>
#include <string>

namespace norv::editing::testing {

inline std::string RunTool(const std::string& command) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return out;
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
    return out;
}

inline std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

}  // namespace norv::editing::testing
