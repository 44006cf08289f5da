// The host's PiPL parser: the module's own PiPL words read back, PiPLs built byte by byte
// for each property form, and every kind of truncated or malformed PiPL refused with a
// message rather than read past its end.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/pipl.h"
#include "shell/resources/pipl_words.h"

namespace {

using qvhost::ParsePipl;
using qvhost::Pipl;
using qvhost::PiplError;

std::vector<uint8_t> ModulePiplBytes() {
  static const unsigned short kWords[] = {QUORVEL_PIPL_WORDS};
  std::vector<uint8_t> bytes;
  for (unsigned short w : kWords) {
    bytes.push_back(static_cast<uint8_t>(w & 0xFF));
    bytes.push_back(static_cast<uint8_t>(w >> 8));
  }
  return bytes;
}

// Builds PiPLs the way the host expects them, for the malformed cases.
struct PiplBuilder {
  std::vector<uint8_t> bytes;
  explicit PiplBuilder(uint32_t count, uint16_t word = 1, uint32_t version = 0) {
    U16(word), U32(version), U32(count);
  }
  void U16(uint16_t v) { bytes.push_back(v & 0xFF), bytes.push_back(v >> 8); }
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  void Code(const char* c) {  // stored reversed
    for (int i = 3; i >= 0; --i) bytes.push_back(static_cast<uint8_t>(c[i]));
  }
  // A property with `data`, its stored length `length` (data size when -1), padded to 4.
  PiplBuilder& Property(const char* key, const std::vector<uint8_t>& data, long length = -1) {
    Code("8BIM"), Code(key), U32(0);
    U32(length < 0 ? static_cast<uint32_t>(data.size()) : static_cast<uint32_t>(length));
    bytes.insert(bytes.end(), data.begin(), data.end());
    while (data.size() % 4 && (bytes.size() - 10) % 4) bytes.push_back(0);
    return *this;
  }
};

std::vector<uint8_t> Pascal(const std::string& text, size_t total) {
  std::vector<uint8_t> d{static_cast<uint8_t>(text.size())};
  d.insert(d.end(), text.begin(), text.end());
  d.resize(total, 0);
  return d;
}

std::string ParseError(const std::vector<uint8_t>& bytes) {
  try {
    ParsePipl(bytes.data(), bytes.size());
  } catch (const PiplError& e) {
    return e.what();
  }
  return "";
}

// ---- The module's PiPL -------------------------------------------------------------------

TEST(PiplParser, ReadsTheModulesPipl) {
  std::vector<uint8_t> bytes = ModulePiplBytes();
  ASSERT_EQ(bytes.size(), static_cast<size_t>(QUORVEL_PIPL_BYTES));
  Pipl pipl = ParsePipl(bytes.data(), bytes.size());
  ASSERT_EQ(pipl.properties.size(), 11u);
  const char* kKeys[] = {"kind", "name", "catg", "8664", "ePVR", "eSVR",
                         "eVER", "eINF", "eGLO", "eMNA", "aeFL"};
  const size_t kOffsets[] = {10, 30, 54, 82, 114, 134, 154, 174, 194, 214, 238};
  for (size_t i = 0; i < 11; ++i) {
    EXPECT_EQ(pipl.properties[i].key, kKeys[i]);
    EXPECT_EQ(pipl.properties[i].vendor, "8BIM");
    EXPECT_EQ(pipl.properties[i].offset, kOffsets[i]) << kKeys[i];
  }
  EXPECT_EQ(pipl.CString("8664"), "EntryPointFunc");
  EXPECT_EQ(pipl.PascalString("catg"), "Zentrivo");
  EXPECT_EQ(pipl.Long("eGLO"), 0x06008454u);
  // eINF: length 2, the next property after 4 data bytes.
  EXPECT_EQ(pipl.Find("eINF")->length, 2u);
  EXPECT_EQ(pipl.Find("eINF")->data.size(), 2u);
  EXPECT_EQ(pipl.Find("eGLO")->offset, pipl.Find("eINF")->offset + 20);
}

TEST(PiplParser, AccessorsAnswerNothingForAbsentKeysOrOtherForms) {
  std::vector<uint8_t> bytes = ModulePiplBytes();
  Pipl pipl = ParsePipl(bytes.data(), bytes.size());
  EXPECT_EQ(pipl.Find("eGL2"), nullptr);
  EXPECT_FALSE(pipl.Long("eGL2").has_value());
  EXPECT_FALSE(pipl.Short("eVER").has_value()) << "eVER is 4 bytes, not a short";
  EXPECT_FALSE(pipl.CString("name").has_value()) << "a Pascal string has no NUL";
}

TEST(PiplParser, FormatsEveryPropertyDecoded) {
  std::vector<uint8_t> bytes = ModulePiplBytes();
  std::string text = qvhost::FormatPipl(ParsePipl(bytes.data(), bytes.size()));
  for (const char* part : {"PiPL: 11 properties", "eFKT (AEEffect)", "\"Glissel\"",
                           "\"Zentrivo\"", "CodeWin64X86", "\"EntryPointFunc\"", "13.2",
                           "0x00100001 (1048577) = 2.0.0 develop build 1", "0x0000 (0)",
                           "NON_PARAM_VARY | SEQUENCE_DATA_NEEDS_FLATTENING", "\"Quorvel\""})
    EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
}

// ---- Property forms -----------------------------------------------------------------------

TEST(PiplParser, UnknownPropertiesAreKeptRaw) {
  PiplBuilder b(2);
  b.Property("zzzz", {1, 2, 3}).Property("eVER", {1, 0, 0x10, 0});
  Pipl pipl = ParsePipl(b.bytes.data(), b.bytes.size());
  ASSERT_EQ(pipl.properties.size(), 2u);
  EXPECT_EQ(pipl.properties[0].data, (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(pipl.Long("eVER"), 0x00100001u);
  EXPECT_EQ(qvhost::DescribeValue(pipl.properties[0]), "3 bytes: 01 02 03");
}

TEST(PiplParser, OtherVendorsAreNotFoundByKey) {
  PiplBuilder b(1);
  b.Code("ADBE"), b.Code("eVER"), b.U32(0), b.U32(4), b.U32(7);
  Pipl pipl = ParsePipl(b.bytes.data(), b.bytes.size());
  EXPECT_EQ(pipl.properties.at(0).vendor, "ADBE");
  EXPECT_EQ(pipl.Find("eVER"), nullptr);
}

TEST(PiplParser, AcceptsTrailingAlignmentZeros) {
  std::vector<uint8_t> bytes = ModulePiplBytes();
  bytes.insert(bytes.end(), {0, 0});
  EXPECT_EQ(ParsePipl(bytes.data(), bytes.size()).properties.size(), 11u);
}

// ---- Truncated and malformed PiPLs ------------------------------------------------------------
// Rule: every cut of the module's PiPL short of its full size is refused, never read past.

TEST(PiplParser, RefusesEveryTruncation) {
  std::vector<uint8_t> bytes = ModulePiplBytes();
  for (size_t size = 0; size < bytes.size(); ++size) {
    // A copy of exactly `size` bytes, so that a read past the end is a sanitizer error.
    std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<long>(size));
    std::string error = ParseError(cut);
    EXPECT_NE(error.find("truncated"), std::string::npos) << "size " << size << ": " << error;
  }
  EXPECT_THROW(ParsePipl(nullptr, 0), PiplError);
}

TEST(PiplParser, RefusesAWrongHeader) {
  EXPECT_NE(ParseError(PiplBuilder(0, 2).bytes).find("header word 2"), std::string::npos);
  EXPECT_NE(ParseError(PiplBuilder(0, 1, 5).bytes).find("header version 5"), std::string::npos);
  EXPECT_EQ(ParseError(PiplBuilder(0).bytes), "") << "an empty list is well formed";
}

TEST(PiplParser, RefusesACountThatCannotFit) {
  PiplBuilder b(0xFFFFFFFF);
  b.Property("eVER", {0, 0, 0, 0});
  EXPECT_NE(ParseError(b.bytes).find("cannot fit"), std::string::npos);
  PiplBuilder two(2);
  two.Property("eVER", {0, 0, 0, 0});
  EXPECT_NE(ParseError(two.bytes).find("truncated"), std::string::npos);
}

TEST(PiplParser, RefusesALengthRunningPastTheEnd) {
  for (uint32_t length : {5u, 0x7FFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFDu}) {
    PiplBuilder b(1);
    b.Code("8BIM"), b.Code("zzzz"), b.U32(0), b.U32(length), b.U32(0);
    std::string error = ParseError(b.bytes);
    EXPECT_NE(error.find("truncated"), std::string::npos) << length << ": " << error;
  }
}

TEST(PiplParser, RefusesMissingPadding) {
  PiplBuilder b(1);
  b.Code("8BIM"), b.Code("eINF"), b.U32(0), b.U32(2), b.U16(0);  // no 2 bytes of padding
  EXPECT_NE(ParseError(b.bytes).find("padding"), std::string::npos);
}

TEST(PiplParser, RefusesKnownPropertiesOfTheWrongForm) {
  struct Case {
    const char* key;
    std::vector<uint8_t> data;
    const char* why;
  };
  const Case kCases[] = {
      {"kind", {1, 2}, "length 2, expected 4"},
      {"eVER", {1, 0, 0, 0, 0, 0, 0, 0}, "length 8, expected 4"},
      {"ePVR", {2, 0}, "length 2, expected 4"},
      {"eINF", {0, 0, 0, 0}, "length 4, expected 2"},
      {"name", {}, "no count byte"},
      {"name", Pascal("Glissel", 8), ""},
      {"catg", {20, 'a', 'b', 'c'}, "Pascal string of 20 characters in 4 bytes"},
      {"8664", {'E', 'n', 't', 'r'}, "without a terminating NUL"},
      {"8664", {'E', 0, 0, 0}, ""},
  };
  for (const Case& c : kCases) {
    PiplBuilder b(1);
    b.Property(c.key, c.data);
    std::string error = ParseError(b.bytes);
    if (*c.why == '\0')
      EXPECT_EQ(error, "") << c.key;
    else
      EXPECT_NE(error.find(c.why), std::string::npos) << c.key << ": " << error;
  }
}

TEST(PiplParser, RefusesStrayBytesAfterTheLastProperty) {
  std::vector<uint8_t> bytes = ModulePiplBytes();
  bytes.push_back(0);
  bytes.push_back(7);
  EXPECT_NE(ParseError(bytes).find("stray bytes"), std::string::npos);
}

}  // namespace
