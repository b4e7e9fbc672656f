// Rewriting cmd lines for sh: cmd's own parse of the line, the C runtime's split of each
// command, and an sh program made only of operators and positional references.
#include "services/cmd_shell.h"

#include <cstdlib>

#include "platform/text/cp1252.h"
#include "platform/files/paths.h"
#include "services/child_registry.h"
#include "services/program_names.h"

namespace CmdShell {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// %NAME% of a variable that is set becomes its value; anything else stays as written.
// cmd does this to the whole line before anything else, inside quotes too.
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

// The sh program being built: every word becomes the next positional parameter.
struct Builder {
  Script script;
  void Emit(std::string_view text) {
    if (!script.text.empty() && script.text.back() != ' ') script.text += ' ';
    script.text += text;
  }
  void Word(std::string word) {
    script.words.push_back(std::move(word));
    Emit("\"${" + std::to_string(script.words.size()) + "}\"");
  }
};

// One simple command's text, as cmd hands it to the program: quotes kept, carets gone. The
// program and its arguments come from the C runtime's split of that text.
void EmitCommand(Builder& b, std::string_view text) {
  const std::vector<std::string> words = ProgramNames::SplitArguments(text);
  for (std::size_t n = 0; n < words.size(); ++n) {
    if (n == 0) {
      ProgramNames::Program program;
      if (ProgramNames::Find(words[0], program) == ProgramNames::kFound) {
        for (const std::string& part : program.leading) b.Word(part);
        continue;
      }
    }
    b.Word(ProgramNames::HostArgument(words[n]));
  }
}

std::string HostTarget(const std::string& target) {
  const std::string folded = Paths::FoldCase(target);
  if (folded == "NUL" || folded == "NUL:") return "/dev/null";
  const std::string host = Paths::ToHost(target);
  return host.empty() ? Cp1252::ToUtf8(target) : host;
}

// A redirection of the command: its operator and, unless it names a stream ("2>&1"), its
// target.
struct Redirection {
  std::string op;
  bool hasTarget = false;
  std::string target;
};

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

bool IsOperator(char c) { return c == '&' || c == '|' || c == '<' || c == '>'; }

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
      Script script = ToShell(StripOuterQuotes(line, stripAlways));
      // /k: after the line the interpreter stays, reading commands from its input.
      if (sw == 'K') script.text += "\nexec /bin/sh";
      std::vector<std::string> argv{"sh", "-c", std::move(script.text), "sh"};
      for (std::string& word : script.words) argv.push_back(std::move(word));
      return argv;
    }
    if (sw == 'S') stripAlways = true;
    while (i < parameters.size() && !IsBlank(parameters[i])) ++i;  // /q, /d, /e:on …
  }
  return {"sh"};
}

Script ToShell(std::string_view original) {
  const std::string line = ExpandVariables(original);
  Builder b;
  std::string text;                        // the simple command's text so far
  std::vector<Redirection> redirections;   // and its redirections, in their order
  bool quoted = false;                     // cmd's quote state: every quote toggles it
  bool loneDigit = false;                  // the text ends in a plain digit after a blank ("2>")
  int groups = 0;
  auto endCommand = [&] {
    EmitCommand(b, text);
    for (const Redirection& r : redirections) {
      b.Emit(r.op);
      if (r.hasTarget) b.Word(r.target);
    }
    text.clear();
    redirections.clear();
    loneDigit = false;
  };
  const std::size_t n = line.size();
  for (std::size_t i = 0; i < n; ++i) {
    const char c = line[i];
    if (quoted || c == '"') {
      if (c == '"') quoted = !quoted;
      text.push_back(c);
      loneDigit = false;
      continue;
    }
    if (c == '^') {
      if (i + 1 < n) text.push_back(line[++i]);
      loneDigit = false;
      continue;
    }
    if (c == '<' || c == '>') {
      std::string op;
      if (loneDigit) {
        op.push_back(text.back());
        text.pop_back();
      }
      op.push_back(c);
      if (c == '>' && i + 1 < n && line[i + 1] == '>') op.push_back(line[++i]);
      loneDigit = false;
      if (i + 2 < n && line[i + 1] == '&' && IsDigit(line[i + 2])) {
        op += line.substr(i + 1, 2);
        i += 2;
        redirections.push_back({op, false, {}});
        continue;
      }
      // The target: one token, its quotes removed, carets escaping as outside quotes.
      while (i + 1 < n && IsBlank(line[i + 1])) ++i;
      std::string target;
      bool inQuotes = false;
      while (i + 1 < n) {
        const char t = line[i + 1];
        if (t == '"') {
          inQuotes = !inQuotes;
        } else if (!inQuotes && (IsBlank(t) || IsOperator(t) || (t == ')' && groups > 0))) {
          break;
        } else if (!inQuotes && t == '^' && i + 2 < n) {
          target.push_back(line[i + 2]);
          ++i;
        } else {
          target.push_back(t);
        }
        ++i;
      }
      redirections.push_back({op, true, HostTarget(target)});
      continue;
    }
    if (c == '|' || c == '&') {
      endCommand();
      const bool doubled = i + 1 < n && line[i + 1] == c;
      if (doubled) ++i;
      // cmd's single "&" runs one command after the other, as sh's ";" does.
      b.Emit(doubled ? std::string(2, c) : c == '&' ? std::string(";") : std::string("|"));
      continue;
    }
    if (c == '(' && ProgramNames::SplitArguments(text).empty()) {
      text.clear();
      b.Emit("(");
      ++groups;
      continue;
    }
    if (c == ')' && groups > 0) {
      endCommand();
      b.Emit(")");
      --groups;
      continue;
    }
    loneDigit = IsDigit(c) && (text.empty() || IsBlank(text.back()));
    text.push_back(c);
  }
  endCommand();
  return b.script;
}

}  // namespace CmdShell
