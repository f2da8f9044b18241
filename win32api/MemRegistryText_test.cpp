// The registry file as the registry editor writes it: every encoding, header and value
// kind read as the editor meant it and written back byte for byte, and every line the
// loader cannot take refused with its number.
#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "win32api/MemRegistry.h"
#include "win32api/RegKey.h"

namespace glint::win32 {
namespace {

std::string Utf16(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t u : text) {
    bytes += static_cast<char>(u & 0xFF);
    bytes += static_cast<char>(u >> 8);
  }
  return bytes;
}

// As Wine's `regedit /E` wrote the key after importing its values: a subtree, so
// "Software" has no section of its own.
constexpr std::u16string_view kEditor5 =
    u"Windows Registry Editor Version 5.00\r\n\r\n"
    u"[HKEY_CURRENT_USER\\Software\\Glint Caf\u00e9]\r\n"
    u"@=\"Cr\u00e8me br\u00fbl\u00e9e, \u20ac5 \\\"quoted\\\" \\\\ back\"\r\n"
    u"\"AppData\"=hex(2):25,00,55,00,53,00,45,00,52,00,50,00,52,00,4f,00,46,00,49,00,\\\r\n"
    u"  4c,00,45,00,25,00,5c,00,41,00,70,00,70,00,44,00,61,00,74,00,61,00,5c,00,52,\\\r\n"
    u"  00,6f,00,61,00,6d,00,69,00,6e,00,67,00,00,00\r\n"
    u"\"Bin \u00e9t\u00e9 long enough to wrap early\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,"
    u"0c,\\\r\n"
    u"  0d,0e,0f,10,11,12,13,14,15,16,17,18,19,1a,1b,1c,1d,1e,1f\r\n"
    u"\"Count\"=dword:0000002a\r\n"
    u"\"Empty\"=\"\"\r\n"
    u"\"List\"=hex(7):61,00,00,00,e9,00,00,00,00,00\r\n"
    u"\"Nothing\"=hex(0):\r\n"
    u"\"Quad\"=hex(b):2a,00,00,00,00,00,00,00\r\n\r\n"
    u"[HKEY_CURRENT_USER\\Software\\Glint Caf\u00e9\\Empty Key]\r\n\r\n"
    u"[HKEY_CURRENT_USER\\Software\\Glint Caf\u00e9\\\U0001F30E\U0001F30F\U0001F30D]\r\n"
    u"\"Currencies\"=\"USD\"\r\n\r\n";

// The same values as the editor writes them single-byte: text in Windows-1252, hex(2)
// and hex(7) data too. A whole-root export, so the root has a section.
constexpr std::string_view kEditor4 =
    "REGEDIT4\r\n\r\n"
    "[HKEY_CURRENT_USER]\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software]\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\Glint Caf\xE9]\r\n"
    "@=\"Cr\xE8me br\xFBl\xE9"
    "e, \x80"
    "5 \\\"quoted\\\" \\\\ back\"\r\n"
    "\"AppData\"=hex(2):25,55,53,45,52,50,52,4f,46,49,4c,45,25,5c,41,70,70,44,61,74,\\\r\n"
    "  61,5c,52,6f,61,6d,69,6e,67,00\r\n"
    "\"List\"=hex(7):61,00,e9,00,00\r\n"
    "\"Quad\"=hex(b):2a,00,00,00,00,00,00,00\r\n\r\n";

// What the kit wrote before, and hand-written files: UTF-8, "\n" line breaks.
constexpr std::string_view kPlain5 =
    "Windows Registry Editor Version 5.00\n\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Glint Caf\xC3\xA9]\n"
    "@=\"Cr\xC3\xA8me br\xC3\xBBl\xC3\xA9"
    "e, \xE2\x82\xAC"
    "5 \\\"quoted\\\" \\\\ back\"\n"
    "\"Lines\"=hex(1):61,00,0d,00,0a,00,62,00,00,00\n\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Glint Caf\xC3\xA9\\\xF0\x9F\x8C\x8E\xF0\x9F\x8C\x8F\xF0\x9F"
    "\x8C\x8D]\n"
    "\"Currencies\"=\"USD\"\n\n";

constexpr std::string_view kCafe = "Software\\Glint Caf\xE9";
constexpr std::string_view kDefault =
    "Cr\xE8me br\xFBl\xE9"
    "e, \x80"
    "5 \"quoted\" \\ back";
constexpr std::string_view kGlobes = "\x81{1F30E}\x81{1F30F}\x81{1F30D}";

std::vector<BYTE> Bytes(std::string_view s) { return {s.begin(), s.end()}; }

class MemRegistryText : public ::testing::Test {
 protected:
  void SetUp() override { MemRegistryReset(); }
  void TearDown() override { MemRegistryReset(); }
};

TEST_F(MemRegistryText, EditorFilesReadAsMeantAndSaveToTheSameBytes) {
  const struct {
    const char* Name;
    std::string File;
    TRegEncoding Encoding;
    bool Regedit4, Crlf;
    HKEY Root;
  } kFiles[] = {
      {"UTF-16 5.00", Utf16(kEditor5), TRegEncoding::Utf16Bom, false, true, HKEY_CURRENT_USER},
      {"1252 REGEDIT4", std::string(kEditor4), TRegEncoding::Ansi, true, true, HKEY_CURRENT_USER},
      {"UTF-8 5.00", std::string(kPlain5), TRegEncoding::Utf8, false, false, HKEY_LOCAL_MACHINE},
      {"UTF-8 BOM 5.00", "\xEF\xBB\xBF" + std::string(kPlain5), TRegEncoding::Utf8Bom, false, false,
       HKEY_LOCAL_MACHINE},
  };
  for (const auto& f : kFiles) {
    SCOPED_TRACE(f.Name);
    std::string error;
    TRegFileStyle style;
    ASSERT_TRUE(MemRegistryImport(f.File, &error, &style)) << error;
    EXPECT_EQ(style.Encoding, f.Encoding);
    EXPECT_EQ(style.Regedit4, f.Regedit4);
    EXPECT_EQ(style.Crlf, f.Crlf);
    std::string saved;
    ASSERT_TRUE(MemRegistryExport(style, &saved, &error)) << error;
    EXPECT_EQ(saved, f.File);

    auto value = [&](std::string_view path, std::string_view name) {
      return MemRegistryValue(f.Root, path, name).value_or(TMemValue{"absent", 0, {}});
    };
    EXPECT_EQ(value(kCafe, ""), (TMemValue{"", REG_SZ, Bytes(std::string(kDefault) + '\0')}));
    if (f.Root == HKEY_CURRENT_USER) {
      const std::string appData("%USERPROFILE%\\AppData\\Roaming\0", 30);
      EXPECT_EQ(value(kCafe, "AppData"), (TMemValue{"AppData", REG_EXPAND_SZ, Bytes(appData)}));
      EXPECT_EQ(value(kCafe, "List").Data, Bytes(std::string("a\0\xE9\0\0", 5)));
      EXPECT_EQ(value(kCafe, "Quad"), (TMemValue{"Quad", 0xb, {0x2a, 0, 0, 0, 0, 0, 0, 0}}));
    } else {
      EXPECT_EQ(value(kCafe, "Lines").Text(), "a\r\nb");
    }
    if (f.Encoding != TRegEncoding::Ansi) {
      EXPECT_EQ(value(std::string(kCafe) + "\\" + std::string(kGlobes), "Currencies").Text(),
                "USD");
    }
  }
  ASSERT_TRUE(MemRegistryImport(Utf16(kEditor5)));
  EXPECT_EQ(MemRegistryValue(HKEY_CURRENT_USER, kCafe, "Bin \xE9t\xE9 long enough to wrap early")
                ->Data.size(),
            32u);
  EXPECT_EQ(MemRegistryValue(HKEY_CURRENT_USER, kCafe, "Nothing")->Type, REG_NONE);
  EXPECT_TRUE(MemRegistryKeyExists(HKEY_CURRENT_USER, std::string(kCafe) + "\\Empty Key"));
}

// Values added to a loaded subtree export get sections; the implied parent stays implied
// until it has values of its own.
TEST_F(MemRegistryText, ChangesAreWrittenInTheLoadedStyle) {
  TRegFileStyle style;
  ASSERT_TRUE(MemRegistryImport(kPlain5, nullptr, &style));
  TRegKey key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Glint Caf\xE9\\New", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, key.Out(), nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key.Get(), "\xA3", 0, REG_SZ, reinterpret_cast<const BYTE*>("\x80"), 2),
            ERROR_SUCCESS);
  std::string saved;
  ASSERT_TRUE(MemRegistryExport(style, &saved));
  EXPECT_EQ(saved, std::string(kPlain5) +
                       "[HKEY_LOCAL_MACHINE\\Software\\Glint Caf\xC3\xA9\\New]\n"
                       "\"\xC2\xA3\"=\"\xE2\x82\xAC\"\n\n");
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            key.Out(), nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key.Get(), "", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1),
            ERROR_SUCCESS);
  ASSERT_TRUE(MemRegistryExport(style, &saved));
  EXPECT_TRUE(saved.starts_with(
      "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software]\n@=\"\"\n\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Glint Caf\xC3\xA9]\n"))
      << saved;
}

