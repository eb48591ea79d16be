#pragma once

// Starts the framework before the first test of a binary and shuts it down after the last, as
// the program does around its run.

#include "app/uStartup.h"

#include <gtest/gtest.h>

class TFrameworkEnvironment : public testing::Environment {
 public:
  void SetUp() override { InitializeFramework(); }
  void TearDown() override { FinalizeFramework(); }
};
