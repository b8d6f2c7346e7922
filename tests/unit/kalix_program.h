// The kalix program built beside the test program (build/kalix for
// build/tests/kalix_unit_tests).
#pragma once

#include <unistd.h>

#include <string>

namespace kalix {

inline std::string kalixProgramPath() {
    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    self[n > 0 ? n : 0] = 0;
    std::string tests = self;
    tests = tests.substr(0, tests.rfind('/'));
    return tests.substr(0, tests.rfind('/')) + "/kalix";
}

}  // namespace kalix
