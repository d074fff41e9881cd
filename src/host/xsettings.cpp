#include "host/xsettings.h"

namespace host {

namespace {

// Reads the data front to back in the byte order it names; any read past the end fails.
class Reader {
 public:
  Reader(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}

  bool Skip(std::size_t n) {
    if (n > size_ - at_) return false;
    at_ += n;
    return true;
  }
  // Strings are padded to a multiple of four bytes.
  bool SkipPadded(std::size_t n) { return Skip(n) && Skip((4 - n % 4) % 4); }
  bool Card8(std::uint32_t& v) { return Card(1, v); }
  bool Card16(std::uint32_t& v) { return Card(2, v); }
  bool Card32(std::uint32_t& v) { return Card(4, v); }
  bool Bytes(std::size_t n, std::string_view& v) {
    if (n > size_ - at_) return false;
    v = std::string_view(reinterpret_cast<const char*>(data_ + at_), n);
    return true;
  }
  void SetBigEndian(bool big) { big_ = big; }

 private:
  bool Card(std::size_t n, std::uint32_t& v) {
    if (n > size_ - at_) return false;
    v = 0;
    for (std::size_t i = 0; i < n; ++i) {
      const std::uint32_t byte = data_[at_ + (big_ ? i : n - 1 - i)];
      v = (v << 8) | byte;
    }
    at_ += n;
    return true;
  }

  const unsigned char* data_;
  std::size_t size_;
  std::size_t at_ = 0;
  bool big_ = false;
};

enum SettingType : std::uint32_t { kInteger = 0, kString = 1, kColor = 2 };

// Reads a setting's value: an INT32 into `integer`, a string (its length, then the bytes) or a
// colour (four CARD16) skipped. False when the data ends first or the type is unknown, whose
// value has no known size.
bool ReadValue(Reader& in, std::uint32_t type, std::uint32_t& integer) {
  std::uint32_t length = 0;
  switch (type) {
    case kInteger:
      return in.Card32(integer);
    case kString:
      return in.Card32(length) && in.SkipPadded(length);
    case kColor:
      return in.Skip(8);
    default:
      return false;
  }
}

}  // namespace

std::optional<std::int32_t> XSettingsInteger(const unsigned char* data, std::size_t size,
                                             std::string_view name) {
  if (!data) return std::nullopt;
  Reader in(data, size);
  std::uint32_t order = 0, serial = 0, count = 0;
  // The header: byte order (0 least significant byte first, 1 most), three unused bytes, the
  // serial, the number of settings.
  if (!in.Card8(order) || order > 1 || !in.Skip(3)) return std::nullopt;
  in.SetBigEndian(order == 1);
  if (!in.Card32(serial) || !in.Card32(count)) return std::nullopt;
  for (std::uint32_t i = 0; i < count; ++i) {
    // Each setting: type, one unused byte, the name's length, the name, the serial of its last
    // change, then the value (an INT32; a string with its length; four CARD16 of a colour).
    std::uint32_t type = 0, length = 0, changed = 0;
    std::string_view settingName;
    if (!in.Card8(type) || !in.Skip(1) || !in.Card16(length) || !in.Bytes(length, settingName) ||
        !in.SkipPadded(length) || !in.Card32(changed)) {
      return std::nullopt;
    }
    std::uint32_t value = 0;
    if (!ReadValue(in, type, value)) return std::nullopt;
    if (settingName == name) {
      if (type != kInteger) return std::nullopt;
      return static_cast<std::int32_t>(value);
    }
  }
  return std::nullopt;
}

}  // namespace host
