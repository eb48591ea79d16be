#include "ui/PPMImage.h"

#include "expr/uDParser.h"
#include "platform/uExceptions.h"
#include "ui/uPictureLimits.h"

#include <algorithm>
#include <climits>
#include <string>

namespace {

// The number of the current token within Min ... Max; Fallback when it is no number.
std::int64_t TokenNumber(const TDParser& Parser, std::int64_t Min, std::int64_t Max,
                         std::int64_t Fallback) {
  if (Parser.Kind() != tkNumber)
    return Fallback;
  return std::clamp<std::int64_t>(Parser.IntValue(), Min, Max);
}

} // namespace

void TPPMImage::LoadFromStream(std::span<const std::uint8_t> Data) {
  if (Data.size() > static_cast<std::size_t>(INT_MAX))
    throw Exception(TruncatedPictureMessage);
  std::int64_t width = 0, height = 0, maximum = 255;
  bool binary = false;
  std::size_t position = 0;
  {
    TDParser parser(reinterpret_cast<const char*>(Data.data()), static_cast<int>(Data.size()));
    parser.CommentsEnabled = true;
    parser.LineComment = "#";
    // Only "#" comments: the block comment markers are switched off.
    parser.BlockCommentStart1.clear();
    parser.BlockCommentStart2.clear();
    parser.NextToken();
    if (parser.Kind() != tkIdentifier || (parser.TokenText() != "P6" && parser.TokenText() != "P3"))
      throw Exception(UnsupportedMessage);
    binary = parser.TokenText() == "P6";
    parser.NextToken();
    width = TokenNumber(parser, 0, 0x20000000, 0);
    parser.NextToken();
    height = TokenNumber(parser, 0, 0x40000000, 0);
    parser.NextToken();
    maximum = TokenNumber(parser, 0, 65535, 255);
    // One whitespace character ends the header.
    parser.Skip(1);
    position = static_cast<std::size_t>(parser.Position());
    // A picture without pixels: no rows to go through, however many the header names.
    if (width == 0 || height == 0) {
      Picture_ = QImage();
      return;
    }
    if (!binary) {
      const std::size_t rest = Data.size() - std::min(position, Data.size());
      // A text pixel takes at least one byte.
      CheckPictureSize(width, height, rest, 1);
      QImage picture = NewPicture(static_cast<int>(width), static_cast<int>(height));
      for (std::int64_t y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(picture.scanLine(static_cast<int>(y)));
        for (std::int64_t x = 0; x < width; ++x) {
          std::uint32_t pixel = 0;
          for (int c = 0; c < 3; ++c) {
            const std::int64_t sample = parser.ReadInteger(0, static_cast<std::int32_t>(maximum));
            const std::uint32_t value =
                maximum == 255 ? static_cast<std::uint32_t>(sample)
                : maximum == 0 ? 0
                               : static_cast<std::uint32_t>((sample * 255 + maximum / 2) / maximum);
            pixel |= value << (16 - 8 * c);
          }
          row[x] = pixel;
        }
      }
      Picture_ = std::move(picture);
      return;
    }
  }
  const int sampleBytes = maximum < 256 ? 1 : 2;
  const std::size_t rest = Data.size() - std::min(position, Data.size());
  CheckPictureSize(width, height, rest, 1);
  if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * 3 * sampleBytes >
      rest)
    throw Exception(TruncatedPictureMessage);
  QImage picture = NewPicture(static_cast<int>(width), static_cast<int>(height));
  const std::uint8_t* p = Data.data() + position;
  for (std::int64_t y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(picture.scanLine(static_cast<int>(y)));
    for (std::int64_t x = 0; x < width; ++x) {
      std::uint32_t pixel = 0;
      for (int c = 0; c < 3; ++c) {
        std::uint32_t sample = *p++;
        if (sampleBytes == 2)
          sample = sample << 8 | *p++;
        const std::uint32_t value =
            maximum == 255 ? sample
            : maximum == 0 ? 0
                           : std::min<std::uint32_t>(
                                 255, static_cast<std::uint32_t>(
                                          (std::uint64_t{sample} * 255 + maximum / 2) / maximum));
        pixel |= value << (16 - 8 * c);
      }
      row[x] = pixel;
    }
  }
  Picture_ = std::move(picture);
}

void TPPMImage::SaveToStream(std::vector<std::uint8_t>& Data) const {
  const std::string header = "P6\n" + std::to_string(Picture_.width()) + " " +
                             std::to_string(Picture_.height()) + "\n255\n";
  Data.assign(header.begin(), header.end());
  if (Picture_.isNull())
    return;
  Data.reserve(Data.size() + std::size_t(Picture_.width()) * Picture_.height() * 3);
  for (int y = 0; y < Picture_.height(); ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(Picture_.constScanLine(y));
    for (int x = 0; x < Picture_.width(); ++x) {
      Data.push_back(static_cast<std::uint8_t>(row[x] >> 16));
      Data.push_back(static_cast<std::uint8_t>(row[x] >> 8));
      Data.push_back(static_cast<std::uint8_t>(row[x]));
    }
  }
}

void TPPMImage::Assign(const QImage& Picture) {
  Picture_ = Picture.format() == QImage::Format_RGB32
                 ? Picture
                 : Picture.convertToFormat(QImage::Format_RGB32);
}
