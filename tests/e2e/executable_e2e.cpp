// The built saver file itself: a 32-bit GUI program that carries the string
// table its settings and captions are read from.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/e2e.h"

TEST(ExecutableE2E, IsA32BitGuiProgram) {
    std::ifstream file(e2e::BinPath("Quillomir.scr"), std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), sizeof(IMAGE_DOS_HEADER));
    const auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(bytes.data());
    ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
    ASSERT_LT(static_cast<size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS32), bytes.size());
    const auto *nt = reinterpret_cast<const IMAGE_NT_HEADERS32 *>(bytes.data() + dos->e_lfanew);
    EXPECT_EQ(nt->Signature, IMAGE_NT_SIGNATURE);
    EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
    EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
}

TEST(ExecutableE2E, CarriesTheStringTable) {
    HMODULE saver = LoadLibraryExA(e2e::BinPath("Quillomir.scr").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(saver, nullptr);
    const char *expected[21] = {nullptr,           "Quillomir",     "Control Panel\\Screen Saver.",
                                "ImageCount",      "FileDirectory", "DisplayDuration",
                                "ImageSize",       "RefreshSpeed",  "ClearScreen",
                                "RemoveBitmaps",   "FilterIndex",   nullptr,
                                "FadeInStyle",     "FadeOutStyle",  "StepSize",
                                "Directory",       "DisplayTime",   "CenterPicture",
                                "RestrictSize",    "MaxWidth",      "MaxHeight"};
    for (UINT id = 1; id <= 20; ++id) {
        char text[64] = "";
        const int length = LoadStringA(saver, id, text, sizeof(text));
        if (expected[id]) {
            EXPECT_STREQ(text, expected[id]) << "string " << id;
        } else {
            EXPECT_EQ(length, 0) << "string " << id << " is not used";
        }
    }
    FreeLibrary(saver);
}
