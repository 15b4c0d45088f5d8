// Start-up text and the simplest sessions, through the real executable.
#include <gtest/gtest.h>

#include "engine_process.h"

TEST(ProtocolStartup, BannerBookLineAndQuietQuit) {
    const TempDir temp;
    const std::string& dir = temp.path;
    const EngineResult run = run_engine("quit\n", dir);
    EXPECT_EQ(run.output, banner(false));
    EXPECT_EQ(run.exit_code, 0);
}

TEST(ProtocolStartup, BookLineWhenTheBookIsPresent) {
    const TempDir temp;
    const std::string& dir = temp.path;
    write_file(dir, "book.book", "e2e4 e7e5\n");
    const EngineResult run = run_engine("", dir);
    EXPECT_EQ(run.output, banner(true));
    EXPECT_EQ(run.exit_code, 0);
}
