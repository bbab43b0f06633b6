#include "compose/typed_number.h"

#include <cmath>
#include <cstdlib>

namespace compose {

TypedNumber readFiniteNumber(const char* text, NumberReading reading) {
  if (!text) text = "";
  char* end = nullptr;
  const double v = std::strtod(text, &end);
  if (reading == NumberReading::Whole && (end == text || *end != '\0')) {
    return {0, NumberRefusal::NotANumber};
  }
  // strtod gives a number beyond the range as an infinity, so it is refused with them.
  if (!std::isfinite(v)) return {0, NumberRefusal::NotFinite};
  return {v, NumberRefusal::None};
}

std::string refusalWords(NumberRefusal refusal) {
  switch (refusal) {
    case NumberRefusal::None:
      return "";
    case NumberRefusal::NotANumber:
      return "must be a number";
    case NumberRefusal::NotFinite:
      return "must be a finite number";
  }
  return "";
}

}  // namespace compose
