// Modules load once, on demand; one that is missing is told, not fatal.
#include "platform/CPModule.h"

#include <gtest/gtest.h>

namespace {

TEST(ModuleTest, TheWebModuleLoadsOnceAndAMissingOneSaysWhy) {
  std::string why;
  void* first = CPModuleSymbol("vyx-http", "vyx_http_perform", &why);
  ASSERT_NE(nullptr, first) << why;
  EXPECT_EQ(first, CPModuleSymbol("vyx-http", "vyx_http_perform", &why));
  EXPECT_EQ(nullptr, CPModuleSymbol("vyx-http", "nothing_of_that_name", &why));
  EXPECT_NE(std::string::npos, why.find("nothing_of_that_name"));

  why.clear();
  EXPECT_EQ(nullptr, CPModuleSymbol("vyx-absent", "vyx_http_perform", &why));
  EXPECT_NE(std::string::npos, why.find("vyx-absent.so"));
}

}  // namespace
