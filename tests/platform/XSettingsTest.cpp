#include "platform/uXSettings.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// XSETTINGS data in the byte order Big (true: most significant byte first).
class TSettings {
 public:
  explicit TSettings(bool Big) : Big_(Big) {}

  TSettings& Integer(const std::string& Name, std::uint32_t Value) {
    return Add(0, Name, Number(Value, 4));
  }
  TSettings& Text(const std::string& Name, const std::string& Value) {
    return Add(1, Name, Number(std::uint32_t(Value.size()), 4) + Padded(Value));
  }
  TSettings& Color(const std::string& Name) { return Add(2, Name, std::string(8, '\x7F')); }

  std::string Data() const {
    return std::string(1, char(Big_)) + std::string(3, '\0') + Number(7, 4) + Number(Count_, 4) +
           Body_;
  }

 private:
  TSettings& Add(char Type, const std::string& Name, const std::string& Value) {
    Body_ += std::string(1, Type) + '\0' + Number(std::uint32_t(Name.size()), 2) + Padded(Name) +
             Number(1, 4) + Value;
    ++Count_;
    return *this;
  }
  std::string Number(std::uint32_t Value, int Size) const {
    std::string bytes;
    for (int i = 0; i < Size; ++i)
      bytes += char(Value >> (8 * (Big_ ? Size - 1 - i : i)));
    return bytes;
  }
  static std::string Padded(const std::string& Text) {
    return Text + std::string((4 - Text.size() % 4) % 4, '\0');
  }

  bool Big_;
  std::uint32_t Count_ = 0;
  std::string Body_;
};

std::optional<std::int32_t> Find(const std::string& Data, std::string_view Name) {
  return XSettingsInteger({reinterpret_cast<const std::uint8_t*>(Data.data()), Data.size()}, Name);
}

TEST(XSettingsTest, IntegersAreFoundInEitherByteOrderPastOtherSettings) {
  for (const bool big : {false, true}) {
    const std::string data = TSettings(big)
                                 .Text("Net/ThemeName", "Adwaita")
                                 .Color("Gtk/Color")
                                 .Integer("Net/EnableEventSounds", 0)
                                 .Integer("Xft/DPI", 0xFFFFFFFF)
                                 .Data();
    EXPECT_EQ(Find(data, "Net/EnableEventSounds"), 0) << big;
    EXPECT_EQ(Find(data, "Xft/DPI"), -1) << big;
    EXPECT_EQ(Find(data, "Net/ThemeName"), std::nullopt) << big;
    EXPECT_EQ(Find(data, "Gtk/None"), std::nullopt) << big;
    // Cut anywhere, the data is read up to the cut and never beyond.
    for (std::size_t size = 0; size < data.size(); ++size) {
      const auto found = Find(data.substr(0, size), "Xft/DPI");
      EXPECT_EQ(found, std::nullopt) << big << " cut at " << size;
    }
  }
  EXPECT_EQ(Find(std::string(1, '\2') + std::string(11, '\0'), "Xft/DPI"), std::nullopt)
      << "byte order 2";
}

} // namespace
