// Parsing the PiPL: every read checked against the buffer, every known property checked
// against its form, and accessors that decode a property by key.
#include "host/pipl.h"

#include <cstring>

namespace qvhost {
namespace {

constexpr size_t kHeaderBytes = 10;    // word 1, version, count
constexpr size_t kPropertyHead = 16;   // vendor, key, id, length
constexpr uint16_t kPiplKindWord = 1;

size_t PaddedTo4(size_t n) { return (n + 3) & ~size_t{3}; }

class Reader {
 public:
  Reader(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}

  size_t pos() const { return pos_; }
  size_t remaining() const { return size_ - pos_; }

  void Need(size_t n, const std::string& what) const {
    if (n > remaining())
      throw PiplError("PiPL truncated: " + what + " needs " + std::to_string(n) +
                      " bytes at offset " + std::to_string(pos_) + ", only " +
                      std::to_string(remaining()) + " remain");
  }
  const uint8_t* Take(size_t n, const std::string& what) {
    Need(n, what);
    const uint8_t* at = bytes_ + pos_;
    pos_ += n;
    return at;
  }
  uint16_t U16(const std::string& what) {
    const uint8_t* b = Take(2, what);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
  }
  uint32_t U32(const std::string& what) {
    const uint8_t* b = Take(4, what);
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
           (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
  }

 private:
  const uint8_t* bytes_;
  size_t size_;
  size_t pos_ = 0;
};

uint16_t LittleU16(const uint8_t* b) { return static_cast<uint16_t>(b[0] | (b[1] << 8)); }

uint32_t LittleU32(const uint8_t* b) {
  return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
         (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

std::string Label(size_t index, const std::string& key) {
  return "property " + std::to_string(index) + (key.empty() ? "" : " (\"" + key + "\")");
}

// Refuses a known property whose data does not have its form.
void CheckForm(const PiplProperty& p, size_t index) {
  auto fail = [&](const std::string& why) {
    throw PiplError("PiPL malformed: " + Label(index, p.key) + " at offset " +
                    std::to_string(p.offset) + ": " + why);
  };
  auto need_length = [&](uint32_t n) {
    if (p.length != n)
      fail("length " + std::to_string(p.length) + ", expected " + std::to_string(n));
  };
  switch (FormOf(p.key)) {
    case PiplForm::kCode:
    case PiplForm::kVersionPair:
    case PiplForm::kLong: need_length(4); break;
    case PiplForm::kShort: need_length(2); break;
    case PiplForm::kPascalString:
      if (p.data.empty()) fail("empty Pascal string (no count byte)");
      if (1u + p.data[0] > p.data.size())
        fail("Pascal string of " + std::to_string(p.data[0]) + " characters in " +
             std::to_string(p.data.size()) + " bytes");
      break;
    case PiplForm::kCString:
      if (std::memchr(p.data.data(), 0, p.data.size()) == nullptr)
        fail("string without a terminating NUL");
      break;
    case PiplForm::kRaw: break;
  }
}

}  // namespace

std::string FourCharCode(const uint8_t stored[4]) {
  return std::string{static_cast<char>(stored[3]), static_cast<char>(stored[2]),
                     static_cast<char>(stored[1]), static_cast<char>(stored[0])};
}

Pipl ParsePipl(const void* bytes, size_t size) {
  if (size == 0) throw PiplError("PiPL truncated: no bytes at all");
  if (!bytes) throw PiplError("PiPL missing: null data of " + std::to_string(size) + " bytes");
  Reader in(static_cast<const uint8_t*>(bytes), size);
  Pipl pipl;
  in.Need(kHeaderBytes, "the header");
  pipl.kind_word = in.U16("the header");
  pipl.version = in.U32("the header");
  uint32_t count = in.U32("the header");
  if (pipl.kind_word != kPiplKindWord)
    throw PiplError("PiPL malformed: header word " + std::to_string(pipl.kind_word) +
                    ", expected 1");
  if (pipl.version != 0)
    throw PiplError("PiPL malformed: header version " + std::to_string(pipl.version) +
                    ", expected 0");
  // Each property takes at least its 16-byte head: a larger count cannot fit.
  if (count > in.remaining() / kPropertyHead)
    throw PiplError("PiPL truncated: " + std::to_string(count) + " properties cannot fit in " +
                    std::to_string(size) + " bytes");

  pipl.properties.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    PiplProperty p;
    p.offset = in.pos();
    in.Need(kPropertyHead, Label(i, "") + " head");
    p.vendor = FourCharCode(in.Take(4, "vendor"));
    p.key = FourCharCode(in.Take(4, "key"));
    p.id = in.U32("id");
    p.length = in.U32("length");
    const std::string what = Label(i, p.key) + " data";
    in.Need(p.length, what);  // before padding, so a huge length cannot wrap around
    const uint8_t* data = in.Take(p.length, what);
    p.data.assign(data, data + p.length);
    in.Take(PaddedTo4(p.length) - p.length, Label(i, p.key) + " padding");
    CheckForm(p, i);
    pipl.properties.push_back(std::move(p));
  }
  // A resource may be followed by alignment zeros, but by nothing else.
  for (size_t at = in.pos(); at < size; ++at) {
    if (static_cast<const uint8_t*>(bytes)[at] != 0)
      throw PiplError("PiPL malformed: stray bytes after the last property at offset " +
                      std::to_string(at));
  }
  return pipl;
}

PiplForm FormOf(const std::string& key) {
  if (key == "kind") return PiplForm::kCode;
  if (key == "name" || key == "catg" || key == "eMNA") return PiplForm::kPascalString;
  if (key == "8664") return PiplForm::kCString;
  if (key == "ePVR" || key == "eSVR") return PiplForm::kVersionPair;
  if (key == "eVER" || key == "eGLO" || key == "eGL2" || key == "aeFL") return PiplForm::kLong;
  if (key == "eINF") return PiplForm::kShort;
  return PiplForm::kRaw;
}

const PiplProperty* Pipl::Find(const std::string& key) const {
  for (const PiplProperty& p : properties)
    if (p.vendor == "8BIM" && p.key == key) return &p;
  return nullptr;
}

std::optional<std::string> Pipl::Code(const std::string& key) const {
  const PiplProperty* p = Find(key);
  if (!p || p->data.size() != 4) return std::nullopt;
  return FourCharCode(p->data.data());
}

std::optional<std::string> Pipl::PascalString(const std::string& key) const {
  const PiplProperty* p = Find(key);
  if (!p || p->data.empty() || 1u + p->data[0] > p->data.size()) return std::nullopt;
  return std::string(reinterpret_cast<const char*>(p->data.data()) + 1, p->data[0]);
}

std::optional<std::string> Pipl::CString(const std::string& key) const {
  const PiplProperty* p = Find(key);
  if (!p) return std::nullopt;
  const void* nul = std::memchr(p->data.data(), 0, p->data.size());
  if (!nul) return std::nullopt;
  const char* text = reinterpret_cast<const char*>(p->data.data());
  return std::string(text, static_cast<const char*>(nul) - text);
}

std::optional<uint32_t> Pipl::Long(const std::string& key) const {
  const PiplProperty* p = Find(key);
  if (!p || p->data.size() != 4) return std::nullopt;
  return LittleU32(p->data.data());
}

std::optional<uint16_t> Pipl::Short(const std::string& key) const {
  const PiplProperty* p = Find(key);
  if (!p || p->data.size() != 2) return std::nullopt;
  return LittleU16(p->data.data());
}

std::optional<std::pair<uint16_t, uint16_t>> Pipl::VersionPair(const std::string& key) const {
  const PiplProperty* p = Find(key);
  if (!p || p->data.size() != 4) return std::nullopt;
  return std::make_pair(LittleU16(p->data.data()), LittleU16(p->data.data() + 2));
}

}  // namespace qvhost
