#include "report/uTypes.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(MessageLevelCaption, DropsThePrefixAndSeparatesTheWords) {
  const struct {
    TMessageLevel Level;
    const char* Caption;
  } cases[] = {
      {mlConfirmation, "Confirmation"},
      {mlDebug, "Debug"},
      {mlInformation, "Information"},
      {mlWarning, "Warning"},
      {mlError, "Error"},
      {mlFatalError, "Fatal Error"},
      {mlNone, "None"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MessageLevelCaption(c.Level), c.Caption) << "level " << int(c.Level);
  EXPECT_EQ(MessageLevelCaption(static_cast<TMessageLevel>(MessageLevelCount)), "");
}

TEST(DlgButtonCaption, FollowsTheButtonOrder) {
  const char* const captions[] = {"OK",      "&Yes",       "Yes to &All", "&Retry",
                                  "&Ignore", "&Abort",     "&Delete",     "Delete All",
                                  "&No",     "N&o to All", "Cancel"};
  ASSERT_EQ(std::size(captions), DlgButtonCount);
  for (std::size_t i = 0; i < DlgButtonCount; ++i)
    EXPECT_EQ(DlgButtonCaption(static_cast<TDlgButton>(i)), captions[i]) << "button " << i;
  EXPECT_EQ(DlgButtonCaption(static_cast<TDlgButton>(DlgButtonCount)), "");
}

TEST(TDlgButtons, HoldsButtonOrdinalsAsBits) {
  EXPECT_EQ(TDlgButtons{}.Bits(), 0u);
  EXPECT_EQ((TDlgButtons{mbOK}).Bits(), 0x1u);
  EXPECT_EQ((TDlgButtons{mbNo, mbYes}).Bits(), 0x102u);
  EXPECT_EQ((TDlgButtons{mbCancel}).Bits(), 0x400u);
  EXPECT_EQ((TDlgButtons{mbYes, mbYes}), TDlgButtons{mbYes});
  EXPECT_EQ((TDlgButtons{mbRetry}.Include(mbIgnore).Exclude(mbRetry)), TDlgButtons{mbIgnore});
  static_assert(sizeof(TDlgButtons) == sizeof(std::uint16_t));
}

TEST(TDlgButtons, NeverHoldsValuesOutsideTheEnumeration) {
  const auto outside = static_cast<TDlgButton>(DlgButtonCount);
  const auto beyond = static_cast<TDlgButton>(200);
  TDlgButtons set{outside, beyond};
  EXPECT_TRUE(set.Empty());
  EXPECT_FALSE(set.Contains(outside));
  EXPECT_FALSE(set.Contains(beyond));
  EXPECT_EQ(TDlgButtons::FromBits(0xFFFF).Bits(), 0x7FFu) << "bits beyond mbCancel are dropped";
}

} // namespace
