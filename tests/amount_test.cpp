#include <gtest/gtest.h>

#include <iomanip>

#include "record/amount.h"
#include "test_support.h"

using namespace velmora;
using velmora::test::rowName;

TEST(Amount, ParsesNumbersWithAPoint) {
  struct Case {
    const char* text;
    std::optional<double> value;
  } cases[] = {
      {"0", 0.0},
      {"500", 500.0},
      {"50.5", 50.5},
      {"50.", 50.0},
      {".", 0.0},
      {".5", 0.5},
      {" 12 ", 12.0},
      {"1e3", 1000.0},
      {"1.2.3", std::nullopt},
      {"abc", std::nullopt},
      {"..", std::nullopt},
      {"", std::nullopt},
      {"1,5", std::nullopt},
      {"-3", -3.0},
      {"12a", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(rowName(c.text));
    EXPECT_EQ(parseAmount(c.text), c.value) << c.text;
  }
}

TEST(Amount, FormatsFifteenSignificantDigits) {
  struct Case {
    double value;
    const char* text;
  } cases[] = {
      {0.0, "0"},
      {500.0, "500"},
      {50.5, "50.5"},
      {0.1 + 0.2, "0.3"},
      {150.5, "150.5"},
      {123456789012345.0, "123456789012345"},
      {1e15, "1E15"},
      {1.5e20, "1.5E20"},
      {0.00001, "0.00001"},
      {0.000001, "1E-6"},
      {0.0000015, "1.5E-6"},
      {1.0 / 3.0, "0.333333333333333"},
      {2.0 / 3.0, "0.666666666666667"},
      {-7.25, "-7.25"},
      {100000.0, "100000"},
  };
  for (const auto& c : cases) {
    // Every digit the double holds: 0.1 + 0.2 is no 0.3.
    SCOPED_TRACE(testing::Message() << "value " << std::setprecision(17) << c.value);
    EXPECT_EQ(formatAmount(c.value), c.text) << c.value;
  }
}

TEST(Amount, ErrorTextNamesTheCell) {
  EXPECT_EQ(notAFloatMessage("1.2.3"), "'1.2.3' is not a valid floating point value");
}
