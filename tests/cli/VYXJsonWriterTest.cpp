// JSON written as it goes must read, byte for byte, as the same value dumped
// by nlohmann: scripts compare the output of streamed lists with that of the
// commands that print one tree.
#include "cli/VYXJsonWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>

namespace {

std::string Streamed(const nlohmann::json& value) {
  std::ostringstream out;
  VYXJsonWriter w(out);
  w.Value(value);
  w.Finish();
  return out.str();
}

TEST(JsonWriterTest, WritesEveryValueAsNlohmannDumpsIt) {
  const nlohmann::json cases[] = {
      nullptr,
      true,
      -5,
      uint64_t(18446744073709551615u),
      0.0,
      -0.0,
      3.0,
      12.5,
      -1234.56,
      0.1 + 0.2,
      1e16,
      1.5e-7,
      std::numeric_limits<double>::quiet_NaN(),
      "",
      "Électricité 12 € « ok »",
      "\"quoted\" back\\slash \b\f\n\r\t \x01\x1f \x7f",
      nlohmann::json::array(),
      nlohmann::json::object(),
      nlohmann::json::parse(R"({"a": [], "b": {}, "c": [1, [2.5, {"d": null}]], "e": "x"})"),
      nlohmann::json::parse(R"([{"sousOperations": [], "virement": {"compte": "É", "source": true}}])"),
  };
  for (const nlohmann::json& value : cases) {
    EXPECT_EQ(value.dump(2) + "\n", Streamed(value)) << value.dump();
  }
}

TEST(JsonWriterTest, KeysAndValuesWrittenOneByOne) {
  std::ostringstream out;
  {
    VYXJsonWriter w(out);
    w.BeginArray();
    for (int i = 0; i < 2; ++i) {
      w.BeginObject();
      w.Key("cle").Int(i);
      w.Key("lignes").BeginArray();
      w.EndArray();
      w.Key("montant").Number(-i * 0.5);
      w.EndObject();
    }
    w.EndArray();
    w.Finish();
  }
  nlohmann::json tree = nlohmann::json::parse(out.str());
  EXPECT_EQ(tree.dump(2) + "\n", out.str());
  EXPECT_EQ(-0.5, tree[1]["montant"]);
}

}  // namespace
