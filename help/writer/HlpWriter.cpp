// help/writer/HlpWriter.cpp: one function per internal file, then the file
// system that holds them. Structure names and field names follow
// helpfile.txt; the choices below that it leaves open are the ones Wine's
// reader (programs/winhlp32/hlpfile.c) and WinHelp 3.1 both accept.
#include "help/writer/HlpWriter.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>

namespace glint::help {
namespace {

using TBytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kNone = 0xFFFFFFFF;  // "-1L": no such position or offset

// ---- little-endian output --------------------------------------------------

void Put8(TBytes& out, unsigned value) { out.push_back(static_cast<std::uint8_t>(value)); }

void Put16(TBytes& out, unsigned value) {
  Put8(out, value & 0xFF);
  Put8(out, (value >> 8) & 0xFF);
}

void Put32(TBytes& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

void Set32(TBytes& out, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void PutText(TBytes& out, std::string_view text) {
  out.insert(out.end(), text.begin(), text.end());
}

void PutStringZ(TBytes& out, std::string_view text) {
  PutText(out, text);
  Put8(out, 0);
}

void Append(TBytes& out, const TBytes& more) { out.insert(out.end(), more.begin(), more.end()); }

// The compressed numbers of LinkData1, in their short forms: an even byte
// (unsigned short) or an even 16-bit word (signed long), the value doubled.
// Paragraph sizes stay far below the limits, which the source's paragraph
// length bound guarantees.
void PutCompressedUShort(TBytes& out, unsigned value) {
  if (value < 0x80) {
    Put8(out, value * 2);
  } else {
    if (value > 0x7FFF) throw std::logic_error("compressed unsigned short out of range");
    Put8(out, (value % 128) * 2 + 1);
    Put8(out, value / 128);
  }
}

void PutCompressedShort(TBytes& out, int value) {
  if (value < -64 || value > 63) throw std::logic_error("compressed short out of range");
  Put8(out, static_cast<unsigned>(value + 64) * 2);
}

void PutCompressedLong(TBytes& out, int value) {
  if (value < -16384 || value > 16383) throw std::logic_error("compressed long out of range");
  Put16(out, static_cast<unsigned>(value + 16384) * 2);
}

// ---- B+ trees ---------------------------------------------------------------

// A B+ tree entry: the key (what index pages repeat) and what follows it in a
// leaf page.
struct TTreeEntry {
  TBytes Key;
  TBytes Value;
};

constexpr std::size_t kBTreeHeader = 38;
constexpr std::size_t kLeafHeader = 8;   // Unused, NEntries, PreviousPage, NextPage
constexpr std::size_t kIndexHeader = 6;  // Unused, NEntries, PreviousPage (first child)

// A B+ tree over entries already in key order: leaf pages first, linked both
// ways, then index levels above them until one page, the root, remains.
// `structure` is the BTREEHEADER's description of an entry ("z4", "L4"...).
TBytes BTree(unsigned flags, std::size_t pageSize, std::string_view structure,
             const std::vector<TTreeEntry>& entries) {
  std::vector<TBytes> pages;
  std::vector<TBytes> firstKeys;  // of each page

  // Leaves.
  std::size_t next = 0;
  do {
    TBytes page(kLeafHeader);
    unsigned count = 0;
    firstKeys.push_back(next < entries.size() ? entries[next].Key : TBytes());
    while (next < entries.size()) {
      const TTreeEntry& entry = entries[next];
      if (page.size() + entry.Key.size() + entry.Value.size() > pageSize) break;
      Append(page, entry.Key);
      Append(page, entry.Value);
      ++count, ++next;
    }
    if (count == 0 && next < entries.size()) throw std::logic_error("B+ tree entry exceeds a page");
    const unsigned number = static_cast<unsigned>(pages.size());
    const unsigned unused = static_cast<unsigned>(pageSize - page.size());
    page.resize(pageSize, 0);
    TBytes header;
    Put16(header, unused);
    Put16(header, count);
    Put16(header, number == 0 ? 0xFFFF : number - 1);
    Put16(header, next < entries.size() ? number + 1 : 0xFFFF);
    std::copy(header.begin(), header.end(), page.begin());
    pages.push_back(std::move(page));
  } while (next < entries.size());

  // Index levels: each page names its first child in PreviousPage, then
  // (first key, page) of each further child.
  unsigned levels = 1;
  std::size_t levelStart = 0, levelEnd = pages.size();
  while (levelEnd - levelStart > 1) {
    ++levels;
    std::size_t child = levelStart;
    const std::size_t thisLevel = pages.size();
    while (child < levelEnd) {
      TBytes page(kIndexHeader);
      const std::size_t first = child++;
      unsigned count = 0;
      while (child < levelEnd && page.size() + firstKeys[child].size() + 2 <= pageSize) {
        Append(page, firstKeys[child]);
        Put16(page, static_cast<unsigned>(child));
        ++count, ++child;
      }
      const unsigned unused = static_cast<unsigned>(pageSize - page.size());
      page.resize(pageSize, 0);
      TBytes header;
      Put16(header, unused);
      Put16(header, count);
      Put16(header, static_cast<unsigned>(first));
      std::copy(header.begin(), header.end(), page.begin());
      firstKeys.push_back(firstKeys[first]);
      pages.push_back(std::move(page));
    }
    levelStart = thisLevel;
    levelEnd = pages.size();
  }

  TBytes tree;
  Put16(tree, 0x293B);  // magic
  Put16(tree, flags);
  Put16(tree, static_cast<unsigned>(pageSize));
  TBytes description(16, 0);
  std::copy(structure.begin(), structure.end(), description.begin());
  Append(tree, description);
  Put16(tree, 0);                                             // MustBeZero
  Put16(tree, static_cast<unsigned>(pages.size() - levels));  // PageSplits: a split per page
                                                              // beyond the first of a level
  Put16(tree, static_cast<unsigned>(pages.size() - 1));       // RootPage: the last one made
  Put16(tree, 0xFFFF);                                        // MustBeNegOne
  Put16(tree, static_cast<unsigned>(pages.size()));           // TotalPages
  Put16(tree, levels);                                        // NLevels
  Put32(tree, static_cast<std::uint32_t>(entries.size()));    // TotalBtreeEntries
  if (tree.size() != kBTreeHeader) throw std::logic_error("BTREEHEADER size");
  for (const TBytes& page : pages) Append(tree, page);
  return tree;
}

// ---- |FONT ------------------------------------------------------------------

// Font descriptors, numbered as the 0x80 font commands of |TOPIC name them.
enum TFont : unsigned { kBodyFont, kBoldFont, kTitleFont, kHeadingFont };

// One face, four old-style (Windows 3.1) descriptors whose sizes are in half
// points. Face names take 20 bytes each, as HC31 wrote them.
TBytes FontFile() {
  constexpr std::size_t kFaceSize = 20;
  constexpr unsigned kBold = 0x01, kSwiss = 0x03;
  struct TDescriptor {
    unsigned Attributes, HalfPoints;
    std::uint8_t Red, Green, Blue;
  };
  constexpr TDescriptor kDescriptors[] = {
      {0, 20, 0, 0, 0},         // kBodyFont: 10 pt
      {kBold, 20, 0, 0, 0},     // kBoldFont
      {kBold, 28, 0, 0, 0x80},  // kTitleFont: 14 pt, dark blue
      {kBold, 24, 0, 0, 0},     // kHeadingFont: 12 pt
  };
  TBytes out;
  Put16(out, 1);                        // NumFacenames
  Put16(out, std::size(kDescriptors));  // NumDescriptors
  Put16(out, 8);                        // FacenamesOffset
  Put16(out, 8 + kFaceSize);            // DescriptorsOffset
  TBytes face(kFaceSize, 0);
  const std::string_view arial = "Arial";
  std::copy(arial.begin(), arial.end(), face.begin());
  Append(out, face);
  for (const TDescriptor& d : kDescriptors) {
    Put8(out, d.Attributes);
    Put8(out, d.HalfPoints);
    Put8(out, kSwiss);                                        // FontFamily
    Put16(out, 0);                                            // FacenameIndex
    Put8(out, d.Red), Put8(out, d.Green), Put8(out, d.Blue);  // foreground
    Put8(out, 0xFF), Put8(out, 0xFF), Put8(out, 0xFF);        // background (unused)
  }
  return out;
}

// ---- |TOPIC -----------------------------------------------------------------

constexpr std::uint32_t kTopicBlockSize = 4096;  // |SYSTEM Flags 0 with Minor 21
constexpr std::uint32_t kBlockHeaderSize = 12;   // TOPICBLOCKHEADER
constexpr std::uint32_t kBlockData = kTopicBlockSize - kBlockHeaderSize;
constexpr std::uint32_t kLinkHeaderSize = 21;  // TOPICLINK up to RecordType
constexpr std::uint8_t kTopicHeader = 0x02, kDisplayText = 0x20;
constexpr std::size_t kTopicHeaderData1 = 28;  // TOPICHEADER of Windows 3.1

// A TOPICLINK: its LinkData1 (after the 21-byte TOPICLINK header), its
// LinkData2, and where the layout put it.
struct TLink {
  std::uint8_t Type = kDisplayText;
  TBytes Data1, Data2;
  unsigned TopicLength = 0;  // characters it adds to TOPICOFFSETs (text records)
  std::uint32_t Stream = 0;  // start in the topic blocks' data, headers left out
  std::uint32_t Pos = 0;     // TOPICPOS: block * 0x4000 + 12 + offset in the block's data
  std::uint32_t Offset = 0;  // TOPICOFFSET: block * 0x8000 + characters before it in the block
  std::uint32_t Size() const {
    return static_cast<std::uint32_t>(kLinkHeaderSize + Data1.size() + Data2.size());
  }
};

// A paragraph's character formatting: strings in LinkData2, each ended by a
// NUL that hands over to the next command in LinkData1.
class TFormattedText {
 public:
  void Text(std::string_view text) { PutText(FText, text); }
  void Command(std::initializer_list<unsigned> bytes) {
    Put8(FText, 0);
    for (unsigned b : bytes) Put8(FCommands, b);
  }
  void Font(TFont font) { Command({0x80, font & 0xFF, font >> 8}); }
  void Jump(std::uint32_t hash) {  // 0xE3: topic jump, shown green and underlined
    Command({0xE3, hash & 0xFF, (hash >> 8) & 0xFF, (hash >> 16) & 0xFF, hash >> 24});
  }
  const TBytes& Commands() const { return FCommands; }
  const TBytes& Strings() const { return FText; }

 private:
  TBytes FCommands, FText;
};

// The Paragraphinfo of each kind of paragraph: spacing (and, for bullets, a
// hanging indent with a tab stop) in half points.
TBytes ParagraphInfo(TParagraphKind kind) {
  constexpr unsigned kSpaceAbove = 0x0002, kSpaceBelow = 0x0004, kLeftIndent = 0x0010,
                     kFirstLineIndent = 0x0040, kTabs = 0x0200;
  TBytes out;
  Put8(out, 0x00);  // unknownUnsignedChar
  Put8(out, 0x80);  // unknownBiasedChar
  Put16(out, 0);    // id
  switch (kind) {
    case TParagraphKind::Title:
      Put16(out, kSpaceBelow);
      PutCompressedShort(out, 12);
      break;
    case TParagraphKind::Heading:
      Put16(out, kSpaceAbove);
      PutCompressedShort(out, 16);
      break;
    case TParagraphKind::Body:
      Put16(out, kSpaceAbove);
      PutCompressedShort(out, 8);
      break;
    case TParagraphKind::Bullet:
      Put16(out, kSpaceAbove | kLeftIndent | kFirstLineIndent | kTabs);
      PutCompressedShort(out, 4);    // above
      PutCompressedShort(out, 24);   // left indent
      PutCompressedShort(out, -16);  // first line starts 16 to the left, at the bullet
      PutCompressedShort(out, 1);    // one tab stop, where the text lines up
      PutCompressedUShort(out, 24);
      break;
  }
  return out;
}

// A displayable text record (RecordType 0x20) holding one paragraph.
TLink ParagraphLink(const TParagraph& paragraph) {
  const TFont base = paragraph.Kind == TParagraphKind::Title     ? kTitleFont
                     : paragraph.Kind == TParagraphKind::Heading ? kHeadingFont
                                                                 : kBodyFont;
  TFormattedText text;
  text.Font(base);
  if (paragraph.Kind == TParagraphKind::Bullet) {
    text.Text("\x95");  // the bullet of code page 1252
    text.Command({0x83});
  }
  for (const TRun& run : paragraph.Runs) {
    if (!run.Jump.empty()) {
      text.Jump(ContextHash(run.Jump));
      text.Text(run.Text);
      text.Command({0x89});  // end of hot spot
    } else if (run.Bold && base == kBodyFont) {
      text.Font(kBoldFont);
      text.Text(run.Text);
      text.Font(base);
    } else {
      text.Text(run.Text);
    }
  }
  text.Command({0x82});  // end of paragraph
  text.Command({0xFF});  // end of character formatting

  TLink link;
  link.Data2 = text.Strings();
  // TopicLength counts the characters and NULs of LinkData2; the TOPICOFFSETs
  // of |CONTEXT are sums of it, as readers recompute them.
  link.TopicLength = static_cast<unsigned>(link.Data2.size());
  TBytes format = ParagraphInfo(paragraph.Kind);
  Append(format, text.Commands());
  // TopicSize: the bytes of LinkData1 after TopicSize and TopicLength.
  PutCompressedLong(link.Data1, static_cast<int>(format.size()));
  PutCompressedUShort(link.Data1, link.TopicLength);
  Append(link.Data1, format);
  return link;
}

// A topic header record (RecordType 2); its TOPICHEADER is filled in once the
// layout is known. LinkData2 is the title (the viewer's lists show it).
TLink HeaderLink(std::string_view title) {
  TLink link;
  link.Type = kTopicHeader;
  link.Data1.assign(kTopicHeaderData1, 0);
  PutText(link.Data2, title);
  return link;
}

// Places the links one after another in the data of 4096-byte topic blocks.
// A link may continue in the next block, but its 21-byte header never does.
void LayOut(std::vector<TLink>& links) {
  std::uint32_t stream = 0, block = 0, characters = 0;
  for (TLink& link : links) {
    if (kBlockData - stream % kBlockData < kLinkHeaderSize)
      stream += kBlockData - stream % kBlockData;
    if (stream / kBlockData != block) {
      block = stream / kBlockData;
      characters = 0;  // TOPICOFFSETs count from the first link of each block
    }
    link.Stream = stream;
    link.Pos = block * 0x4000 + kBlockHeaderSize + stream % kBlockData;
    link.Offset = block * 0x8000 + characters;
    if (link.Type == kDisplayText) characters += link.TopicLength;
    if (characters >= 0x8000) throw std::logic_error("topic block holds too many characters");
    stream += link.Size();
  }
}

// The records of all topics in order, then the empty topic header that ends
// the chain; `headers` gets the index of each topic's header record.
std::vector<TLink> TopicLinks(const THelpSource& source, std::vector<std::size_t>& headers) {
  std::vector<TLink> links;
  for (const TTopic& topic : source.Topics) {
    headers.push_back(links.size());
    links.push_back(HeaderLink(topic.Title));
    for (const TParagraph& paragraph : topic.Paragraphs) links.push_back(ParagraphLink(paragraph));
  }
  headers.push_back(links.size());
  links.push_back(HeaderLink(""));
  LayOut(links);

  // TOPICHEADERs: the browse sequence runs through the topics in source order.
  for (std::size_t t = 0; t + 1 < headers.size(); ++t) {
    const std::size_t first = headers[t], end = headers[t + 1];
    TLink& header = links[first];
    std::uint32_t size = 0;
    for (std::size_t i = first; i < end; ++i) size += links[i].Size();
    Set32(header.Data1, 0, size);  // BlockSize: the topic's records
    Set32(header.Data1, 4, t > 0 ? links[headers[t - 1]].Offset : kNone);        // BrowseBck
    Set32(header.Data1, 8, t + 2 < headers.size() ? links[end].Offset : kNone);  // BrowseFor
    Set32(header.Data1, 12, static_cast<std::uint32_t>(t));                      // TopicNum
    Set32(header.Data1, 16, kNone);                                              // NonScroll
    Set32(header.Data1, 20, first + 1 < end ? links[first + 1].Pos : kNone);     // Scroll
    Set32(header.Data1, 24, links[end].Pos);                                     // NextTopic
  }
  TLink& last = links.back();
  for (std::size_t at = 4; at < kTopicHeaderData1; at += 4) Set32(last.Data1, at, kNone);
  Set32(last.Data1, 12, static_cast<std::uint32_t>(source.Topics.size()));
  return links;
}

// |TOPIC: the blocks, each a TOPICBLOCKHEADER and 4084 bytes of link data.
// The last block is padded to its full size: a reader that copies whole
// blocks (Wine's does, for uncompressed files) then stays inside the file.
TBytes TopicFile(const std::vector<TLink>& links) {
  const TLink& last = links.back();
  const std::uint32_t blocks = (last.Stream + last.Size() + kBlockData - 1) / kBlockData;
  TBytes out(static_cast<std::size_t>(blocks) * kTopicBlockSize, 0);
  auto write = [&](std::uint32_t stream, const TBytes& bytes) {
    for (std::uint8_t b : bytes) {
      out[(stream / kBlockData) * kTopicBlockSize + kBlockHeaderSize + stream % kBlockData] = b;
      ++stream;
    }
    return stream;
  };
  for (std::size_t i = 0; i < links.size(); ++i) {
    const TLink& link = links[i];
    TBytes header;
    Put32(header, link.Size());                                                      // BlockSize
    Put32(header, static_cast<std::uint32_t>(link.Data2.size()));                    // DataLen2
    Put32(header, i > 0 ? links[i - 1].Pos : kNone);                                 // PrevBlock
    Put32(header, i + 1 < links.size() ? links[i + 1].Pos : kNone);                  // NextBlock
    Put32(header, static_cast<std::uint32_t>(kLinkHeaderSize + link.Data1.size()));  // DataLen1
    Put8(header, link.Type);
    std::uint32_t stream = write(link.Stream, header);
    stream = write(stream, link.Data1);
    write(stream, link.Data2);
  }
  // TOPICBLOCKHEADERs: the last link and the last topic header that began
  // before the block, and the first link that begins in it.
  for (std::uint32_t block = 0; block < blocks; ++block) {
    std::uint32_t lastLink = kNone, firstLink = kNone, lastHeader = kNone;
    for (const TLink& link : links) {
      const std::uint32_t linkBlock = link.Stream / kBlockData;
      if (linkBlock < block) {
        lastLink = link.Pos;
        if (link.Type == kTopicHeader) lastHeader = link.Pos;
      } else if (linkBlock == block && firstLink == kNone) {
        firstLink = link.Pos;
      }
    }
    const std::size_t at = static_cast<std::size_t>(block) * kTopicBlockSize;
    Set32(out, at, lastLink);
    Set32(out, at + 4, firstLink);
    Set32(out, at + 8, lastHeader);
  }
  return out;
}

// ---- |SYSTEM, |CONTEXT, |TTLBTREE ------------------------------------------

// SYSTEMHEADER of a Windows 3.1 file without compression (Minor 21, Flags 0:
// 4 KB topic blocks stored as they are), then the SYSTEMRECs. GenDate stays
// 0 (allowed) so that the same source always gives the same file.
TBytes SystemFile(const THelpSource& source, std::uint32_t contentsOffset) {
  TBytes out;
  Put16(out, 0x036C);  // Magic
  Put16(out, 21);      // Minor: HC31, Windows 3.1
  Put16(out, 1);       // Major
  Put32(out, 0);       // GenDate
  Put16(out, 0);       // Flags: not compressed
  auto record = [&out](unsigned type, const TBytes& data) {
    Put16(out, type);
    Put16(out, static_cast<unsigned>(data.size()));
    Append(out, data);
  };
  TBytes title, copyright, contents, config;
  PutStringZ(title, source.Title);
  record(1, title);  // TITLE
  if (!source.Copyright.empty()) {
    PutStringZ(copyright, source.Copyright);
    record(2, copyright);  // COPYRIGHT
  }
  Put32(contents, contentsOffset);
  record(3, contents);  // CONTENTS
  PutStringZ(config, "BrowseButtons()");
  record(4, config);  // CONFIG: the << and >> buttons walk the browse sequence
  return out;
}

// |CONTEXT: context-name hash -> TOPICOFFSET of the topic, ordered by the
// hash as a signed number, as readers compare it.
TBytes ContextFile(const THelpSource& source, const std::vector<TLink>& links,
                   const std::vector<std::size_t>& headers) {
  std::vector<std::pair<std::int32_t, std::uint32_t>> pairs;
  for (std::size_t t = 0; t < source.Topics.size(); ++t)
    pairs.emplace_back(static_cast<std::int32_t>(ContextHash(source.Topics[t].Context)),
                       links[headers[t]].Offset);
  std::sort(pairs.begin(), pairs.end());
  std::vector<TTreeEntry> entries;
  for (const auto& [hash, offset] : pairs) {
    TTreeEntry entry;
    Put32(entry.Key, static_cast<std::uint32_t>(hash));
    Put32(entry.Value, offset);
    entries.push_back(std::move(entry));
  }
  return BTree(0x0002, 2048, "L4", entries);
}

// |TTLBTREE: TOPICOFFSET -> topic title, for the viewer's lists of topics.
TBytes TitleFile(const THelpSource& source, const std::vector<TLink>& links,
                 const std::vector<std::size_t>& headers) {
  std::vector<TTreeEntry> entries;  // topics are laid out in offset order
  for (std::size_t t = 0; t < source.Topics.size(); ++t) {
    TTreeEntry entry;
    Put32(entry.Key, links[headers[t]].Offset);
    PutStringZ(entry.Value, source.Topics[t].Title);
    entries.push_back(std::move(entry));
  }
  return BTree(0x0002, 2048, "Lz", entries);
}

// ---- the internal file system -----------------------------------------------

struct TInternalFile {
  std::string Name;
  TBytes Data;
};

constexpr std::size_t kHelpHeaderSize = 16, kFileHeaderSize = 9;

void PutFileHeader(TBytes& out, std::size_t used) {
  Put32(out, static_cast<std::uint32_t>(used + kFileHeaderSize));  // ReservedSpace
  Put32(out, static_cast<std::uint32_t>(used));                    // UsedSpace
  Put8(out, 4);                                                    // FileFlags
}

// The help file: HELPHEADER, the internal files (each a FILEHEADER and its
// bytes, no space reserved beyond them, so no free list), and last the
// directory, a B+ tree of file names in byte order -> FILEHEADER offsets.
TBytes FileSystem(std::vector<TInternalFile> files) {
  std::sort(files.begin(), files.end(),
            [](const TInternalFile& a, const TInternalFile& b) { return a.Name < b.Name; });
  std::vector<TTreeEntry> entries;
  std::size_t offset = kHelpHeaderSize;
  for (const TInternalFile& file : files) {
    TTreeEntry entry;
    PutStringZ(entry.Key, file.Name);
    Put32(entry.Value, static_cast<std::uint32_t>(offset));
    entries.push_back(std::move(entry));
    offset += kFileHeaderSize + file.Data.size();
  }
  const TBytes directory = BTree(0x0402, 1024, "z4", entries);
  const std::size_t directoryStart = offset;
  const std::size_t total = directoryStart + kFileHeaderSize + directory.size();

  TBytes out;
  Put32(out, 0x00035F3F);                                  // Magic
  Put32(out, static_cast<std::uint32_t>(directoryStart));  // DirectoryStart
  Put32(out, kNone);                                       // FirstFreeBlock: none
  Put32(out, static_cast<std::uint32_t>(total));           // EntireFileSize
  for (const TInternalFile& file : files) {
    PutFileHeader(out, file.Data.size());
    Append(out, file.Data);
  }
  PutFileHeader(out, directory.size());
  Append(out, directory);
  return out;
}

}  // namespace

std::vector<std::uint8_t> WriteHlp(const THelpSource& source) {
  if (source.Topics.empty()) throw THelpSourceError(1, "the source has no '.topic'");
  std::vector<std::size_t> headers;
  const std::vector<TLink> links = TopicLinks(source, headers);
  return FileSystem({
      {"|CONTEXT", ContextFile(source, links, headers)},
      {"|FONT", FontFile()},
      {"|SYSTEM", SystemFile(source, links[headers.front()].Offset)},
      {"|TOPIC", TopicFile(links)},
      {"|TTLBTREE", TitleFile(source, links, headers)},
  });
}

}  // namespace glint::help
