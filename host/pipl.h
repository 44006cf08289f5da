// The PiPL, the property list by which the host registers an effect module: its binary
// form (a header, then properties of vendor, key, id, length and data padded to 4 bytes,
// numbers little-endian, four-character codes stored as little-endian 32-bit values so
// their bytes read reversed), a bounds-checked parser and accessors by key.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace qvhost {

// A PiPL that cannot be read: the message says what is wrong and at which byte.
class PiplError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One property. vendor and key are the four characters as written ("8BIM", "kind").
struct PiplProperty {
  std::string vendor;
  std::string key;
  uint32_t id = 0;
  uint32_t length = 0;        // as stored: the data's length, padding counted or not
  std::vector<uint8_t> data;  // the `length` data bytes, without the padding after them
  size_t offset = 0;          // where the property starts in the resource
};

// The four characters of a code stored as a little-endian 32-bit value.
std::string FourCharCode(const uint8_t stored[4]);

struct Pipl {
  uint16_t kind_word = 0;  // the header's first word, 1
  uint32_t version = 0;    // the header's version, 0
  std::vector<PiplProperty> properties;

  // The first property with this key (vendor "8BIM"), or null.
  const PiplProperty* Find(const std::string& key) const;

  // Decoded values by key. Each returns nothing when the key is absent; the parser has
  // already refused a known key whose data does not have its property's form.
  std::optional<std::string> Code(const std::string& key) const;          // kind
  std::optional<std::string> PascalString(const std::string& key) const;  // name, catg, eMNA
  std::optional<std::string> CString(const std::string& key) const;       // 8664
  std::optional<uint32_t> Long(const std::string& key) const;             // eVER, eGLO, aeFL
  std::optional<uint16_t> Short(const std::string& key) const;            // eINF
  // Two 16-bit numbers, major first (ePVR, eSVR).
  std::optional<std::pair<uint16_t, uint16_t>> VersionPair(const std::string& key) const;
};

// Parses a PiPL of `size` bytes. Every read is checked against the size; a truncated or
// malformed PiPL (wrong header, a property running past the end, a known property whose
// data does not have its form, stray bytes after the last property) throws PiplError.
Pipl ParsePipl(const void* bytes, size_t size);

// How a property's data is laid out, by key.
enum class PiplForm { kCode, kPascalString, kCString, kVersionPair, kLong, kShort, kRaw };
PiplForm FormOf(const std::string& key);

// The SDK name of a property key ("AE_Effect_Version" for "eVER"), or "" when unknown.
std::string PropertyName(const std::string& key);

// The property's value as text: strings quoted, numbers in decimal and hex, the effect
// version unpacked and the out flags by name.
std::string DescribeValue(const PiplProperty& property);

// The whole PiPL, one property a line.
std::string FormatPipl(const Pipl& pipl);

}  // namespace qvhost
