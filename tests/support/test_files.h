// Files the tests read from the source tree (tests/data, the fuzzers'
// regression cases), and the bitmap variants with the pixels another decoder
// made of them. Pure: no platform headers, so native and Wine tests share it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Every regular file of a folder under the source tree's tests/, by name order.
std::vector<std::string> FilesIn(const std::string &testsSubfolder);
std::vector<std::uint8_t> ReadBytes(const std::string &path);

// One file of tests/data/bmp: sound ones carry ImageMagick's pixels
// (0x00RRGGBB, top-down) and how far another decoder may stray from them.
struct BitmapCase {
    std::string path;
    bool sound = false;
    int width = 0, height = 0, tolerance = 0;
    std::vector<std::uint32_t> expected;
};
std::vector<BitmapCase> BitmapCases();

// The largest difference of one channel between decoded pixels (width x
// height, 0x??RRGGBB) and the case's expected ones.
int WorstDifference(const BitmapCase &test, const std::uint32_t *pixels);
