// Rewriting cmd lines for sh.
#include "services/cmd_shell.h"

#include <cstdlib>

#include "platform/cp1252.h"
#include "platform/paths.h"
#include "services/child_registry.h"
#include "services/program_names.h"

namespace CmdShell {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string Quote(std::string_view utf8) {
  std::string out = "'";
  for (char c : utf8) {
    if (c == '\'') out += "'\\''";
    else out.push_back(c);
  }
  out += '\'';
  return out;
}

// %NAME% of a variable that is set becomes its value; anything else stays as written.
std::string ExpandVariables(std::string_view line) {
  std::string out;
  std::size_t i = 0;
  while (i < line.size()) {
    if (line[i] == '%') {
      const std::size_t close = line.find('%', i + 1);
      if (close != std::string_view::npos && close > i + 1) {
        const std::string name = Cp1252::ToUtf8(line.substr(i + 1, close - i - 1));
        if (const char* value = std::getenv(name.c_str())) {
          out += Cp1252::FromUtf8(value);
          i = close + 1;
          continue;
        }
      }
    }
    out.push_back(line[i++]);
  }
  return out;
}

enum class Expect { Command, Argument, Target };

std::string CommandWord(const std::string& word) {
  ProgramNames::Program program;
  if (ProgramNames::Find(word, program) == ProgramNames::kFound) {
    std::string out;
    for (const std::string& part : program.leading) {
      if (!out.empty()) out += ' ';
      out += Quote(part);
    }
    return out;
  }
  return Quote(ProgramNames::HostArgument(word));
}

std::string TargetWord(const std::string& word) {
  const std::string folded = Paths::FoldCase(word);
  if (folded == "NUL" || folded == "NUL:") return "/dev/null";
  const std::string host = Paths::ToHost(word);
  return Quote(host.empty() ? Cp1252::ToUtf8(word) : host);
}

// cmd's rule for the quotes around the line after /c: kept when there are exactly two,
// with blanks and no special character between them, around the name of a program;
// otherwise a leading quote and the last quote of the line go.
std::string StripOuterQuotes(std::string_view line, bool stripAlways) {
  const std::size_t first = line.find('"');
  if (first == std::string_view::npos) return std::string(line);
  if (!stripAlways) {
    const std::size_t second = line.find('"', first + 1);
    const bool two = second != std::string_view::npos && line.find('"', second + 1) == std::string_view::npos;
    if (two) {
      const std::string_view inside = line.substr(first + 1, second - first - 1);
      ProgramNames::Program program;
      if (inside.find_first_of("&<>()@^|") == std::string_view::npos &&
          inside.find_first_of(" \t") != std::string_view::npos &&
          ProgramNames::Find(inside, program) == ProgramNames::kFound)
        return std::string(line);
    }
  }
  if (line.front() != '"') return std::string(line);
  std::string out(line.substr(1));
  const std::size_t last = out.rfind('"');
  if (last != std::string::npos) out.erase(last, 1);
  return out;
}

}  // namespace

bool IsCommandInterpreter(std::string_view program) {
  while (!program.empty() && IsBlank(program.back())) program.remove_suffix(1);
  return ChildRegistry::ProgramKey(program) == "CMD";
}

std::vector<std::string> ShellArguments(std::string_view parameters) {
  bool stripAlways = false;
  std::size_t i = 0;
  for (;;) {
    while (i < parameters.size() && IsBlank(parameters[i])) ++i;
    if (i + 1 >= parameters.size() || parameters[i] != '/') break;
    const char sw = static_cast<char>(parameters[i + 1] & ~0x20);
    if (sw == 'C' || sw == 'K') {
      std::string_view line = parameters.substr(i + 2);
      while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
      std::string text = ToShell(StripOuterQuotes(line, stripAlways));
      // /k: after the line the interpreter stays, reading commands from its input.
      if (sw == 'K') text += "\nexec /bin/sh";
      return {"sh", "-c", text};
    }
    if (sw == 'S') stripAlways = true;
    while (i < parameters.size() && !IsBlank(parameters[i])) ++i;  // /q, /d, /e:on …
  }
  return {"sh"};
}

std::string ToShell(std::string_view original) {
  const std::string line = ExpandVariables(original);
  std::string out;
  std::string word;
  bool inWord = false;
  bool quoted = false;
  Expect expect = Expect::Command;
  Expect afterTarget = Expect::Command;
  int groups = 0;
  auto emit = [&](std::string_view text) {
    if (!out.empty() && out.back() != ' ') out += ' ';
    out += text;
  };
  auto flush = [&] {
    if (!inWord) return;
    if (expect == Expect::Target) {
      emit(TargetWord(word));
      expect = afterTarget;
    } else if (expect == Expect::Command) {
      emit(CommandWord(word));
      expect = Expect::Argument;
    } else {
      emit(Quote(ProgramNames::HostArgument(word)));
    }
    word.clear();
    inWord = false;
  };
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c == '"') quoted = false;
      else word.push_back(c);
      continue;
    }
    if (c == '"') {
      quoted = true;
      inWord = true;
      continue;
    }
    if (c == '^') {
      if (i + 1 < line.size()) word.push_back(line[++i]);
      inWord = true;
      continue;
    }
    if (IsBlank(c)) {
      flush();
      continue;
    }
    if (c == '<' || c == '>') {
      std::string op;
      // "2>" and "1>": a lone digit just before the sign names the stream.
      if (inWord && word.size() == 1 && IsDigit(word[0])) {
        op = word;
        word.clear();
        inWord = false;
      } else {
        flush();
      }
      op.push_back(c);
      if (c == '>' && i + 1 < line.size() && line[i + 1] == '>') op.push_back(line[++i]);
      if (i + 2 < line.size() && line[i + 1] == '&' && IsDigit(line[i + 2])) {
        op += line.substr(i + 1, 2);
        i += 2;
        emit(op);
        continue;
      }
      emit(op);
      if (expect != Expect::Target) afterTarget = expect;
      expect = Expect::Target;
      continue;
    }
    if (c == '|' || c == '&') {
      flush();
      const bool doubled = i + 1 < line.size() && line[i + 1] == c;
      if (doubled) ++i;
      // cmd's single "&" runs one command after the other, as sh's ";" does.
      emit(doubled ? std::string(2, c) : c == '&' ? std::string(";") : std::string("|"));
      expect = Expect::Command;
      continue;
    }
    if (c == '(' && !inWord && expect == Expect::Command) {
      emit("(");
      ++groups;
      continue;
    }
    if (c == ')' && groups > 0) {
      flush();
      emit(")");
      --groups;
      expect = Expect::Argument;
      continue;
    }
    word.push_back(c);
    inWord = true;
  }
  flush();
  return out;
}

}  // namespace CmdShell
