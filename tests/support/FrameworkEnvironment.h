#pragma once

// Starts the framework before the first test of a binary and shuts it down after the last, as
// the program does around its run.

#include "app/uStartup.h"
#include "report/uMsg.h"

#include <gtest/gtest.h>

class TFrameworkEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    InitializeFramework();
    // Tests install their own dialogs; none of them is to show another test's reports.
    DropEarlyReports();
  }
  void TearDown() override { FinalizeFramework(); }
};
