#include "cli_words.h"

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "compose/panel_profile.h"
#include "compose/typed_number.h"

namespace tool {

CLI::Validator wholeNumber(int low, int high, bool rangeInHelp) {
  const std::string range = "from " + std::to_string(low) + " to " + std::to_string(high);
  return CLI::Validator(
      [low, high, range](std::string& text) -> std::string {
        errno = 0;
        char* end = nullptr;
        const long v = std::strtol(text.c_str(), &end, 10);
        if (text.empty() || *end != '\0' || errno == ERANGE || v < low || v > high) {
          return "must be a whole number " + range + " (got \"" + text + "\")";
        }
        text = std::to_string(v);
        return {};
      },
      rangeInHelp ? range : "");
}

CLI::Validator oneOf(const char* a, const char* b, const char* c) {
  return CLI::Validator(
      [a, b, c](std::string& text) -> std::string {
        if (text == a || text == b || (c && text == c)) return {};
        const std::string choices =
            c ? std::string(a) + ", " + b + " or " + c : std::string(a) + " or " + b;
        return "must be " + choices + " (got \"" + text + "\")";
      },
      std::string(a) + "|" + b + (c ? std::string("|") + c : std::string()));
}

CLI::Validator finiteNumber() {
  return CLI::Validator(
      [](std::string& text) -> std::string {
        const compose::TypedNumber n =
            compose::readFiniteNumber(text.c_str(), compose::NumberReading::Whole);
        if (!n) return compose::refusalWords(n.refusal) + " (got \"" + text + "\")";
        return {};
      },
      "");
}

double finiteValue(const std::string& text) {
  return compose::readFiniteNumber(text.c_str(), compose::NumberReading::Whole).value;
}

std::string refusalText(const CLI::ParseError& e, CLI::App& app,
                        const std::map<std::string, std::string>& mismatchWords) {
  const std::string what = e.what();
  const size_t colon = what.find(": ");
  const std::string name =
      what.rfind("--", 0) == 0 && colon != std::string::npos ? what.substr(0, colon) : "";
  if (dynamic_cast<const CLI::ExtrasError*>(&e)) {
    const std::vector<std::string> rest = app.remaining();
    return "unknown argument \"" + (rest.empty() ? std::string() : rest.front()) +
           "\" (see --help)";
  }
  if (!name.empty() && dynamic_cast<const CLI::ValidationError*>(&e)) {
    return name + " " + what.substr(colon + 2);
  }
  if (!name.empty() && dynamic_cast<const CLI::ArgumentMismatch*>(&e)) {
    const auto words = mismatchWords.find(name);
    if (words != mismatchWords.end()) return words->second;
    const CLI::Option* opt = app.get_option_no_throw(name);
    return name + (opt && opt->count() > 1 ? " is given twice" : " needs a value");
  }
  return what;
}

std::string panelProfilePath(const std::string& name) {
  return name == "default" ? compose::defaultPanelProfilePath() : name;
}

}  // namespace tool
