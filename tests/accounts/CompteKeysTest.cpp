#include <gtest/gtest.h>

#include "accounts/VYXCompteKeys.h"

namespace {

TEST(CompteKeys, KeysAreTwoApartUntilTheCounterEndsThenTheSmallestFree) {
  VYXCompteKeys keys;
  uint16_t counter = 0;
  for (DataID expected : {1u, 3u, 5u}) {
    DataID key = keys.Draw(&counter);
    EXPECT_EQ(expected, key);
    keys.Use(key);
  }
  EXPECT_EQ(6, counter);

  counter = 65532;
  DataID key = keys.Draw(&counter);
  EXPECT_EQ(65533u, key);
  keys.Use(key);
  EXPECT_EQ(65534, counter);
  key = keys.Draw(&counter);
  EXPECT_EQ(65535u, key);
  keys.Use(key);
  EXPECT_EQ(65535, counter);  // held at its end
  key = keys.Draw(&counter);
  EXPECT_EQ(2u, key);
  keys.Use(key);
  EXPECT_EQ(4u, keys.Draw(&counter));
}

TEST(CompteKeys, KeysCopiedBelowTheCounterAreSteppedOver) {
  VYXCompteKeys keys;
  keys.Use(11);
  keys.Use(12);
  uint16_t counter = 10;
  EXPECT_EQ(13u, keys.Draw(&counter));
  EXPECT_EQ(14, counter);
  EXPECT_FALSE(keys.CanKeep(11));
  EXPECT_TRUE(keys.CanKeep(15));
  EXPECT_FALSE(keys.CanKeep(0));
  EXPECT_FALSE(keys.CanKeep(70000));
  EXPECT_EQ(101, VYXCompteKeys::AfterKeptKey(14, 100));
  EXPECT_EQ(65535, VYXCompteKeys::AfterKeptKey(14, 65535));
}

// Old files may hold a key twice: it stays taken until both are gone.
TEST(CompteKeys, RepeatedKeysAreCounted) {
  VYXCompteKeys keys;
  keys.Use(7);
  keys.Use(7);
  keys.Use(80000);
  keys.Release(7);
  EXPECT_TRUE(keys.InUse(7));
  keys.Release(7);
  EXPECT_FALSE(keys.InUse(7));
  EXPECT_TRUE(keys.InUse(80000));
  keys.Release(80000);
  EXPECT_FALSE(keys.InUse(80000));
  EXPECT_EQ(0u, keys.CountInUse());
}

TEST(CompteKeys, NoKeyWhenEveryKeyIsTaken) {
  VYXCompteKeys keys;
  for (DataID k = 1; k <= kVYXMaxOperationKey; ++k) keys.Use(k);
  uint16_t counter = 100;
  EXPECT_EQ(0u, keys.Draw(&counter));
  EXPECT_EQ(100, counter);
  keys.Release(40000);
  EXPECT_EQ(40000u, keys.Draw(&counter));
}

}  // namespace
