// The command-line programs' checks and refusals, read by CLI11: whole numbers in
// plain decimal, reals as the player reads a typed Pitch, choices, and CLI11's own
// refusals reworded as one line of the program's.
#pragma once

#include <CLI/CLI.hpp>
#include <map>
#include <string>

namespace tool {

// A decimal whole number in [low, high]. The text is handed on in plain decimal, since
// CLI11 itself would read "010" as octal. The help shows the range unless told not to.
CLI::Validator wholeNumber(int low, int high, bool rangeInHelp = true);

// One of two or three words.
CLI::Validator oneOf(const char* a, const char* b, const char* c = nullptr);

// A finite number and nothing else, read as the player reads a typed Pitch.
CLI::Validator finiteNumber();
// The number an option's text holds, once its validator has passed it.
double finiteValue(const std::string& text);

// CLI11's refusals in the tools' words: "--views is given twice", not its own.
// `mismatchWords` gives, per option, what to say when it has the wrong number of values.
std::string refusalText(const CLI::ParseError& e, CLI::App& app,
                        const std::map<std::string, std::string>& mismatchWords = {});

// The usage lines come first, in place of CLI11's own one-line summary, then what the
// program does.
class UsageFormatter : public CLI::Formatter {
 public:
  UsageFormatter(std::string usage, std::string description)
      : usage_(std::move(usage)), description_(std::move(description)) {}
  std::string make_usage(const CLI::App*, std::string) const override {
    return usage_ + "\n" + description_ + "\n";
  }
  std::string make_description(const CLI::App*) const override { return {}; }

 private:
  std::string usage_;
  std::string description_;
};

// The file a --panel or --save-panel value names: "default" is the profile's usual
// place, empty when there is none (neither XDG_CONFIG_HOME nor HOME set).
std::string panelProfilePath(const std::string& name);
inline constexpr const char* kNoDefaultPanel =
    "the default panel profile needs XDG_CONFIG_HOME or HOME to be set";

}  // namespace tool
