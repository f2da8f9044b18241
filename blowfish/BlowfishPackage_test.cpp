// The component used through a package (d4_bfc or c3_bfc) as a program using the package
// would: linked against the shared library only.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "blowfish/Blowfish.h"

namespace glint {
namespace {

TEST(BlowfishPackage, ExportsTheComponentAndItsRegistration) {
  Register();  // the palette itself lives inside the package
  TBlowfish bf;
  EXPECT_EQ(bf.GetVersion(), "1.11");
  // Published Blowfish ECB vector: key 0123456789ABCDEF, 1111111111111111 -> 61F9C3802281B096.
  const std::uint8_t key[] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
  std::uint8_t block[8] = {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11};
  ASSERT_EQ(bf.InitialiseByte(key, 8), kBfOk);
  ASSERT_EQ(bf.EncryptBlock(block, block), kBfOk);
  const std::uint8_t expected[8] = {0x61, 0xF9, 0xC3, 0x80, 0x22, 0x81, 0xB0, 0x96};
  EXPECT_EQ(std::string(block, block + 8), std::string(expected, expected + 8));
  bf.SetCipherMode(CBC);
  bf.LoadIVString("package");
  std::string cipher, plain;
  ASSERT_EQ(bf.EncryptString("through the package", cipher), kBfOk);
  bf.LoadIVString("package");
  ASSERT_EQ(bf.DecryptString(cipher, plain), kBfOk);
  EXPECT_EQ(plain, "through the package");
  EXPECT_STREQ(BlowfishResultText(kBfInvalidData), BlowfishResultText(-3));
}

// At run time the component lives in the user's program, owned by its form.
TEST(BlowfishPackage, FormOwnsAndFreesTheComponent) {
  TComponent form(nullptr);
  auto* bf = new TBlowfish(&form);
  bf->SetName("Blowfish1");
  EXPECT_EQ(form.FindComponent("Blowfish1"), bf);
  ASSERT_EQ(bf->InitialiseString("owned"), kBfOk);
  form.DestroyComponents();
  EXPECT_EQ(form.ComponentCount(), 0);
}

}  // namespace
}  // namespace glint
