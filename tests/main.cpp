// Runs every test with the framework started, as the program runs.

#include "app/uStartup.h"

#include <gtest/gtest.h>

namespace {

class TFrameworkEnvironment : public testing::Environment {
 public:
  void SetUp() override { InitializeFramework(); }
  void TearDown() override { FinalizeFramework(); }
};

} // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // Google Test takes ownership of the environment.
  testing::AddGlobalTestEnvironment(new TFrameworkEnvironment);
  return RUN_ALL_TESTS();
}
