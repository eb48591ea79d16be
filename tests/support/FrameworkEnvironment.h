#pragma once

// Starts the framework before the first test and shuts it down after the last, as the program
// does; the test mains install it.

#include "app/uStartup.h"

#include <gtest/gtest.h>

class TFrameworkEnvironment : public testing::Environment {
 public:
  void SetUp() override { InitializeFramework(); }
  void TearDown() override { FinalizeFramework(); }
};
