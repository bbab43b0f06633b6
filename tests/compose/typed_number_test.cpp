// The one reading of a typed real setting that the input box's Pitch and
// direvo-compose's real-number options share: what is a number, and what is refused.
#include "compose/typed_number.h"

#include <gtest/gtest.h>

namespace {

using compose::NumberReading;
using compose::NumberRefusal;
using compose::readFiniteNumber;

TEST(TypedNumber, NumbersThatAreNotFiniteAreRefusedEitherWay) {
  const struct {
    const char* text;
    NumberRefusal whole;    // read as the whole text
    NumberRefusal leading;  // read as atof reads it
    double value;           // when taken
  } cases[] = {
      {"17.319", NumberRefusal::None, NumberRefusal::None, 17.319},
      {"-7.5", NumberRefusal::None, NumberRefusal::None, -7.5},
      {" 0x10", NumberRefusal::None, NumberRefusal::None, 16},
      {"1e-400", NumberRefusal::None, NumberRefusal::None, 0},  // below the range: 0
      {"nan", NumberRefusal::NotFinite, NumberRefusal::NotFinite, 0},
      {"NAN(0x7)", NumberRefusal::NotFinite, NumberRefusal::NotFinite, 0},
      {"-nan", NumberRefusal::NotFinite, NumberRefusal::NotFinite, 0},
      {"inf", NumberRefusal::NotFinite, NumberRefusal::NotFinite, 0},
      {"-inf", NumberRefusal::NotFinite, NumberRefusal::NotFinite, 0},
      {"Infinity", NumberRefusal::NotFinite, NumberRefusal::NotFinite, 0},
      {"1e999", NumberRefusal::NotFinite, NumberRefusal::NotFinite, 0},   // beyond the range
      {"-1e309", NumberRefusal::NotFinite, NumberRefusal::NotFinite, 0},  // likewise
      {"inf5", NumberRefusal::NotANumber, NumberRefusal::NotFinite, 0},
      // Text after the number: the whole text is no number, atof takes its start.
      {"12.5mm", NumberRefusal::NotANumber, NumberRefusal::None, 12.5},
      // No number at all: atof reads 0, as the input box always has.
      {"fast", NumberRefusal::NotANumber, NumberRefusal::None, 0},
      {"", NumberRefusal::NotANumber, NumberRefusal::None, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const compose::TypedNumber whole = readFiniteNumber(c.text, NumberReading::Whole);
    const compose::TypedNumber leading = readFiniteNumber(c.text, NumberReading::Leading);
    EXPECT_EQ(whole.refusal, c.whole);
    EXPECT_EQ(leading.refusal, c.leading);
    if (whole) {
      EXPECT_EQ(whole.value, c.value);
    }
    if (leading) {
      EXPECT_EQ(leading.value, c.value);
    }
  }
  EXPECT_EQ(readFiniteNumber(nullptr, NumberReading::Leading).value, 0);
  EXPECT_EQ(compose::refusalWords(NumberRefusal::NotFinite), "must be a finite number");
  EXPECT_EQ(compose::refusalWords(NumberRefusal::NotANumber), "must be a number");
}

}  // namespace
