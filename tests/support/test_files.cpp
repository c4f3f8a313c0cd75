// Test files from the source tree. Wine reaches it through drive Z:.
#include "tests/support/test_files.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

std::vector<std::string> FilesIn(const std::string &testsSubfolder) {
    std::vector<std::string> files;
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(QUILLOMIR_TESTS_DIR "/" + testsSubfolder, error))
        if (entry.is_regular_file()) files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::uint8_t> ReadBytes(const std::string &path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

namespace {

// A binary PPM as the generator writes it: "P6", a "# tolerance N" line, size, 255.
bool ReadPpm(const std::string &path, BitmapCase *test) {
    const std::vector<std::uint8_t> bytes = ReadBytes(path);
    std::istringstream header(std::string(bytes.begin(), bytes.end()));
    std::string magic, hash, word;
    int maximum = 0;
    header >> magic >> hash >> word >> test->tolerance >> test->width >> test->height >> maximum;
    if (!header || magic != "P6" || word != "tolerance" || maximum != 255) return false;
    const std::size_t at = static_cast<std::size_t>(header.tellg()) + 1;
    const std::size_t count = static_cast<std::size_t>(test->width) * test->height;
    if (bytes.size() < at + count * 3) return false;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t *p = bytes.data() + at + i * 3;
        test->expected.push_back(std::uint32_t{p[0]} << 16 | std::uint32_t{p[1]} << 8 | p[2]);
    }
    return true;
}

} // namespace

std::vector<BitmapCase> BitmapCases() {
    std::vector<BitmapCase> cases;
    for (const std::string &path : FilesIn("data/bmp")) {
        if (path.size() < 4 || path.compare(path.size() - 4, 4, ".bmp") != 0) continue;
        BitmapCase test;
        test.path = path;
        const std::string ppm = path.substr(0, path.size() - 4) + ".ppm";
        test.sound = std::filesystem::exists(ppm);
        if (test.sound && !ReadPpm(ppm, &test)) test.width = -1; // an unreadable expectation fails the case
        cases.push_back(test);
    }
    return cases;
}

int WorstDifference(const BitmapCase &test, const std::uint32_t *pixels) {
    int worst = 0;
    for (std::size_t i = 0; i < test.expected.size(); ++i)
        for (int shift = 0; shift < 24; shift += 8) {
            const int a = static_cast<int>(pixels[i] >> shift & 0xFF), b = static_cast<int>(test.expected[i] >> shift & 0xFF);
            worst = std::max(worst, std::abs(a - b));
        }
    return worst;
}
