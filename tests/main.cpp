// Runs every test with the framework started, as the program runs.

#include "support/FrameworkEnvironment.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // Google Test takes ownership of the environment.
  testing::AddGlobalTestEnvironment(new TFrameworkEnvironment);
  return RUN_ALL_TESTS();
}
