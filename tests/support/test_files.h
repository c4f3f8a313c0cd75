// Files the tests read from the source tree's tests/ folder (Wine reaches it
// through drive Z:): the test pictures and the fuzzers' kept inputs.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

inline std::string TestsPath(const std::string &relative) { return QUILLOMIR_TESTS_DIR "/" + relative; }

// Every regular file of a folder under tests/, by name.
inline std::vector<std::string> FilesIn(const std::string &testsSubfolder) {
    std::vector<std::string> files;
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(TestsPath(testsSubfolder), error))
        if (entry.is_regular_file()) files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

inline std::vector<std::uint8_t> ReadBytes(const std::string &path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}
