// Report tests change the process-wide run settings (the layout variant);
// every test starts and ends with a fresh run.
#pragma once

#include <gtest/gtest.h>

#include "format/run_settings.h"

namespace campdb {

class ReportTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetRunSettings(); }
  void TearDown() override { ResetRunSettings(); }
  static void UseOstrel() { campdb::Run().variant = Variant::Ostrel; }
};

}  // namespace campdb
