#include "platform/uXSettings.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Reads the numbers of the settings data in the byte order it states.
class TSettingsReader {
 public:
  explicit TSettingsReader(std::span<const std::uint8_t> Data) noexcept : Data_(Data) {}

  bool Skip(std::size_t Count) noexcept {
    if (Data_.size() - Pos_ < Count)
      return false;
    Pos_ += Count;
    return true;
  }
  bool Byte(std::uint8_t& Value) noexcept {
    if (Pos_ >= Data_.size())
      return false;
    Value = Data_[Pos_++];
    return true;
  }
  bool Card16(std::uint16_t& Value) noexcept {
    std::uint32_t value = 0;
    if (!Number(2, value))
      return false;
    Value = static_cast<std::uint16_t>(value);
    return true;
  }
  bool Card32(std::uint32_t& Value) noexcept { return Number(4, Value); }
  // Count bytes as text, then the padding to a multiple of four.
  bool Text(std::size_t Count, std::string_view& Value) noexcept {
    if (Data_.size() - Pos_ < Count)
      return false;
    Value = {reinterpret_cast<const char*>(Data_.data() + Pos_), Count};
    Pos_ += Count;
    return Skip((4 - Count % 4) % 4);
  }

  bool MostSignificantFirst = false;

 private:
  bool Number(std::size_t Size, std::uint32_t& Value) noexcept {
    if (Data_.size() - Pos_ < Size)
      return false;
    Value = 0;
    for (std::size_t i = 0; i < Size; ++i) {
      const std::size_t shift = MostSignificantFirst ? 8 * (Size - 1 - i) : 8 * i;
      Value |= std::uint32_t(Data_[Pos_ + i]) << shift;
    }
    Pos_ += Size;
    return true;
  }

  std::span<const std::uint8_t> Data_;
  std::size_t Pos_ = 0;
};

// The setting types of the protocol.
constexpr std::uint8_t SettingInteger = 0;
constexpr std::uint8_t SettingString = 1;
constexpr std::uint8_t SettingColor = 2;

// The open connection, its screen's selection and the property's name; none until first used.
struct TDisplay {
  xcb_connection_t* Connection = nullptr;
  xcb_atom_t Selection = XCB_ATOM_NONE;
  xcb_atom_t Property = XCB_ATOM_NONE;
  bool Tried = false; // a connection was tried; without one every answer is the default
};

TDisplay Display;

xcb_atom_t InternAtom(xcb_connection_t* Connection, const std::string& Name) {
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
      Connection, xcb_intern_atom(Connection, 0, std::uint16_t(Name.size()), Name.data()), nullptr);
  const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
  std::free(reply);
  return atom;
}

bool Connect() {
  if (Display.Tried)
    return Display.Connection != nullptr;
  Display.Tried = true;
  if (!std::getenv("DISPLAY"))
    return false;
  int screen = 0;
  xcb_connection_t* connection = xcb_connect(nullptr, &screen);
  if (xcb_connection_has_error(connection)) {
    xcb_disconnect(connection);
    return false;
  }
  Display.Connection = connection;
  Display.Selection = InternAtom(connection, "_XSETTINGS_S" + std::to_string(screen));
  Display.Property = InternAtom(connection, "_XSETTINGS_SETTINGS");
  return true;
}

// The settings data of the display's settings manager; empty when there is none.
std::string ReadSettings() {
  if (!Connect() || Display.Selection == XCB_ATOM_NONE || Display.Property == XCB_ATOM_NONE)
    return {};
  xcb_connection_t* connection = Display.Connection;
  xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
      connection, xcb_get_selection_owner(connection, Display.Selection), nullptr);
  const xcb_window_t window = owner ? owner->owner : xcb_window_t(XCB_WINDOW_NONE);
  std::free(owner);
  if (window == XCB_WINDOW_NONE)
    return {};
  // At most 4 MiB, counted in 32-bit units; a settings manager keeps a few kilobytes.
  xcb_get_property_reply_t* property = xcb_get_property_reply(
      connection,
      xcb_get_property(connection, 0, window, Display.Property, Display.Property, 0, 1 << 20),
      nullptr);
  std::string data;
  if (property && property->format == 8)
    data.assign(static_cast<const char*>(xcb_get_property_value(property)),
                std::size_t(xcb_get_property_value_length(property)));
  std::free(property);
  return data;
}

} // namespace

std::optional<std::int32_t> XSettingsInteger(std::span<const std::uint8_t> Data,
                                             std::string_view Name) {
  TSettingsReader reader(Data);
  std::uint8_t order = 0;
  std::uint32_t serial = 0, count = 0;
  if (!reader.Byte(order) || order > 1)
    return std::nullopt;
  reader.MostSignificantFirst = order == 1;
  if (!reader.Skip(3) || !reader.Card32(serial) || !reader.Card32(count))
    return std::nullopt;
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint8_t type = 0;
    std::uint16_t nameLength = 0;
    std::string_view name;
    std::uint32_t changed = 0, value = 0;
    if (!reader.Byte(type) || !reader.Skip(1) || !reader.Card16(nameLength) ||
        !reader.Text(nameLength, name) || !reader.Card32(changed))
      return std::nullopt;
    switch (type) {
    case SettingInteger:
      if (!reader.Card32(value))
        return std::nullopt;
      if (name == Name)
        return static_cast<std::int32_t>(value);
      break;
    case SettingString: {
      std::string_view text;
      if (!reader.Card32(value) || !reader.Text(value, text))
        return std::nullopt;
      break;
    }
    case SettingColor:
      if (!reader.Skip(8))
        return std::nullopt;
      break;
    default:
      return std::nullopt;
    }
  }
  return std::nullopt;
}

bool DesktopEventSoundsEnabled() {
  const std::string data = ReadSettings();
  const std::optional<std::int32_t> enabled = XSettingsInteger(
      {reinterpret_cast<const std::uint8_t*>(data.data()), data.size()}, "Net/EnableEventSounds");
  return !enabled || *enabled != 0;
}

void CloseXSettings() noexcept {
  if (Display.Connection)
    xcb_disconnect(Display.Connection);
  Display = {};
}
