// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a fuzz target's entry point over saved inputs, so that every build (any compiler, no libFuzzer)
// replays the checked-in corpus and the inputs of past failures as an ordinary test.
//
// Usage: fuzz_replay_<name> <file or folder>...
// Folders are read recursively; files whose names start with a dot (.gitkeep) are skipped. A path that does
// not exist is an error, and so is a run without a single input: a replay that feeds nothing would pass
// without checking anything.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fs = std::filesystem;

int main(int argc, char* argv[])
{
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const fs::path path(argv[i]);
        if (fs::is_directory(path)) {
            for (const auto& entry : fs::recursive_directory_iterator(path)) {
                if (entry.is_regular_file() && entry.path().filename().string().front() != '.')
                    inputs.push_back(entry.path());
            }
        } else if (fs::is_regular_file(path)) {
            inputs.push_back(path);
        } else {
            std::fprintf(stderr, "no such file or folder: %s\n", argv[i]);
            return 2;
        }
    }
    std::sort(inputs.begin(), inputs.end());

    for (const fs::path& path : inputs) {
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "cannot read %s\n", path.c_str());
            return 2;
        }
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                              std::istreambuf_iterator<char>()};
        // Print the name first: if the entry point aborts, the last line names the input.
        std::printf("%s (%zu bytes)\n", path.c_str(), bytes.size());
        std::fflush(stdout);
        // A copy of exactly the input's size, so AddressSanitizer sees reads past its end.
        std::vector<std::uint8_t> copy(bytes);
        LLVMFuzzerTestOneInput(copy.empty() ? nullptr : copy.data(), copy.size());
    }
    std::printf("%zu input(s) replayed\n", inputs.size());
    if (inputs.empty()) {
        std::fprintf(stderr, "no inputs\n");
        return 1;
    }
    return 0;
}
