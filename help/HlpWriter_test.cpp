// The help writer, checked as a viewer reads its files: a small reader here
// follows the internal directory to each internal file, walks |TOPIC from
// TOPICPOS 12 along the NextBlock chain, and looks every topic and every jump
// up in |CONTEXT through its B+ tree, as WinHelp and Wine's winhlp32 do. And
// hlpwrite itself, run on sources with errors: the message names the line,
// the exit status is 1 and no help file is left behind.
#include "help/writer/HlpWriter.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "help/writer/HelpSource.h"
#include "tests/support/RunProgram_posix.h"

namespace glint::help {
namespace {

namespace fs = std::filesystem;
using TBytes = std::vector<std::uint8_t>;

using test_support::ReadFile;
using test_support::TRunResult;

// What a viewer finds in a help file.
class TReader {
 public:
  explicit TReader(TBytes bytes) : F(std::move(bytes)) {}

  unsigned U8(std::size_t at) const { return F.at(at); }
  unsigned U16(std::size_t at) const { return U8(at) | U8(at + 1) << 8; }
  std::uint32_t U32(std::size_t at) const { return U16(at) | std::uint32_t(U16(at + 2)) << 16; }
  std::string StringZ(std::size_t at) const {
    std::string s;
    while (F.at(at)) s += static_cast<char>(F[at++]);
    return s;
  }
  std::size_t Size() const { return F.size(); }

  // Leaf entries of the B+ tree at `tree` (just after a FILEHEADER) in
  // order: start with the root, follow PreviousPage down to the first leaf,
  // then NextPage. `entrySize` tells the size of a leaf entry at an offset.
  template <class Size>
  std::vector<std::size_t> Leaves(std::size_t tree, Size entrySize) const {
    EXPECT_EQ(U16(tree), 0x293Bu);
    const unsigned pageSize = U16(tree + 4), levels = U16(tree + 32);
    const std::size_t pages = tree + 38;
    unsigned page = U16(tree + 26);
    for (unsigned level = 1; level < levels; ++level) page = U16(pages + page * pageSize + 4);
    std::vector<std::size_t> entries;
    while (page != 0xFFFF) {
      const std::size_t at = pages + std::size_t(page) * pageSize;
      std::size_t entry = at + 8;
      for (unsigned i = 0; i < U16(at + 2); ++i) {
        entries.push_back(entry);
        entry += entrySize(entry);
      }
      page = U16(at + 6);
    }
    EXPECT_EQ(entries.size(), U32(tree + 34));
    return entries;
  }

  // The leaf entry whose 4-byte key equals `key` (compared as signed
  // numbers), searched from the root down as viewers search |CONTEXT; 0 when
  // there is none. Index entries are a key and a page, leaf entries a key
  // and `valueSize` bytes.
  std::size_t Find(std::size_t tree, std::int32_t key, std::size_t valueSize) const {
    const unsigned pageSize = U16(tree + 4), levels = U16(tree + 32);
    const std::size_t pages = tree + 38;
    unsigned page = U16(tree + 26);
    for (unsigned level = 1; level < levels; ++level) {
      const std::size_t at = pages + std::size_t(page) * pageSize;
      unsigned child = U16(at + 4);
      for (unsigned i = 0; i < U16(at + 2); ++i) {
        const std::size_t entry = at + 6 + i * 6;
        if (static_cast<std::int32_t>(U32(entry)) > key) break;
        child = U16(entry + 4);
      }
      page = child;
    }
    const std::size_t at = pages + std::size_t(page) * pageSize;
    for (unsigned i = 0; i < U16(at + 2); ++i) {
      const std::size_t entry = at + 8 + i * (4 + valueSize);
      if (static_cast<std::int32_t>(U32(entry)) == key) return entry;
    }
    return 0;
  }

  // Internal file name -> offset of its contents (after its FILEHEADER).
  std::map<std::string, std::size_t> Directory() const {
    EXPECT_EQ(U32(0), 0x00035F3Fu);
    EXPECT_EQ(U32(8), 0xFFFFFFFFu) << "no free list";
    EXPECT_EQ(U32(12), Size()) << "EntireFileSize";
    std::map<std::string, std::size_t> files;
    const std::size_t directory = U32(4) + 9;
    for (std::size_t entry :
         Leaves(directory, [&](std::size_t at) { return StringZ(at).size() + 5; })) {
      const std::string name = StringZ(entry);
      const std::size_t header = U32(entry + name.size() + 1);
      EXPECT_GE(U32(header), U32(header + 4) + 9) << name << ": reserved space";
      EXPECT_LE(header + U32(header), Size()) << name << " lies in the file";
      files[name] = header + 9;
    }
    return files;
  }

