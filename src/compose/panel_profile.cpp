#include "compose/panel_profile.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

// toml++ 3.3's own assertions stop on states its code goes on to refuse cleanly ("[?",
// "6vi%-"), which would end a debug build on a bad profile; its release code is what
// every build runs.
#define TOML_ASSERT(expr) static_cast<void>(0)
#include <toml++/toml.h>

namespace compose {

namespace {

// A number in the fewest digits that read back to it, spelled as a TOML float.
std::string shortest(double v) {
  std::array<char, 32> text{};
  const auto end = std::to_chars(text.data(), text.data() + text.size(), v).ptr;
  std::string s(text.data(), end);
  if (s.find_first_of(".eni") == std::string::npos) s += ".0";
  return s;
}

// What a refusal shows of the value it got.
std::string describe(const toml::node& node) {
  if (auto i = node.value_exact<int64_t>()) return std::to_string(*i);
  if (auto d = node.value_exact<double>()) return shortest(*d);
  if (auto s = node.value_exact<std::string>()) return "\"" + *s + "\"";
  if (auto b = node.value_exact<bool>()) return *b ? "true" : "false";
  if (node.is_table()) return "a table";
  if (node.is_array()) return "an array";
  return "a date or time";
}

// Each reader stores the value or says what it must be.
std::string readWhole(const toml::node& node, int low, int high, std::optional<int>& into) {
  const auto v = node.value_exact<int64_t>();
  if (!v || *v < low || *v > high) {
    return "must be a whole number from " + std::to_string(low) + " to " + std::to_string(high);
  }
  into = static_cast<int>(*v);
  return {};
}

std::string readReal(const toml::node& node, bool nonZero, std::optional<double>& into) {
  std::optional<double> v = node.value_exact<double>();
  if (auto i = node.value_exact<int64_t>()) v = static_cast<double>(*i);
  if (!v || !std::isfinite(*v) || (nonZero && *v == 0)) {
    return nonZero ? "must be a finite number other than 0" : "must be a finite number";
  }
  into = *v;
  return {};
}

template <class E, size_t N>
std::string readChoice(const toml::node& node,
                       const std::array<std::pair<const char*, E>, N>& names,
                       std::optional<E>& into) {
  if (auto s = node.value_exact<std::string>()) {
    for (const auto& [name, value] : names) {
      if (*s == name) {
        into = value;
        return {};
      }
    }
  }
  std::string choices;
  for (size_t i = 0; i < N; ++i) {
    choices += (i == 0       ? ""
                : i + 1 == N ? " or "
                             : ", ") +
               ("\"" + std::string(names[i].first) + "\"");
  }
  return "must be " + choices;
}

constexpr std::array<std::pair<const char*, SubpixelOrder>, 2> kOrders{
    {{"rgb", SubpixelOrder::Rgb}, {"bgr", SubpixelOrder::Bgr}}};
constexpr std::array<std::pair<const char*, Method>, 3> kMethods{
    {{"stable", Method::Stable}, {"beta", Method::Beta}, {"fine", Method::Fine}}};

// The keys a profile may hold, in the order they are written.
struct Key {
  const char* name;
  std::string (*read)(const toml::node&, PanelProfile&);
  std::string (*write)(const PanelProfile&);  // empty when the profile leaves it out
};

template <class T>
std::string written(const std::optional<T>& v) {
  if (!v) return {};
  if constexpr (std::is_same_v<T, double>) {
    return shortest(*v);
  } else if constexpr (std::is_same_v<T, int>) {
    return std::to_string(*v);
  } else if constexpr (std::is_same_v<T, SubpixelOrder>) {
    return std::string("\"") + subpixelOrderName(*v) + "\"";
  } else {
    return std::string("\"") + methodName(*v) + "\"";
  }
}

constexpr std::array<Key, 8> kKeys{{
    {"width",
     [](const toml::node& n, PanelProfile& p) { return readWhole(n, 1, kFineMaxWidth, p.width); },
     [](const PanelProfile& p) { return written(p.width); }},
    {"height",
     [](const toml::node& n, PanelProfile& p) { return readWhole(n, 1, kFineMaxHeight, p.height); },
     [](const PanelProfile& p) { return written(p.height); }},
    {"pitch", [](const toml::node& n, PanelProfile& p) { return readReal(n, true, p.pitch); },
     [](const PanelProfile& p) { return written(p.pitch); }},
    {"slant", [](const toml::node& n, PanelProfile& p) { return readReal(n, false, p.slant); },
     [](const PanelProfile& p) { return written(p.slant); }},
    {"offset", [](const toml::node& n, PanelProfile& p) { return readReal(n, false, p.offset); },
     [](const PanelProfile& p) { return written(p.offset); }},
    {"subpixels",
     [](const toml::node& n, PanelProfile& p) { return readChoice(n, kOrders, p.subpixels); },
     [](const PanelProfile& p) { return written(p.subpixels); }},
    {"views",
     [](const toml::node& n, PanelProfile& p) {
       return readWhole(n, kMinViews, kMaxViews, p.views);
     },
     [](const PanelProfile& p) { return written(p.views); }},
    {"method",
     [](const toml::node& n, PanelProfile& p) { return readChoice(n, kMethods, p.method); },
     [](const PanelProfile& p) { return written(p.method); }},
}};

const Key* findKey(std::string_view name) {
  for (const Key& k : kKeys) {
    if (name == k.name) return &k;
  }
  return nullptr;
}

std::string lineText(const toml::source_region& where) {
  return "line " + std::to_string(where.begin.line) + ": ";
}

std::string unknownKeyText(std::string_view name) {
  std::string keys;
  for (size_t i = 0; i < kKeys.size(); ++i) {
    keys += (i == 0 ? "" : i + 1 == kKeys.size() ? " and " : ", ") + std::string(kKeys[i].name);
  }
  return "unknown key \"" + std::string(name) + "\" (the keys are " + keys + ")";
}

// What the TOML reader is never shown: a profile is ASCII text, and flat (its keys hold
// numbers and words, never tables or arrays). toml++ 3.3 runs into unreachable code on
// some characters beyond ASCII (U+0406), so such lines are refused before it reads
// them; a line that opens a table or an array is refused by name.
std::string outsideProfileRefusal(std::string_view text) {
  size_t line = 1;
  for (size_t at = 0; at < text.size(); ++line) {
    const size_t end = std::min(text.find('\n', at), text.size());
    const std::string_view row = text.substr(at, end - at);
    const auto beyondAscii = std::find_if(row.begin(), row.end(), [](char c) { return c & 0x80; });
    if (beyondAscii != row.end()) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned char>(*beyondAscii));
      return "line " + std::to_string(line) + ": a panel profile is plain ASCII text (found byte " +
             hex + ")";
    }
    const size_t first = row.find_first_not_of(" \t");
    if (first != std::string_view::npos && row[first] == '[') {
      return "line " + std::to_string(line) +
             ": a panel profile holds no tables or arrays, only its keys";
    }
    at = end + 1;
  }
  return {};
}

}  // namespace

