// Settings typed as text (the input box's Pitch, direvo-compose's real-number options):
// one reading and one refusal for all of them.
#pragma once

#include <string>

namespace compose {

// How much of the text the number must fill.
enum class NumberReading {
  Leading,  // the number at the start, the rest ignored; no number at all reads as 0
  Whole,    // nothing but the number (blanks before it allowed)
};

// Why a typed text gives no setting.
enum class NumberRefusal {
  None,
  NotANumber,  // Whole only: no number, or something after it
  NotFinite,   // nan, inf, -inf, or a number beyond a double's range
};

struct TypedNumber {
  double value = 0;  // the number read; 0 when refused
  NumberRefusal refusal = NumberRefusal::None;
  explicit operator bool() const { return refusal == NumberRefusal::None; }
};

// The number in `text` as strtod reads it (decimal or hexadecimal), refused when it is
// not finite: no lens pattern, slant or offset can be made from an infinity or a NaN.
TypedNumber readFiniteNumber(const char* text, NumberReading reading);

// The refusal in words for a one-line message, e.g. "must be a finite number" ("" for
// None).
std::string refusalWords(NumberRefusal refusal);

}  // namespace compose