  std::size_t UsedSpace(std::size_t file) const { return U32(file - 9 + 4); }

 private:
  TBytes F;
};

struct TTopicSeen {
  std::string Title;
  std::uint32_t Offset = 0;                         // TOPICOFFSET as a viewer computes it
  std::string Text;                                 // the text of its paragraphs, one line each
  std::uint32_t BrowseBack = 0, BrowseForward = 0;  // TOPICHEADER's BrowseBck and BrowseFor
};

struct TJumpSeen {
  std::uint32_t Hash;
  std::string Text;
};

// The compressed numbers of LinkData1.
std::uint32_t CompressedUShort(const TReader& r, std::size_t& at) {
  const unsigned b = r.U8(at);
  if (b & 1) {
    at += 2;
    return b / 2 + 128 * r.U8(at - 1);
  }
  at += 1;
  return b / 2;
}
std::int32_t CompressedShort(const TReader& r, std::size_t& at) {
  return r.U8(at) & 1 ? static_cast<std::int32_t>(CompressedUShort(r, at)) - 16384
                      : static_cast<std::int32_t>(CompressedUShort(r, at)) - 64;
}
std::int32_t CompressedLong(const TReader& r, std::size_t& at) {
  const unsigned w = r.U16(at);
  if (w & 1) {
    const std::uint32_t v = r.U32(at);
    at += 4;
    return static_cast<std::int32_t>(v / 2) - 67108864;
  }
  at += 2;
  return static_cast<std::int32_t>(w / 2) - 16384;
}

// Walks |TOPIC (Windows 3.1, not compressed: 4 KB blocks of a 12-byte header
// and 4084 bytes of data) along the TOPICLINK chain.
void WalkTopics(const TReader& file, std::size_t topic, std::vector<TTopicSeen>& topics,
                std::vector<TJumpSeen>& jumps, unsigned& maxFont) {
  // The blocks' data, one after the other: a TOPICLINK may run on from one
  // block into the next.
  TBytes data;
  const std::size_t blocks = file.UsedSpace(topic) / 4096;
  EXPECT_EQ(file.UsedSpace(topic) % 4096, 0u) << "|TOPIC is whole blocks";
  for (std::size_t b = 0; b < blocks; ++b)
    for (std::size_t i = 12; i < 4096; ++i) data.push_back(file.U8(topic + b * 4096 + i));
  const TReader d(data);
  EXPECT_EQ(file.U32(topic + 4), 12u) << "FirstTopicLink of block 0";

  std::uint32_t pos = 12, previous = 0xFFFFFFFF, block = 0, characters = 0;
  while (pos != 0xFFFFFFFF) {
    const std::uint32_t blockOf = (pos - 12) >> 14;
    const std::size_t at = blockOf * 4084 + ((pos - 12) & 0x3FFF);
    if (blockOf != block) block = blockOf, characters = 0;
    const std::uint32_t offset = block * 0x8000 + characters;
    const std::uint32_t size = d.U32(at), len2 = d.U32(at + 4), len1 = d.U32(at + 16);
    EXPECT_EQ(d.U32(at + 8), previous) << "PrevBlock";
    EXPECT_EQ(size, len1 + len2) << "not phrase compressed: LinkData2 stored whole";
    const unsigned type = d.U8(at + 20);
    const std::size_t text = at + len1;
    if (type == 2) {
      std::string title;
      for (std::uint32_t i = 0; i < len2; ++i) title += static_cast<char>(d.U8(text + i));
      topics.push_back({title, offset, "", d.U32(at + 21 + 4), d.U32(at + 21 + 8)});
    } else {
      EXPECT_EQ(type, 0x20u);
      std::size_t f = at + 21;
      CompressedLong(d, f);
      const std::uint32_t topicLength = CompressedUShort(d, f);
      EXPECT_EQ(topicLength, len2) << "TopicLength counts LinkData2";
      characters += topicLength;
      f += 4;  // unknownUnsignedChar, unknownBiasedChar, id
      const unsigned bits = d.U16(f);
      f += 2;
      for (unsigned bit : {0x02u, 0x04u, 0x08u, 0x10u, 0x20u, 0x40u})
        if (bits & bit) CompressedShort(d, f);
      EXPECT_EQ(bits & 0x0181, 0u) << "no fields this reader skips";
      if (bits & 0x200)
        for (std::int32_t n = CompressedShort(d, f); n > 0; --n)
          if (CompressedUShort(d, f) & 0x4000) CompressedUShort(d, f);
      // Strings of LinkData2, each followed by a formatting command.
      std::size_t s = text;
      std::string shown;
      std::size_t jump = 0;  // 1 + index of the jump whose text this is, or 0
      for (;;) {
        const std::string piece = d.StringZ(s);
        s += piece.size() + 1;
        shown += piece;
        if (jump) jumps[jump - 1].Text += piece;
        const unsigned command = d.U8(f++);
        if (command == 0xFF) break;
        if (command == 0x80) {
          maxFont = std::max(maxFont, d.U16(f));
          f += 2;
        } else if (command == 0xE3) {
          jumps.push_back({d.U32(f), ""});
          jump = jumps.size();
          f += 4;
        } else if (command == 0x89) {
          jump = 0;
        } else if (command == 0x83) {
          shown += '\t';
        } else if (command == 0x82) {
          shown += '\n';
        } else {
          ADD_FAILURE() << "unexpected formatting command " << command;
        }
      }
      EXPECT_EQ(f, at + len1) << "commands fill LinkData1";
      EXPECT_EQ(s, text + len2) << "strings fill LinkData2";
      if (topics.empty())
        ADD_FAILURE() << "text before the first topic header";
      else
        topics.back().Text += shown;
    }
    previous = pos;
    pos = d.U32(at + 12);
  }
}

// A source of many topics, each with jumps to its neighbours: its |CONTEXT
// and |TTLBTREE need index pages and its topics span many topic blocks. From
// "page100" on the hashes overflow 31 bits, so hashes of both signs occur.
std::string ManyTopics(int count) {
  const auto name = [](int i) { return "page" + std::to_string(i); };
  std::string source = ".title Many\n.topic " + name(0) + " Topic 0\n";
  for (int i = 1; i < count; ++i) source += "- [[" + name(i) + "|to " + std::to_string(i) + "]]\n";
  for (int i = 1; i < count; ++i) {
    source += ".topic " + name(i) + " Topic " + std::to_string(i) + "\n";
    source += "Back to [[" + name(i - 1) + "|the one before]], on to **the next** ";
    source += "[[" + name((i + 1) % count) + "|topic]].\n";
  }
  return source;
}

TEST(HlpWriter, AViewerFindsEveryFileTopicAndJump) {
  const struct {
    const char* Name;
    std::string Source;
  } cases[] = {
      {"Glint.txt", ReadFile(GLINT_HELP_SOURCE)},
      {"one topic", ".title One\n.topic only The only topic\nText.\n"},
      {"many topics", ManyTopics(400)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const THelpSource source = ParseHelpSource(c.Source);
    const TReader file(WriteHlp(source));

    const auto files = file.Directory();
    std::set<std::string> names;
    for (const auto& [name, at] : files) names.insert(name);
    ASSERT_EQ(names,
              (std::set<std::string>{"|CONTEXT", "|FONT", "|SYSTEM", "|TOPIC", "|TTLBTREE"}));

    std::vector<TTopicSeen> topics;
    std::vector<TJumpSeen> jumps;
    unsigned maxFont = 0;
    WalkTopics(file, files.at("|TOPIC"), topics, jumps, maxFont);
    ASSERT_FALSE(topics.empty());
    ASSERT_EQ(topics.back().Title, "") << "the chain ends in an empty topic header";
    topics.pop_back();
    ASSERT_EQ(topics.size(), source.Topics.size());
    std::map<std::uint32_t, const TTopicSeen*> byOffset;
    for (std::size_t t = 0; t < topics.size(); ++t) {
      EXPECT_EQ(topics[t].Title, source.Topics[t].Title);
      // The << and >> buttons step through the topics in source order.
      EXPECT_EQ(topics[t].BrowseBack, t > 0 ? topics[t - 1].Offset : 0xFFFFFFFF);
      EXPECT_EQ(topics[t].BrowseForward, t + 1 < topics.size() ? topics[t + 1].Offset : 0xFFFFFFFF);
      EXPECT_TRUE(topics[t].Text.starts_with(source.Topics[t].Title + "\n")) << topics[t].Text;
      EXPECT_TRUE(byOffset.emplace(topics[t].Offset, &topics[t]).second) << "offsets differ";
    }

    // |SYSTEM: Windows 3.1, uncompressed, its title and the contents topic.
    const std::size_t system = files.at("|SYSTEM");
    EXPECT_EQ(file.U16(system), 0x036Cu);
    EXPECT_EQ(file.U16(system + 2), 21u);
    EXPECT_EQ(file.U16(system + 10), 0u);
    std::map<unsigned, std::size_t> records;
    for (std::size_t at = system + 12; at < system + file.UsedSpace(system);
         at += 4 + file.U16(at + 2))
      records[file.U16(at)] = at + 4;
    EXPECT_EQ(file.StringZ(records.at(1)), source.Title);
    EXPECT_EQ(file.U32(records.at(3)), topics.front().Offset) << "contents is the first topic";

    // |CONTEXT: every topic's context name, and every jump, leads to its topic.
    const std::size_t context = files.at("|CONTEXT");
    EXPECT_EQ(file.U32(context + 34), source.Topics.size());
    // Viewers search the tree comparing hashes as signed numbers, so its leaves are in that
    // order; with many topics both signs occur, so an unsigned order would show.
    std::vector<std::int32_t> keys;
    for (std::size_t entry : file.Leaves(context, [](std::size_t) { return 8; }))
      keys.push_back(static_cast<std::int32_t>(file.U32(entry)));
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
    if (source.Topics.size() >= 100) {
      EXPECT_LT(keys.front(), 0);
      EXPECT_GE(keys.back(), 0);
    }
    auto topicOf = [&](std::uint32_t hash) -> const TTopicSeen* {
      const std::size_t entry = file.Find(context, static_cast<std::int32_t>(hash), 4);
      if (!entry) return nullptr;
      const auto found = byOffset.find(file.U32(entry + 4));
      return found == byOffset.end() ? nullptr : found->second;
    };
    std::map<std::string, std::string> titleOf;
    for (const TTopic& topic : source.Topics) {
      const TTopicSeen* seen = topicOf(ContextHash(topic.Context));
      ASSERT_NE(seen, nullptr) << topic.Context;
      EXPECT_EQ(seen->Title, topic.Title);
      titleOf[topic.Context] = topic.Title;
    }
    std::vector<std::string> expectedJumps, seenJumps;
    for (const TTopic& topic : source.Topics)
      for (const TParagraph& paragraph : topic.Paragraphs)
        for (const TRun& run : paragraph.Runs)
          if (!run.Jump.empty()) expectedJumps.push_back(run.Text + " -> " + titleOf.at(run.Jump));
    for (const TJumpSeen& jump : jumps) {
      const TTopicSeen* target = topicOf(jump.Hash);
      seenJumps.push_back(jump.Text + " -> " + (target ? target->Title : "(no topic)"));
    }
    EXPECT_EQ(seenJumps, expectedJumps);

    // |TTLBTREE: each topic's offset and title, in offset order.
    const std::size_t titles = files.at("|TTLBTREE");
    std::vector<std::string> listed, expected;
    for (std::size_t entry :
         file.Leaves(titles, [&](std::size_t at) { return 4 + file.StringZ(at + 4).size() + 1; }))
      listed.push_back(std::to_string(file.U32(entry)) + " " + file.StringZ(entry + 4));
    for (const TTopicSeen& topic : topics)
      expected.push_back(std::to_string(topic.Offset) + " " + topic.Title);
    EXPECT_EQ(listed, expected);

    // |FONT has a descriptor for every font the text picks.
    EXPECT_LT(maxFont, file.U16(files.at("|FONT") + 2));
  }
}

// Runs hlpwrite with arguments; its exit status, standard output and error.
TRunResult RunHlpwrite(const std::string& args, const fs::path& dir) {
  return test_support::RunProgram(std::string("'") + GLINT_HLPWRITE_EXE + "' " + args, dir);
}

TEST(Hlpwrite, SourceErrorsNameTheirLineAndWriteNothing) {
  const test_support::TTempDir temp("hlpwrite_test_");
  const fs::path& dir = temp.Path();
  const fs::path source = dir / "help.txt", output = dir / "help.hlp";
  const std::string head = ".title T\n.topic a A\n";
  const struct {
    std::string Source;
    const char* Error;  // "LINE: message"
  } cases[] = {
      {"", "1: the source has no '.title'"},
      {".title T\n# no topic\n", "2: the source has no '.topic'"},
      {".title T\ntext\n", "2: text before the first '.topic'"},
      {head + "See [[b|B]].\n", "3: jump to unknown topic 'b'"},
      {head + "Line two\nSee [[a|here\n", "4: '[[' is not closed on this line"},
      {head + "See [[a]].\n", "3: a jump is written [[NAME|text]]"},
      {head + "See [[a| ]].\n", "3: the jump to 'a' shows no text"},
      {head + "Some **bold\ntext**.\n", "3: '**' is not closed on this line"},
      {head + ".topic A Again\n", "3: topic 'A' is already defined at line 2"},
      {head + ".topic auwinwk X\n.topic pslodus Y\n",
       "4: context name 'pslodus' hashes like 'auwinwk' (line 3); rename one of them"},
      {".title T\n.topic a-b A\n",
       "2: context name 'a-b' may hold only letters, digits, '.' and '_'"},
      {".title T\n.topic a\n", "2: topic 'a' has no title"},
      {head + ".title U\n", "3: '.title' must come before the first topic"},
      {head + ".index x\n", "3: unknown directive '.index'"},
      {head + "caf\xE9\n", "3: column 4: only printable ASCII characters are allowed"},
      {head + std::string(2001, 'x') + "\n", "3: paragraph of 2001 characters; at most 2000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Error);
    std::ofstream(source, std::ios::binary) << c.Source;
    fs::remove(output);
    const TRunResult run = RunHlpwrite("'" + source.string() + "' '" + output.string() + "'", dir);
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Err, "hlpwrite: " + source.string() + ":" + c.Error + "\n");
    EXPECT_EQ(run.Out, "");
    EXPECT_FALSE(fs::exists(output));
    // The library says the same.
    try {
      ParseHelpSource(c.Source);
      ADD_FAILURE() << "no error";
    } catch (const THelpSourceError& e) {
      EXPECT_EQ(std::to_string(e.Line()) + ": " + e.Message(), c.Error);
    }
  }

  // And the command line itself.
  const TRunResult help = RunHlpwrite("--help", dir);
  EXPECT_EQ(help.Status, 0);
  EXPECT_TRUE(help.Out.starts_with("usage: hlpwrite SOURCE OUTPUT\n")) << help.Out;
  EXPECT_EQ(RunHlpwrite("", dir).Status, 2);
  const TRunResult missing =
      RunHlpwrite("'" + (dir / "none.txt").string() + "' '" + output.string() + "'", dir);
  EXPECT_EQ(missing.Status, 1);
  EXPECT_EQ(missing.Err, "hlpwrite: cannot read " + (dir / "none.txt").string() + "\n");
  std::ofstream(source, std::ios::binary) << head << "Fine.\n";
  EXPECT_EQ(RunHlpwrite("'" + source.string() + "' '" + output.string() + "'", dir).Status, 0);
  EXPECT_GT(fs::file_size(output), 0u);
}

// Where the help file may not go, or the source cannot be read: exit 1 with a message, and
// whatever was there stays as it was.
TEST(Hlpwrite, RefusesOutputsThatAreNotFilesOfItsOwn) {
  const test_support::TTempDir temp("hlpwrite_out_");
  const fs::path& dir = temp.Path();
  fs::create_directories(dir / "folder.hlp");
  const fs::path source = dir / "help.txt";
  const std::string text = ".title T\n.topic a A\nFine.\n";
  std::ofstream(source, std::ios::binary) << text;
  fs::create_symlink("help.txt", dir / "source-link.hlp");
  ASSERT_EQ(::mkfifo((dir / "pipe.hlp").c_str(), 0600), 0);   // stands in for a device
  test_support::PlantLinkToVictim(dir, dir / "out.hlp.tmp");  // the old fixed temporary
  const struct {
    std::string Source, Output, Error;
  } kCases[] = {
      {source.string(), source.string(), " is the source itself"},
      {source.string(), (dir / "source-link.hlp").string(), " is the source itself"},
      {source.string(), (dir / "folder.hlp").string(), "is not a regular file"},
      {source.string(), (dir / "pipe.hlp").string(), "is not a regular file"},
      {(dir / "folder.hlp").string(), (dir / "new.hlp").string(), "cannot read "},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.Output);
    const TRunResult run = RunHlpwrite("'" + c.Source + "' '" + c.Output + "'", dir);
    EXPECT_EQ(run.Status, 1);
    EXPECT_TRUE(run.Err.starts_with("hlpwrite: ")) << run.Err;
    EXPECT_NE(run.Err.find(c.Error), std::string::npos) << run.Err;
  }
  EXPECT_EQ(ReadFile(source), text);
  EXPECT_TRUE(fs::is_symlink(dir / "source-link.hlp"));
  EXPECT_TRUE(fs::is_directory(dir / "folder.hlp"));
  EXPECT_TRUE(fs::is_fifo(dir / "pipe.hlp"));
  EXPECT_FALSE(fs::exists(dir / "new.hlp"));

  EXPECT_EQ(
      RunHlpwrite("'" + source.string() + "' '" + (dir / "out.hlp").string() + "'", dir).Status, 0);
  EXPECT_EQ(ReadFile(dir / "victim"), test_support::kVictimData);
  EXPECT_GT(fs::file_size(dir / "out.hlp"), 0u);
}

}  // namespace
}  // namespace glint::help
