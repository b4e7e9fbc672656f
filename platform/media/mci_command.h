// Splitting an MCI command string into its command, device name and keywords, and the
// error numbers MCI answers with. Pure text work: nothing here touches a device.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Mci {

// Error numbers as the system's media control interface gives them (0: success).
inline constexpr int kOk = 0;
inline constexpr int kErrInvalidDeviceId = 257;
inline constexpr int kErrUnrecognizedKeyword = 259;
inline constexpr int kErrUnrecognizedCommand = 261;
inline constexpr int kErrHardware = 262;
inline constexpr int kErrInvalidDeviceName = 263;
inline constexpr int kErrCannotLoadDriver = 266;
inline constexpr int kErrMissingCommandString = 267;
inline constexpr int kErrParamOverflow = 268;
inline constexpr int kErrBadInteger = 270;
inline constexpr int kErrMissingParameter = 273;
inline constexpr int kErrUnsupportedFunction = 274;
inline constexpr int kErrFileNotFound = 275;
inline constexpr int kErrDeviceNotReady = 276;
inline constexpr int kErrOutOfRange = 282;
inline constexpr int kErrDuplicateAlias = 289;
inline constexpr int kErrBadConstant = 290;
inline constexpr int kErrMissingDeviceName = 292;
inline constexpr int kErrBadTimeFormat = 293;
inline constexpr int kErrNoClosingQuote = 294;
inline constexpr int kErrDuplicateFlags = 295;
inline constexpr int kErrInvalidFile = 296;
inline constexpr int kErrExtraCharacters = 305;

// One command string taken apart. Words are separated by blanks; a double-quoted run is one
// word without its quotes (it may hold blanks).
struct Command {
  std::string verb;                // lower-case: "open", "play" …
  std::string device;              // the second word as written: alias, file or "all"
  std::vector<std::string> words;  // the rest, as written
};

// 0, or kErrNoClosingQuote, kErrMissingCommandString (nothing but blanks) or
// kErrMissingDeviceName (a command without its device).
int ParseCommand(std::string_view text, Command& out);

// The keywords after the device name, read one at a time. Keyword comparison ignores
// letter case; every keyword may be given once.
class Words {
 public:
  explicit Words(const std::vector<std::string>& words) : words_(words), used_(words.size(), false) {}
  // True (and marks it) when `keyword` is present.
  bool Flag(std::string_view keyword);
  // The word after `keyword` ("alias x" → "x"); nullopt when the keyword is absent;
  // `error` becomes kErrMissingParameter when the keyword is the last word.
  std::optional<std::string> Value(std::string_view keyword, int& error);
  // The whole number after `keyword` (milliseconds, volumes, handles);
  // kErrBadInteger when it is not one.
  std::optional<int64_t> Number(std::string_view keyword, int& error);
  // The first word not yet taken (kErrUnrecognizedKeyword), or 0.
  int Leftover() const;

 private:
  int Find(std::string_view keyword) const;
  const std::vector<std::string>& words_;
  std::vector<bool> used_;
};

// Decimal digits only, no sign, at most 18 digits; nullopt otherwise.
std::optional<int64_t> ParseNumber(std::string_view text);

}  // namespace Mci
