// help/writer/HelpSource.cpp: reads the help source line by line. Markup never
// spans lines, so every error names the line it is on.
#include "help/writer/HelpSource.h"

#include <algorithm>
#include <map>

#include "rtl/Ascii.h"

namespace glint::help {
namespace {

// Lengths the viewer's lists and the topic blocks take comfortably.
constexpr std::size_t kMaxTitle = 127;
constexpr std::size_t kMaxParagraph = 2000;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

bool IsContextChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
         c == '_';
}

void CheckContextName(std::string_view name, int line) {
  if (name.empty()) throw THelpSourceError(line, "a context name is missing");
  for (char c : name)
    if (!IsContextChar(c))
      throw THelpSourceError(line, "context name '" + std::string(name) +
                                       "' may hold only letters, digits, '.' and '_'");
}

// Adds a run, joining it to the previous one when both look the same.
void AddRun(std::vector<TRun>& runs, TRun run) {
  if (run.Text.empty()) return;
  if (!runs.empty() && runs.back().Bold == run.Bold && runs.back().Jump.empty() &&
      run.Jump.empty()) {
    runs.back().Text += run.Text;
    return;
  }
  runs.push_back(std::move(run));
}

// The runs of one line of paragraph text: plain text, **bold** and [[NAME|jump]].
std::vector<TRun> ParseRuns(std::string_view text, int line) {
  std::vector<TRun> runs;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t bold = text.find("**", pos), jump = text.find("[[", pos);
    const std::size_t next = std::min(bold, jump);
    AddRun(runs, {std::string(text.substr(pos, next - pos)), false, "", line});
    if (next == std::string_view::npos) break;
    if (next == bold) {
      const std::size_t end = text.find("**", bold + 2);
      if (end == std::string_view::npos)
        throw THelpSourceError(line, "'**' is not closed on this line");
      if (end == bold + 2) throw THelpSourceError(line, "'****' marks no bold text");
      AddRun(runs, {std::string(text.substr(bold + 2, end - bold - 2)), true, "", line});
      pos = end + 2;
    } else {
      const std::size_t end = text.find("]]", jump + 2);
      if (end == std::string_view::npos)
        throw THelpSourceError(line, "'[[' is not closed on this line");
      const std::string_view inner = text.substr(jump + 2, end - jump - 2);
      const std::size_t bar = inner.find('|');
      if (bar == std::string_view::npos)
        throw THelpSourceError(line, "a jump is written [[NAME|text]]");
      const std::string_view name = Trim(inner.substr(0, bar));
      const std::string_view shown = inner.substr(bar + 1);
      CheckContextName(name, line);
      if (Trim(shown).empty())
        throw THelpSourceError(line, "the jump to '" + std::string(name) + "' shows no text");
      runs.push_back({std::string(shown), false, std::string(name), line});
      pos = end + 2;
    }
  }
  return runs;
}

std::size_t TextLength(const TParagraph& paragraph) {
  std::size_t n = 0;
  for (const TRun& run : paragraph.Runs) n += run.Text.size();
  return n;
}

