// Private-profile reading: parsing an initialisation file and keeping it parsed until the
// file changes.
#include "settings/settings_profile.h"

#include <cerrno>

#include "platform/files/file_io.h"
#include "platform/text/cp1252.h"
#include "platform/text/text_kit.h"
#include "platform/files/paths.h"

namespace Settings {

namespace {

// A settings file is a few kilobytes; anything beyond this is not read, so that a wrong
// file (a disk image named Auris.ini) cannot exhaust memory.
constexpr std::size_t kMaxFileBytes = 4u << 20;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) { return TextKit::TrimIf(s, IsBlank); }

std::string FromUtf16(std::string_view bytes, bool littleEndian) {
  std::string out;
  out.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto lo = static_cast<uint8_t>(bytes[littleEndian ? i : i + 1]);
    const auto hi = static_cast<uint8_t>(bytes[littleEndian ? i + 1 : i]);
    const char32_t unit = static_cast<char32_t>(hi << 8 | lo);
    const int b = (unit >= 0xD800 && unit <= 0xDFFF) ? -1 : Cp1252::FromUnicode(unit);
    out.push_back(b < 0 ? '?' : static_cast<char>(b));
  }
  return out;
}

// The file's text in Windows-1252.
std::string FileText(std::string_view bytes) {
  if (bytes.substr(0, 2) == "\xFF\xFE") return FromUtf16(bytes.substr(2), true);
  if (bytes.substr(0, 2) == "\xFE\xFF") return FromUtf16(bytes.substr(2), false);
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  return Cp1252::FromFileText(bytes);
}

bool ReadFile(const std::string& path, std::string& out) {
  FileIo::File file;
  if (file.Open(path, FileIo::Mode::Read) != 0) return false;
  out.clear();
  char buffer[65536];
  while (out.size() < kMaxFileBytes) {
    const long n = file.Read(buffer, sizeof buffer);
    if (n == -EINTR) continue;
    if (n <= 0) break;
    out.append(buffer, static_cast<std::size_t>(n));
  }
  file.Close();
  if (out.size() > kMaxFileBytes) out.resize(kMaxFileBytes);
  return true;
}

}  // namespace

Profile ParseProfile(std::string_view bytes) {
  Profile profile;
  const std::string text = FileText(bytes);
  std::string_view rest(text);
  // Keys of a section whose name came before go nowhere: Windows only finds the first.
  std::unordered_map<std::string, std::string>* section = nullptr;
  while (!rest.empty()) {
    const std::size_t end = rest.find_first_of("\r\n");
    const std::string_view line = Trim(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      const std::size_t close = line.rfind(']');
      if (close != std::string_view::npos) {
        auto [it, added] = profile.sections.try_emplace(Paths::FoldCase(Trim(line.substr(1, close - 1))));
        section = added ? &it->second : nullptr;
        continue;
      }
    }
    const std::size_t eq = line.find('=');
    if (!section || eq == std::string_view::npos) continue;  // outside any section, or no value
    const std::string_view key = Trim(line.substr(0, eq));
    if (key.empty()) continue;
    section->try_emplace(Paths::FoldCase(key), Trim(line.substr(eq + 1)));
  }
  return profile;
}

const std::string* FindValue(const Profile& profile, std::string_view section, std::string_view key) {
  const auto s = profile.sections.find(Paths::FoldCase(Trim(section)));
  if (s == profile.sections.end()) return nullptr;
  const auto k = s->second.find(Paths::FoldCase(Trim(key)));
  return k == s->second.end() ? nullptr : &k->second;
}

const Profile& LoadProfile(ProfileCache& cache, const std::string& hostPath) {
  CachedProfile& entry = cache[hostPath];
  FileIo::Info st;
  if (hostPath.empty() || FileIo::Query(hostPath, st) != 0 || st.kind != FileIo::Kind::Regular) {
    entry = CachedProfile{};
    return entry.profile;
  }
  const bool same = entry.present && entry.device == st.device && entry.inode == st.inode && entry.size == st.size &&
                    entry.modifiedSeconds == st.modifiedSeconds && entry.modifiedNanoseconds == st.modifiedNanoseconds;
  if (same) return entry.profile;
  std::string bytes;
  entry = CachedProfile{};
  if (!ReadFile(hostPath, bytes)) return entry.profile;
  entry.present = true;
  entry.device = st.device;
  entry.inode = st.inode;
  entry.size = st.size;
  entry.modifiedSeconds = st.modifiedSeconds;
  entry.modifiedNanoseconds = st.modifiedNanoseconds;
  entry.profile = ParseProfile(bytes);
  return entry.profile;
}

std::string ReadProfileString(ProfileCache& cache, const std::string& hostPath, std::string_view section,
                              std::string_view key, std::string_view def, std::size_t maxLength) {
  const std::string* found = FindValue(LoadProfile(cache, hostPath), section, key);
  std::string value;
  if (found) {
    std::string_view v(*found);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
      v = v.substr(1, v.size() - 2);
    value = v;
  } else {
    std::string_view d(def);
    d = TextKit::TrimRightIf(d, IsBlank);
    value = d;
  }
  // The caller's buffer is a C string: a zero byte ends it.
  if (const std::size_t zero = value.find('\0'); zero != std::string::npos) value.resize(zero);
  if (value.size() > maxLength) value.resize(maxLength);
  return value;
}

}  // namespace Settings
