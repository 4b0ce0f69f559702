// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a fuzz target's entry point over saved inputs, so that every build (any compiler, no libFuzzer)
// replays the checked-in corpus and the inputs of past failures as an ordinary test.
//
// Usage: fuzz_replay_<name> [--min-inputs N] <file or folder>...
// Folders are read recursively; files whose names start with a dot (.gitkeep) are skipped. A path that does
// not exist is an error, and so is a run that finds fewer than N inputs (default 1): a replay that feeds
// nothing would pass without checking anything.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fs = std::filesystem;

namespace {

bool isHidden(const fs::path& path)
{
    const std::string name = path.filename().string();
    return !name.empty() && name.front() == '.';
}

std::vector<std::uint8_t> readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        std::exit(2);
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

int main(int argc, char* argv[])
{
    long minInputs = 1;
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--min-inputs" && i + 1 < argc) {
            minInputs = std::strtol(argv[++i], nullptr, 10);
            continue;
        }
        const fs::path path(argument);
        std::error_code error;
        if (fs::is_directory(path, error)) {
            for (const auto& entry : fs::recursive_directory_iterator(path)) {
                if (entry.is_regular_file() && !isHidden(entry.path()))
                    inputs.push_back(entry.path());
            }
        } else if (fs::is_regular_file(path, error)) {
            inputs.push_back(path);
        } else {
            std::fprintf(stderr, "no such file or folder: %s\n", argument.c_str());
            return 2;
        }
    }
    std::sort(inputs.begin(), inputs.end());

    for (const fs::path& path : inputs) {
        const std::vector<std::uint8_t> bytes = readFile(path);
        // Print the name first: if the entry point aborts, the last line names the input.
        std::printf("%s (%zu bytes)\n", path.c_str(), bytes.size());
        std::fflush(stdout);
        // A copy of exactly the input's size, so AddressSanitizer sees reads past its end.
        std::vector<std::uint8_t> copy(bytes);
        LLVMFuzzerTestOneInput(copy.empty() ? nullptr : copy.data(), copy.size());
    }
    std::printf("%zu input(s) replayed\n", inputs.size());
    if (static_cast<long>(inputs.size()) < minInputs) {
        std::fprintf(stderr, "expected at least %ld input(s)\n", minInputs);
        return 1;
    }
    return 0;
}