class TParser {
 public:
  THelpSource Parse(std::string_view text) {
    int line = 0;
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      std::string_view raw = text.substr(start, end - start);
      if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
      Line(raw, ++line);
      start = end + 1;
    }
    Finish(line);
    return std::move(FSource);
  }

 private:
  void Line(std::string_view raw, int line) {
    for (std::size_t i = 0; i < raw.size(); ++i) {
      const auto c = static_cast<unsigned char>(raw[i]);
      if (c < 0x20 || c > 0x7E)
        throw THelpSourceError(line, "column " + std::to_string(i + 1) +
                                         ": only printable ASCII characters are allowed");
    }
    const std::string_view text = Trim(raw);
    if (text.empty()) {
      FOpen = false;  // a blank line ends the paragraph
      return;
    }
    if (raw.front() == '#') return;
    if (raw.front() == '.') {
      Directive(text, line);
      FOpen = false;
      return;
    }
    if (FSource.Topics.empty()) throw THelpSourceError(line, "text before the first '.topic'");
    TTopic& topic = FSource.Topics.back();
    if (text.starts_with("- ")) {
      topic.Paragraphs.push_back(
          {TParagraphKind::Bullet, ParseRuns(Trim(text.substr(2)), line), line});
    } else if (FOpen &&
               (topic.Paragraphs.back().Kind != TParagraphKind::Bullet || raw.front() == ' ')) {
      std::vector<TRun>& runs = topic.Paragraphs.back().Runs;
      AddRun(runs, {" ", false, "", line});
      for (TRun& run : ParseRuns(text, line)) AddRun(runs, std::move(run));
    } else {
      topic.Paragraphs.push_back({TParagraphKind::Body, ParseRuns(text, line), line});
    }
    FOpen = true;
  }

  void Directive(std::string_view text, int line) {
    const std::size_t space = text.find(' ');
    const std::string_view word = text.substr(0, space);
    const std::string_view rest =
        space == std::string_view::npos ? std::string_view() : Trim(text.substr(space));
    if (word == ".title" || word == ".copyright") {
      if (!FSource.Topics.empty())
        throw THelpSourceError(line,
                               "'" + std::string(word) + "' must come before the first topic");
      std::string& field = word == ".title" ? FSource.Title : FSource.Copyright;
      if (!field.empty())
        throw THelpSourceError(line, "'" + std::string(word) + "' is given twice");
      if (rest.empty()) throw THelpSourceError(line, "'" + std::string(word) + "' needs a text");
      if (rest.size() > kMaxTitle)
        throw THelpSourceError(line, "'" + std::string(word) + "' is longer than " +
                                         std::to_string(kMaxTitle) + " characters");
      field = rest;
    } else if (word == ".topic") {
      Topic(rest, line);
    } else if (word == ".heading") {
      if (FSource.Topics.empty())
        throw THelpSourceError(line, "'.heading' before the first '.topic'");
      if (rest.empty()) throw THelpSourceError(line, "'.heading' needs a text");
      FSource.Topics.back().Paragraphs.push_back(
          {TParagraphKind::Heading, ParseRuns(rest, line), line});
    } else {
      throw THelpSourceError(line, "unknown directive '" + std::string(word) + "'");
    }
  }

  void Topic(std::string_view rest, int line) {
    const std::size_t space = rest.find(' ');
    const std::string_view name = rest.substr(0, space);
    const std::string_view title =
        space == std::string_view::npos ? std::string_view() : Trim(rest.substr(space));
    CheckContextName(name, line);
    if (title.empty())
      throw THelpSourceError(line, "topic '" + std::string(name) + "' has no title");
    if (title.size() > kMaxTitle)
      throw THelpSourceError(line, "the title of topic '" + std::string(name) +
                                       "' is longer than " + std::to_string(kMaxTitle) +
                                       " characters");
    const std::uint32_t hash = ContextHash(name);
    if (hash == 0)  // a jump to hash 0 opens the contents page
      throw THelpSourceError(line, "context name '" + std::string(name) + "' hashes to 0");
    if (const auto known = FByHash.find(hash); known != FByHash.end()) {
      const TTopic& other = FSource.Topics[known->second];
      throw THelpSourceError(
          line, SameTextAscii(other.Context, name)
                    ? "topic '" + std::string(name) + "' is already defined at line " +
                          std::to_string(other.Line)
                    : "context name '" + std::string(name) + "' hashes like '" + other.Context +
                          "' (line " + std::to_string(other.Line) + "); rename one of them");
    }
    FByHash.emplace(hash, FSource.Topics.size());
    TTopic topic{std::string(name), std::string(title), {}, line};
    topic.Paragraphs.push_back(
        {TParagraphKind::Title, {{std::string(title), false, "", line}}, line});
    FSource.Topics.push_back(std::move(topic));
  }

  void Finish(int lastLine) {
    if (FSource.Title.empty()) throw THelpSourceError(1, "the source has no '.title'");
    if (FSource.Topics.empty()) throw THelpSourceError(lastLine, "the source has no '.topic'");
    for (const TTopic& topic : FSource.Topics)
      for (const TParagraph& paragraph : topic.Paragraphs) {
        if (TextLength(paragraph) > kMaxParagraph)
          throw THelpSourceError(paragraph.Line,
                                 "paragraph of " + std::to_string(TextLength(paragraph)) +
                                     " characters; at most " + std::to_string(kMaxParagraph));
        for (const TRun& run : paragraph.Runs)
          if (!run.Jump.empty() && !FByHash.contains(ContextHash(run.Jump)))
            throw THelpSourceError(run.Line, "jump to unknown topic '" + run.Jump + "'");
      }
  }

  THelpSource FSource;
  std::map<std::uint32_t, std::size_t> FByHash;  // context hash -> topic index
  // Whether a text line continues the last paragraph; a bullet takes only
  // indented lines.
  bool FOpen = false;
};

}  // namespace

THelpSourceError::THelpSourceError(int line, const std::string& message)
    : std::runtime_error("line " + std::to_string(line) + ": " + message),
      FLine(line),
      FMessage(message) {}

THelpSource ParseHelpSource(std::string_view text) { return TParser().Parse(text); }

std::uint32_t ContextHash(std::string_view name) {
  // Winterhoff's table, for the characters a context name may hold (names are
  // checked before they are hashed): letters alike in both cases, digits, '.', '_'.
  std::uint32_t hash = 0;
  for (char c : name) {
    std::uint32_t x = 0;
    if (c >= 'A' && c <= 'Z') x = c - 'A' + 17;
    if (c >= 'a' && c <= 'z') x = c - 'a' + 17;
    if (c >= '1' && c <= '9') x = c - '0';
    if (c == '0') x = 10;
    if (c == '.') x = 12;
    if (c == '_') x = 13;
    if (x) hash = hash * 43 + x;
  }
  return hash;
}

}  // namespace glint::help