// A single-byte file is written only when it reads back as the same registry: "\xC3\xA9"
// ("Ã©") alone would read back as UTF-8 ("é"), once "\xE9" no longer keeps it single-byte.
TEST_F(MemRegistryText, SingleByteFileThatWouldReadBackAsUtf8IsNotWritten) {
  TRegFileStyle style;
  ASSERT_TRUE(MemRegistryImport("REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"\xC3\xA9\"=\"\xE9\"\n",
                                nullptr, &style));
  EXPECT_EQ(style.Encoding, TRegEncoding::Ansi);
  std::string saved, error;
  ASSERT_TRUE(MemRegistryExport(style, &saved));
  ASSERT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, "A"), ERROR_SUCCESS);
  TRegKey key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "\xC3\xA9", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            key.Out(), nullptr),
            ERROR_SUCCESS);
  EXPECT_FALSE(MemRegistryExport(style, &saved, &error));
  EXPECT_NE(error.find("read back as UTF-8"), std::string::npos) << error;
}

// Which single-byte encoding a file without a byte order mark has, told by its header
// once its bytes are ASCII: what the editor writes of a character added later.
TEST_F(MemRegistryText, AnAsciiFileKeepsTheEncodingItsHeaderImplies) {
  const struct {
    const char* Header;
    TRegEncoding Encoding;
    const char* Added;  // the bytes "\xE9" (é) is saved as
  } kFiles[] = {{"Windows Registry Editor Version 5.00", TRegEncoding::Utf8, "\xC3\xA9"},
                {"REGEDIT4", TRegEncoding::Ansi, "\xE9"}};
  for (const auto& f : kFiles) {
    SCOPED_TRACE(f.Header);
    TRegFileStyle style;
    ASSERT_TRUE(
        MemRegistryImport(std::string(f.Header) + "\n\n[HKEY_CURRENT_USER\\A]\n", nullptr, &style));
    EXPECT_EQ(style.Encoding, f.Encoding);
    TRegKey key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "A", 0, KEY_ALL_ACCESS, key.Out()), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key.Get(), "\xE9", 0, REG_DWORD, Bytes({"\1\0\0\0", 4}).data(), 4),
              ERROR_SUCCESS);
    std::string saved;
    ASSERT_TRUE(MemRegistryExport(style, &saved));
    EXPECT_EQ(saved, std::string(f.Header) + "\n\n[HKEY_CURRENT_USER\\A]\n\"" + f.Added +
                         "\"=dword:00000001\n\n");
  }
}

