// Files read whole: only regular files of a sane size; devices, pipes,
// directories and huge files are refused at once instead of being read
// without end.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "base/file_reading.h"

namespace kalix {

namespace {

class WholeFiles : public ::testing::Test {
  protected:
    std::string folder;
    void SetUp() override {
        char pattern[] = "/tmp/kalix-whole-XXXXXX";
        folder = mkdtemp(pattern);
    }
    void TearDown() override { std::system(("rm -rf '" + folder + "'").c_str()); }
};

TEST_F(WholeFiles, RegularFilesAreReadAndTheirLinesSplit) {
    std::string path = folder + "/text";
    std::ofstream(path, std::ios::binary) << "one\r\ntwo\n\nlast";
    std::string bytes;
    EXPECT_EQ(readWholeFile(path.c_str(), bytes), 1);
    EXPECT_EQ(bytes, "one\r\ntwo\n\nlast");
    std::vector<std::string> lines;
    EXPECT_EQ(readFileLines(path.c_str(), lines), 1);
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "", "last"}));
    std::ofstream(path, std::ios::binary) << "";
    EXPECT_EQ(readFileLines(path.c_str(), lines), 1);
    EXPECT_TRUE(lines.empty());
}

TEST_F(WholeFiles, WhatIsNoRegularFileOfASaneSizeIsRefused) {
    std::string fifo = folder + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // Larger than the limit, without taking the space (a sparse file).
    std::string huge = folder + "/huge";
    int descriptor = open(huge.c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(descriptor, 0);
    ASSERT_EQ(ftruncate(descriptor, off_t(wholeFileLimit) + 1), 0);
    close(descriptor);
    std::string link = folder + "/zero.png";
    ASSERT_EQ(symlink("/dev/zero", link.c_str()), 0);
    for (const std::string& path : {std::string("/dev/zero"), std::string("/dev/urandom"), link,
                                    fifo, folder, huge, folder + "/missing"}) {
        std::string bytes = "old";
        EXPECT_EQ(readWholeFile(path.c_str(), bytes), 0) << path;
        EXPECT_EQ(bytes, "") << path;
        std::vector<std::string> lines = {"old"};
        EXPECT_EQ(readFileLines(path.c_str(), lines), 0) << path;
        EXPECT_TRUE(lines.empty()) << path;
    }
}

}  // namespace

}  // namespace kalix
