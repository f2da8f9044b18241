// help/writer/HelpSource.h: the plain-text help source (help/Glint.txt) read into
// topics, paragraphs and runs, checked so that every topic and jump can be written.
// The format itself is described at the top of help/Glint.txt.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace glint::help {

// A stretch of a paragraph in one style. A jump run is shown as the viewer
// shows hot spots and opens the topic of context name `Jump`.
struct TRun {
  std::string Text;
  bool Bold = false;
  std::string Jump;  // context name of the target topic; empty for plain text
  int Line = 0;      // source line, for messages
};

enum class TParagraphKind { Title, Heading, Body, Bullet };

struct TParagraph {
  TParagraphKind Kind = TParagraphKind::Body;
  std::vector<TRun> Runs;
  int Line = 0;
};

// One topic: its context name (the jump target), its title (shown in the
// viewer's lists) and its paragraphs, the first of them the title itself.
struct TTopic {
  std::string Context;
  std::string Title;
  std::vector<TParagraph> Paragraphs;
  int Line = 0;
};

struct THelpSource {
  std::string Title;           // the help file's title
  std::string Copyright;       // may be empty
  std::vector<TTopic> Topics;  // the first is the contents page
};

// A source the writer cannot turn into a help file: the line it is about
// (1-based) and what is wrong there.
class THelpSourceError : public std::runtime_error {
 public:
  THelpSourceError(int line, const std::string& message);
  int Line() const { return FLine; }
  const std::string& Message() const { return FMessage; }

 private:
  int FLine;
  std::string FMessage;
};

// Reads a help source; throws THelpSourceError on the first error.
THelpSource ParseHelpSource(std::string_view text);

// WinHelp's hash of a context name, the key jumps and |CONTEXT use. Names
// are letters, digits, '.' and '_'; letters hash without regard to case.
std::uint32_t ContextHash(std::string_view name);

}  // namespace glint::help
