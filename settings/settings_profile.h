// Reading initialisation files the way Windows' private-profile calls do, with the parsed
// files kept until they change on disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>

namespace Settings {

// Sections and keys under their folded names; only the first section of a name and the
// first key of a name in it are kept, as Windows only ever finds those.
struct Profile {
  std::unordered_map<std::string, std::unordered_map<std::string, std::string>> sections;
};

// Parses the bytes of a file: UTF-8 (with or without its byte-order mark) or UTF-16 with
// its mark is converted to Windows-1252, other bytes are taken as Windows-1252. Lines end
// at CR or LF; malformed lines are skipped.
Profile ParseProfile(std::string_view bytes);

// The value of a key, or nullptr when the section or the key is absent.
const std::string* FindValue(const Profile& profile, std::string_view section, std::string_view key);

struct CachedProfile {
  bool present = false;
  uint64_t device = 0, inode = 0, size = 0;
  int64_t modifiedSeconds = 0, modifiedNanoseconds = 0;
  Profile profile;
};

// Parsed files by Linux path.
using ProfileCache = std::map<std::string, CachedProfile>;

// The profile of a file, read again only when its identity, size or modification time
// changed since the last call. A missing or unreadable file is an empty profile.
const Profile& LoadProfile(ProfileCache& cache, const std::string& hostPath);

// What a private-profile read with a buffer of maxLength + 1 characters returns: the value
// (one pair of surrounding quotes removed), or `def` (trailing blanks removed) when the
// file, the section or the key is absent; cut at a zero byte and at maxLength characters.
std::string ReadProfileString(ProfileCache& cache, const std::string& hostPath, std::string_view section,
                              std::string_view key, std::string_view def, std::size_t maxLength);

}  // namespace Settings