PanelProfileReading parsePanelProfile(std::string_view text) {
  if (std::string refusal = outsideProfileRefusal(text); !refusal.empty()) return {{}, refusal};
  toml::table table;
  try {
    table = toml::parse(text);
  } catch (const toml::parse_error& e) {
    return {{}, lineText(e.source()) + std::string(e.description())};
  }
  // The table holds its keys sorted by name; the refusal names the first line at fault.
  PanelProfileReading reading;
  uint32_t faultLine = 0;
  for (auto&& [name, node] : table) {
    const Key* key = findKey(name.str());
    std::string fault = key ? key->read(node, reading.profile) : unknownKeyText(name.str());
    if (fault.empty()) continue;
    if (key) fault = std::string(key->name) + " " + fault + " (got " + describe(node) + ")";
    const uint32_t line = name.source().begin.line;
    if (reading.refusal.empty() || line < faultLine) {
      reading.refusal = lineText(name.source()) + fault;
      faultLine = line;
    }
  }
  if (!reading.ok()) reading.profile = {};
  return reading;
}

std::string formatPanelProfile(const PanelProfile& profile) {
  std::string text = "# A lenticular panel, for direvo-compose --panel.\n";
  for (const Key& k : kKeys) {
    const std::string value = k.write(profile);
    if (!value.empty()) text += std::string(k.name) + " = " + value + "\n";
  }
  return text;
}

PanelProfileReading readPanelProfileFile(const std::string& path) {
  // A profile is a few lines; a bigger file (or a device that never ends) is not one.
  constexpr size_t kMaxBytes = 64 * 1024;
  std::ifstream in(path, std::ios::binary);
  if (!in) return {{}, path + ": " + std::strerror(errno)};
  std::string text(kMaxBytes + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<size_t>(in.gcount()));
  if (in.bad()) return {{}, path + ": cannot be read"};
  if (text.size() > kMaxBytes) return {{}, path + ": is not a panel profile (over 64 KiB)"};
  PanelProfileReading reading = parsePanelProfile(text);
  if (!reading.ok()) reading.refusal = path + ": " + reading.refusal;
  return reading;
}

std::string writePanelProfileFile(const std::string& path, const PanelProfile& profile) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path folder = fs::path(path).parent_path();
  if (!folder.empty()) fs::create_directories(folder, error);
  if (error) return error.message();
  // Written beside the old file and renamed over it, so a failure leaves the old one.
  const std::string staged = path + ".part";
  {
    std::ofstream out(staged, std::ios::binary | std::ios::trunc);
    if (!out) return std::strerror(errno);
    out << formatPanelProfile(profile);
    out.close();
    if (!out) {
      std::remove(staged.c_str());
      return "cannot be written";
    }
  }
  fs::rename(staged, path, error);
  if (error) {
    std::remove(staged.c_str());
    return error.message();
  }
  return {};
}

std::string defaultPanelProfilePath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && config[0] == '/') return std::string(config) + "/direvo/panel.toml";
  const char* home = std::getenv("HOME");
  if (home && home[0] != '\0') return std::string(home) + "/.config/direvo/panel.toml";
  return {};
}

const char* methodName(Method m) {
  for (const auto& [name, value] : kMethods) {
    if (value == m) return name;
  }
  return "";
}

const char* subpixelOrderName(SubpixelOrder order) {
  for (const auto& [name, value] : kOrders) {
    if (value == order) return name;
  }
  return "";
}

}  // namespace compose
