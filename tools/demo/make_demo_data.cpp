// make_demo_data: writes the twelve legacy tables of a demo workspace into a folder.
//
//   make_demo_data <folder> [--records N] [--seed S]
//
// The same seed and size always give the same files.
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>
#include <string_view>

#include "tools/demo/DemoData.h"

namespace {

int usage(const char* program) {
    std::cerr << "usage: " << program << " <folder> [--records N] [--seed S]\n"
              << "  Writes the twelve legacy tables (dBase, code page 850) into <folder>.\n"
              << "  --records N  live records per table (default 300)\n"
              << "  --seed S     the data drawn (default 2015); the same seed gives the same files\n";
    return 2;
}

bool number(const char* text, long long low, long long high, long long& out) {
    char* end = nullptr;
    const long long v = std::strtoll(text, &end, 10);
    if (end == text || *end != '\0' || v < low || v > high) return false;
    out = v;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    mig::demo::Options options;
    std::string folder;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        long long v = 0;
        if (arg == "--help" || arg == "-h") {
            usage(argv[0]);
            return 0;
        } else if (arg == "--records" && i + 1 < argc) {
            if (!number(argv[++i], 0, 1'000'000, v)) {
                std::cerr << "make_demo_data: --records takes a number from 0 to 1000000\n";
                return 2;
            }
            options.records = static_cast<int>(v);
        } else if (arg == "--seed" && i + 1 < argc) {
            if (!number(argv[++i], 0, 9'000'000'000'000'000'000LL, v)) {
                std::cerr << "make_demo_data: --seed takes a non-negative number\n";
                return 2;
            }
            options.seed = static_cast<std::uint64_t>(v);
        } else if (!arg.empty() && arg[0] != '-' && folder.empty()) {
            folder = arg;
        } else {
            return usage(argv[0]);
        }
    }
    if (folder.empty()) return usage(argv[0]);
    try {
        const auto tables = mig::demo::writeDemoFolder(folder, options);
        std::cout << "make_demo_data: " << tables.size() << " tables of " << options.records
                  << " records (seed " << options.seed << ") in " << folder << "\n";
    } catch (const std::exception& e) {
        std::cerr << "make_demo_data: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