// The edges of the code page: characters up to U+00FF are held as their own byte, beyond
// it as escapes; U+10000, the first beyond 16 bits, is written as a surrogate pair, in the
// file's text and in the UTF-16 data of a string type alike.
TEST_F(MemRegistryText, CharactersAtTheCodePageAndUtf16EdgesKeepTheirCode) {
  const struct {
    std::u16string_view Name;
    const char* Held;
  } kNames[] = {{u"\u007F", "\x7F"},
                {u"\u00A0", "\xA0"},
                {u"\u00FF", "\xFF"},
                {u"\u0100", "\x81{100}"},
                {u"\U00010000", "\x81{10000}"}};
  for (const auto& n : kNames) {
    SCOPED_TRACE(n.Held);
    const std::u16string text =
        u"Windows Registry Editor Version 5.00\r\n\r\n"
        u"[HKEY_CURRENT_USER\\A]\r\n\"" +
        std::u16string(n.Name) + u"\"=hex(2):" + (n.Name.size() == 2 ? u"00,d8,00,dc" : u"41,00") +
        u",00,00\r\n\r\n";
    TRegFileStyle style;
    std::string error;
    ASSERT_TRUE(MemRegistryImport(Utf16(text), &error, &style)) << error;
    const std::vector<TMemValue> values = MemRegistryValues(HKEY_CURRENT_USER, "A");
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].Name, n.Held);
    EXPECT_EQ(values[0].Text(), n.Name.size() == 2 ? "\x81{10000}" : "A");
    std::string saved;
    ASSERT_TRUE(MemRegistryExport(style, &saved));
    EXPECT_EQ(saved, Utf16(text));
  }
}

