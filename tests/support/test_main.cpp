// GoogleTest entry for the test programs that run under Wine: plain "\n"
// line ends, so CTest reads the test list cleanly, and the module state set as
// the saver's own entry would set it.
#include <fcntl.h>
#include <io.h>
#include <stdio.h>

#include <gtest/gtest.h>

#include "module/module.h"

int main(int argc, char **argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    InitModuleState(GetModuleHandleA(nullptr));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
