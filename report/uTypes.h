#pragma once

// Plain types shared by reporting and the layers above it: the level of every message, report and
// log line, the answer buttons of questions and their set, and string lists.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

// The level of a message, a report or a log line, from the mildest to the gravest; mlNone last.
enum TMessageLevel : std::uint8_t {
  mlConfirmation,
  mlDebug,
  mlInformation,
  mlWarning,
  mlError,
  mlFatalError,
  mlNone,
};

// The names of the levels, in declaration order; the captions are made from them.
inline constexpr std::string_view MessageLevelNames[] = {
    "mlConfirmation", "mlDebug", "mlInformation", "mlWarning", "mlError", "mlFatalError", "mlNone",
};
inline constexpr std::size_t MessageLevelCount = std::size(MessageLevelNames);
static_assert(MessageLevelCount == mlNone + 1, "one name per level");

// The caption of a level ("Confirmation", "Debug", ..., "Fatal Error", "None"). The table is
// built at start-up; before that, and for a value outside the enumeration, the text is empty.
const std::string& MessageLevelCaption(TMessageLevel Level) noexcept;
// Builds the level caption table from the names. Called by the start-up sequence.
void InitializeTypes();

// The answer buttons of a question, in the order in which a dialog shows them.
enum TDlgButton : std::uint8_t {
  mbOK,
  mbYes,
  mbYesToAll,
  mbRetry,
  mbIgnore,
  mbAbort,
  mbDelete,
  mbDeleteAll,
  mbNo,
  mbNoToAll,
  mbCancel,
};
inline constexpr std::size_t DlgButtonCount = mbCancel + 1;

// The caption of an answer button ("OK", "&Yes", ...; "&" marks the keyboard accelerator). A value
// outside the enumeration has the empty caption.
std::string_view DlgButtonCaption(TDlgButton Button) noexcept;

// A set of answer buttons, held in 16 bits: bit n stands for the button of ordinal n. Values
// outside the enumeration are never members.
class TDlgButtons {
 public:
  constexpr TDlgButtons() noexcept = default;
  constexpr TDlgButtons(std::initializer_list<TDlgButton> Buttons) noexcept {
    for (TDlgButton button : Buttons)
      Include(button);
  }

  // The set of the given bits; bits that stand for no button are dropped.
  static constexpr TDlgButtons FromBits(std::uint16_t Bits) noexcept {
    TDlgButtons set;
    set.Bits_ = Bits & AllBits;
    return set;
  }
  constexpr std::uint16_t Bits() const noexcept { return Bits_; }

  constexpr bool Contains(TDlgButton Button) const noexcept {
    return Button < DlgButtonCount && (Bits_ & BitOf(Button)) != 0;
  }
  constexpr bool Empty() const noexcept { return Bits_ == 0; }
  // Adds or removes one button; a value outside the enumeration leaves the set unchanged.
  constexpr TDlgButtons& Include(TDlgButton Button) noexcept {
    if (Button < DlgButtonCount)
      Bits_ |= BitOf(Button);
    return *this;
  }
  constexpr TDlgButtons& Exclude(TDlgButton Button) noexcept {
    if (Button < DlgButtonCount)
      Bits_ &= static_cast<std::uint16_t>(~BitOf(Button));
    return *this;
  }

  friend constexpr bool operator==(TDlgButtons, TDlgButtons) noexcept = default;

 private:
  static constexpr std::uint16_t AllBits = (1u << DlgButtonCount) - 1;
  static constexpr std::uint16_t BitOf(TDlgButton Button) noexcept {
    return static_cast<std::uint16_t>(1u << Button);
  }

  std::uint16_t Bits_ = 0;
};

// A list of strings, such as the parameters of a message.
using TArrayOfString = std::vector<std::string>;

// A name with its value, such as one entry of the process environment.
struct TStringPair {
  std::string Name;
  std::string Value;

  friend bool operator==(const TStringPair&, const TStringPair&) = default;
};
