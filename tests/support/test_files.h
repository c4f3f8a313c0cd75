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

inline std::vector<std::string> FilesIn(const std::string &testsSubfolder) { // its regular files, by name
    std::vector<std::string> files;
    std::error_code none; // a folder that is not there has no files
    for (const auto &entry : std::filesystem::directory_iterator(TestsPath(testsSubfolder), none))
        if (entry.is_regular_file()) files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

inline std::vector<std::uint8_t> ReadBytes(const std::string &path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}
