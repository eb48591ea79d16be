#include "report/uConsoleMsg.h"

#include <gtest/gtest.h>

namespace {

TEST(ConsoleMessages, WriteOneLineAnEntry) {
  EXPECT_EQ(ConsoleMessageLine("dexpr", "Error Code 20 - Not a directory\n%1", {"/a/b/"}, mlError),
            "dexpr: [Error] Error Code 20 - Not a directory: '/a/b/'");
  EXPECT_EQ(ConsoleMessageLine("bmi", "Two\r\nlines", {}, mlWarning), "bmi: [Warning] Two: lines");
  EXPECT_EQ(ConsoleMessageLine("x", "", {}, mlInformation), "x: [Information] ");
}

} // namespace