std::string Levels(int count) {
  std::string path = "HKEY_CURRENT_USER";
  for (int i = 0; i < count; ++i) path += "\\k";
  return path;
}

// Windows' own limits, to the level and the character: a key 512 levels below its root and
// a name of 255 characters (UTF-16 code units) load and are written back the same; one more
// is refused by the registry itself.
TEST_F(MemRegistryText, KeysAtWindowsLimitsLoadAndSaveBack) {
  const std::string deep = Levels(512);
  const std::string name = std::string(252, 'n') + "\xC3\xA9\xF0\x9F\x8C\x8E";
  const std::string file = "Windows Registry Editor Version 5.00\n\n[" + deep +
                           "]\n\n[HKEY_CURRENT_USER\\" + name + "]\n\n";
  TRegFileStyle style;
  std::string error, saved;
  ASSERT_TRUE(MemRegistryImport(file, &error, &style)) << error;
  ASSERT_TRUE(MemRegistryExport(style, &saved));
  EXPECT_EQ(saved, file);

  TRegKey key, more;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, deep.substr(18).c_str(), 0, KEY_ALL_ACCESS, key.Out()),
            ERROR_SUCCESS);
  EXPECT_EQ(
      RegCreateKeyExA(key.Get(), "k", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, more.Out(), nullptr),
      ERROR_INVALID_PARAMETER);
  const std::string longer = std::string(252, 'n') + "\xE9\x81{1F30E}n";
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, longer.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, more.Out(), nullptr),
            ERROR_INVALID_PARAMETER);
}

// Keys are found through an index: an export of many sibling keys loads and saves in linear
// time, where searching the siblings for each key took minutes for 200,000 of them. Names
// alike up to their last characters, as class IDs often are, make a search slowest. CPU
// time, as the machine may be shared.
TEST_F(MemRegistryText, ManySiblingKeysLoadAndSaveInLinearTime) {
  std::string file = "Windows Registry Editor Version 5.00\n\n";
  for (int i = 0; i < 40000; ++i) {
    char name[48];
    std::snprintf(name, sizeof name, "{6B29FC40-CA47-1067-B31D-00DD%08X}", i);
    file += "[HKEY_CURRENT_USER\\Software\\Classes\\CLSID\\" + std::string(name) +
            "]\n\"v\"=dword:00000001\n\n";
  }
  const std::clock_t start = std::clock();
  TRegFileStyle style;
  std::string saved;
  ASSERT_TRUE(MemRegistryImport(file, nullptr, &style));
  ASSERT_TRUE(MemRegistryExport(style, &saved));
  EXPECT_LT(static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC, 5.0);
  EXPECT_EQ(saved, file);
}

