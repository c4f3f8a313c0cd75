// Every input kept for a fuzz target, its seeds and what a fuzzer once found trouble with, through the
// target natively under the sanitizers and under Wine. A broken property aborts.
#include <gtest/gtest.h>

#include <string>

#include "tests/fuzz/fuzz_targets.h"
#include "tests/support/test_files.h"

TEST(FuzzRegressions, EveryKeptInputRunsCleanThroughItsParser) {
    int replayed = 0;
    for (const FuzzTarget &target : kFuzzTargets)
        for (const char *folder : {"fuzz/seeds/", "fuzz/regressions/"})
            for (const std::string &path : FilesIn(folder + std::string(target.name))) {
                SCOPED_TRACE(path);
                const std::vector<std::uint8_t> bytes = ReadBytes(path);
                target.run(bytes.data(), bytes.size());
                ++replayed;
            }
    EXPECT_GE(replayed, 20);
}
