// Arbitrary bytes as a command line (arguments separated by NUL bytes): parsing never fails, and
// the command line handed to a running instance reads back to the same options.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/command_line.h"

using namespace norv::app;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> args;
    std::string current;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            args.push_back(current);
            current.clear();
        } else {
            current.push_back(static_cast<char>(data[i]));
        }
    }
    if (!current.empty()) args.push_back(current);
    // A name "exists" when its length is odd: both outcomes of the wildcard rule are reached.
    auto exists = [](const std::string& name) { return name.size() % 2 == 1; };
    const StartupOptions first = ParseCommandLine(args, exists);
    const std::vector<std::string> handed = CommandLineOf(first);
    const StartupOptions second = ParseCommandLine(handed, exists);
    if (CommandLineOf(second) != handed) std::abort();
    if (second.files != first.files || second.wildcard != first.wildcard) std::abort();
    if (second.jumpLine != first.jumpLine || second.jumpColumn != first.jumpColumn) std::abort();
    if (second.forcedCode != first.forcedCode || second.readOnly != first.readOnly) std::abort();
    return 0;
}