TEST_F(MemRegistryText, DeletionsApplyInOrder) {
  ASSERT_TRUE(
      MemRegistryImport("REGEDIT4\n"
                        "[HKEY_CURRENT_USER\\A\\B]\n\"x\"=\"1\"\n"
                        "[HKEY_CURRENT_USER\\A\\C]\n\"y\"=dword:2\n\"z\"=\"3\"\n"
                        "[-HKEY_CURRENT_USER\\A\\B]\n"
                        "[-HKEY_CURRENT_USER\\Absent]\n"
                        "[HKEY_CURRENT_USER\\A\\C]\n\"z\"=-\n\"never there\"=-\n"));
  EXPECT_EQ(MemRegistrySubKeys(HKEY_CURRENT_USER, "A"), std::vector<std::string>{"C"});
  const std::vector<TMemValue> values = MemRegistryValues(HKEY_CURRENT_USER, "A\\C");
  ASSERT_EQ(values.size(), 1u);
  EXPECT_EQ(values[0], (TMemValue{"y", REG_DWORD, {2, 0, 0, 0}}));
}

TEST_F(MemRegistryText, LinesItCannotTakeFailTheLoadWithTheirNumber) {
  const struct {
    std::string File;
    const char* Error;
  } kBad[] = {
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"t\"=hex(10000000000000000):00\n",
       "line 3: value type 10000000000000000 does not fit 32 bits"},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"t\"=hex(100000001):00\n",
       "line 3: value type 100000001 does not fit 32 bits"},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\\\Lost]\n\"t\"=\"x\"\n", "line 2: a key name with an empty"},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A\\]\n", "line 2: a key name with an empty"},
      {"REGEDIT4\n\n[HKEY_CURRENT_USER\\A\\\\B]\n", "line 3: a key name with an empty"},
      {"REGEDIT4\n[-HKEY_CURRENT_USER]\n", "line 2: a root key cannot be deleted"},
      {"REGEDIT4\n[HKEY_CURRENT_CONFIG\\A]\n", "line 2: unknown root key"},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"p\"=\"C:\\Temp\"\n", "line 3: unknown escape \\T"},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"p\"=\"x\" \"y\"\n", "line 3: text after the closing"},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"p\"=\"x\n", "line 3: no closing quote"},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\\0b\"=\"\"\n", "line 3: a value name with a zero"},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"d\"=dword:123456789\n", "line 3: dword: takes"},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"b\"=hex:01,,02\n", "line 3: hex data"},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"b\"=hex:01,02\\\n", "line 3: hex data"},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"b\"=hex:01,\\\n  02,\\\n  0g\n", "line 5: hex data"},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"b\"=hex:01,\\\n",
       "line 3: hex data ends in a backslash"},
      {"REGEDIT4\n[-HKEY_CURRENT_USER\\A]\n\"v\"=\"1\"\n", "line 3: a value under a deleted"},
      {"REGEDIT4\n  [HKEY_CURRENT_USER\\A]\n", "line 2: neither a key, a value nor a comment"},
      {"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"e\"=hex(2):41,00,42\n",
       "line 3: text data of an odd number of bytes"},
      {"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"\xC2\x81{1F30E}\"=\"\"\n",
       "line 3: U+0081 before a code in braces"},
      {"\xEF\xBB\xBFWindows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\\xFF]\n",
       "line 3: not UTF-8"},
      {Utf16(u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\\xD800]\r\n"),
       "line 3: not UTF-16"},
      {Utf16(u"Windows Registry Editor Version 5.00\r\n") + "x", "line 2: not UTF-16"},
      {"Windows Registry Editor Version 4.00\n", "line 1: not a registry export"},
      {"REGEDIT4\n\n[" + Levels(513) + "]\n", "line 3: a key more than 512 levels below its root"},
      {"REGEDIT4\n[-" + Levels(20000) + "]\n", "line 2: a key more than 512 levels below its root"},
      {"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A\\" + std::string(253, 'n') +
           "\xC3\xA9\xF0\x9F\x8C\x8E]\n",
       "line 2: a key name of 256 characters (at most 255)"},
  };
  TRegKey kept;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Kept", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            kept.Out(), nullptr),
            ERROR_SUCCESS);
  for (const auto& b : kBad) {
    SCOPED_TRACE(b.File);
    std::string error;
    EXPECT_FALSE(MemRegistryImport(b.File, &error));
    EXPECT_TRUE(error.starts_with(b.Error)) << error;
    EXPECT_TRUE(MemRegistryKeyExists(HKEY_CURRENT_USER, "Kept"));
  }
}

}  // namespace
}  // namespace glint::win32
