// Reading and writing picture files for TDBitmap: the direct reader of uncompressed BMP files,
// the codecs by extension, and the JPEG quality question.

#include "env/uFile.h"
#include "env/uFileHelpers.h"
#include "env/uPaths.h"
#include "platform/uExceptions.h"
#include "report/uMsg.h"
#include "ui/PPMImage.h"
#include "ui/TGAImage.h"
#include "ui/uBitmapCodecs_p.h"
#include "ui/uDBitmap.h"
#include "ui/uPictureLimits.h"

#include <QBuffer>
#include <QByteArray>
#include <QPainter>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

namespace {

constexpr std::string_view FormatNotSupported = "Picture format not supported.";

bool AcceptCurrentValue(std::string_view, std::int32_t& Value, std::int32_t Min, std::int32_t,
                        std::int32_t Max) {
  Value = std::clamp(Value, Min, std::max(Min, Max));
  return true;
}

TGetNumberFunction GetNumber = AcceptCurrentValue;

// The extension of a file name, lower case, without its dot.
std::string ExtensionOf(std::string_view FileName) {
  std::string extension(FileName.substr(DelFileExt(FileName).size()));
  if (!extension.empty() && extension.front() == '.')
    extension.erase(0, 1);
  for (char& c : extension)
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  return extension;
}

bool IsJPEG(std::string_view Extension) {
  return Extension == "jpg" || Extension == "jpeg" || Extension == "jfif";
}

bool CanWrite(std::string_view Extension) {
  return Extension == "bmp" || IsJPEG(Extension) || Extension == "gif" || Extension == "png" ||
         Extension == "ppm" || Extension == "tga";
}

std::uint32_t LittleEndian32(const std::uint8_t* P) {
  return std::uint32_t{P[0]} | std::uint32_t{P[1]} << 8 | std::uint32_t{P[2]} << 16 |
         std::uint32_t{P[3]} << 24;
}

QImage FromData(std::span<const std::uint8_t> Data, const char* Format) {
  return QImage::fromData(Data.data(),
                          static_cast<int>(std::min<std::size_t>(Data.size(), INT_MAX)), Format);
}

// The bytes of the rows read by the direct BMP reader at a time.
constexpr std::size_t ChunkBytes = 1 << 20;

} // namespace

TGetNumberFunction SetGetNumberFunction(TGetNumberFunction Function) {
  TGetNumberFunction previous = std::move(GetNumber);
  GetNumber = Function ? std::move(Function) : TGetNumberFunction(AcceptCurrentValue);
  return previous;
}

int TDBitmap::LoadBMPDirect(std::string_view FileName) {
  TFile file;
  if (!file.Open(FileName, fmReadOnly, FILE_FLAG_SEQUENTIAL_SCAN | FileFlagNoBOM))
    return 0;
  struct TCloser {
    TFile& File;
    ~TCloser() {
      // Only read from; a failed close is reported by Close and changes nothing read.
      if (File.Opened())
        (void)File.Close();
    }
  } closer{file};
  const std::int64_t fileSize = file.FileSize();
  if (fileSize < 54) {
    ShowIOErrorMessage(FileName, TruncatedPictureMessage);
    return 0;
  }
  std::uint8_t header[54];
  if (!file.BlockRead(header, sizeof header))
    return 0;
  if (header[0] != 'B' || header[1] != 'M') {
    ShowIOErrorMessage(FileName, "File is not bitmap.");
    return 0;
  }
  const auto width = static_cast<std::int32_t>(LittleEndian32(header + 18));
  const auto height = static_cast<std::int32_t>(LittleEndian32(header + 22));
  const int bits = header[28] | header[29] << 8;
  // Compressed files, other depths, other header layouts (OS/2, version 4 and 5 headers) and
  // top-down files (negative height) go to the platform's reader.
  if (LittleEndian32(header + 30) != 0 || (bits != 4 && bits != 8 && bits != 24 && bits != 32) ||
      LittleEndian32(header + 14) != 40 || height < 0)
    return -1;
  const std::int64_t w = std::clamp(width, 0, MaxWidth), h = std::clamp(height, 0, MaxHeight);
  const std::int64_t rowBytes = bits == 4    ? ((w + 1) / 2 + 3) & ~3
                                : bits == 8  ? (w + 3) & ~3
                                : bits == 24 ? (w * 3 + 3) & ~3
                                             : w * 4;
  // The rows start at the data offset; 32-bit rows follow the header.
  const std::int64_t dataOffset = bits == 32 ? 54 : LittleEndian32(header + 10);
  // A header may not promise more rows than the file holds.
  if (dataOffset > fileSize || rowBytes * h > fileSize - dataOffset ||
      static_cast<std::uint64_t>(w * h) > MaxPicturePixels) {
    ShowIOErrorMessage(FileName, TruncatedPictureMessage);
    return 0;
  }
  Transparent = false;
  TransparentColor = clNone;
  BrushColor_ = clWhite;
  if (!Allocate(static_cast<std::int32_t>(w), static_cast<std::int32_t>(h)))
    return 0;
  if (Empty())
    return 1;

  if (bits == 32) {
    std::int64_t imageSize = LittleEndian32(header + 34);
    const std::int64_t fileSizeField = LittleEndian32(header + 2);
    if (fileSizeField != imageSize + 54)
      imageSize = std::max<std::int64_t>(fileSizeField - 54, 0);
    const std::int64_t bytes = std::min(imageSize, rowBytes * h);
    std::vector<std::uint8_t> chunk(static_cast<std::size_t>(
        std::min<std::int64_t>(std::max<std::int64_t>(bytes, 1), ChunkBytes)));
    // Bytes go to the pixel memory in file order, bottom row first.
    std::int64_t done = 0;
    while (done < bytes) {
      const std::int64_t count =
          std::min<std::int64_t>(bytes - done, static_cast<std::int64_t>(chunk.size()));
      if (!file.BlockRead(chunk.data(), static_cast<std::size_t>(count)))
        break;
      for (std::int64_t k = 0; k < count;) {
        const std::int64_t at = done + k;
        const std::int64_t row = at / rowBytes, column = at % rowBytes;
        const std::int64_t n = std::min(count - k, rowBytes - column);
        std::memcpy(TopRow_ + (h - 1 - row) * RowSize_ + column, chunk.data() + k,
                    static_cast<std::size_t>(n));
        k += n;
      }
      done += count;
    }
    // What the data does not reach stays white, byte by byte: the data may end inside a pixel.
    const TPixel white = ColorToPixel(clWhite);
    for (std::int64_t at = done; at < rowBytes * h;) {
      const std::int64_t row = at / rowBytes, column = at % rowBytes;
      std::uint8_t* target = TopRow_ + (h - 1 - row) * RowSize_;
      for (std::int64_t c = column; c < rowBytes; ++c)
        target[c] = static_cast<std::uint8_t>(white >> (8 * (c % 4)));
      at += rowBytes - column;
    }
    return 1;
  }

  // The palette: four bytes an entry (blue, green, red, reserved) from offset 54; entries beyond
  // the file are black.
  TPixel palette[256] = {};
  if (bits != 24) {
    const auto entries = static_cast<int>(std::min<std::int64_t>(256, (fileSize - 54) / 4));
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(entries) * 4);
    if (!bytes.empty() && !file.BlockRead(bytes.data(), bytes.size()))
      return 0;
    for (int i = 0; i < entries; ++i)
      palette[i] = bytes[4 * i] | bytes[4 * i + 1] << 8 | bytes[4 * i + 2] << 16;
  }
  if (!file.Seek(dataOffset))
    return 0;
  const std::int64_t rowsAtOnce = std::max<std::int64_t>(
      1, static_cast<std::int64_t>(ChunkBytes) / std::max<std::int64_t>(rowBytes, 1));
  std::vector<std::uint8_t> chunk(static_cast<std::size_t>(std::min(rowsAtOnce, h) * rowBytes));
  for (std::int64_t first = 0; first < h; first += rowsAtOnce) {
    const std::int64_t rows = std::min(rowsAtOnce, h - first);
    if (!file.BlockRead(chunk.data(), static_cast<std::size_t>(rows * rowBytes)))
      return 0;
    for (std::int64_t i = 0; i < rows; ++i) {
      const std::uint8_t* from = chunk.data() + i * rowBytes;
      TPixel* to = PixelAddress(0, static_cast<std::int32_t>(h - 1 - (first + i)));
      if (bits == 24) {
        for (std::int64_t x = 0; x < w; ++x, from += 3)
          to[x] = from[0] | from[1] << 8 | from[2] << 16;
      } else if (bits == 8) {
        for (std::int64_t x = 0; x < w; ++x)
          to[x] = palette[from[x]];
      } else {
        for (std::int64_t x = 0; x < w; ++x)
          to[x] = palette[(from[x / 2] >> (x % 2 ? 0 : 4)) & 0x0F];
      }
    }
  }
  return 1;
}

bool TDBitmap::LoadFromFile(std::string_view FileName) {
  try {
    Clear();
    // A picture has no transparent colour until its file gives it one.
    Transparent = false;
    TransparentColor = clNone;
    if (!AttemptWithRetries(
            [&] { return FileExistsEx(FileName); },
            [&] { return ShowIOErrorMessageRetry(FileName, ErrorCodeToStr(ENOENT)); }))
      return false;
    const std::string extension = ExtensionOf(FileName);
    bool loaded = false;
    if (extension == "bmp") {
      const int direct = LoadBMPDirect(FileName);
      if (direct == 0)
        return false;
      loaded = direct == 1;
    }
    if (!loaded) {
      std::vector<std::uint8_t> data;
      if (!ReadBlockFromFile(FileName, data))
        return false;
      LoadFromStreamExt(data, extension);
    }
    if (OpenGL)
      SwapRedBlue();
    return true;
  } catch (const std::exception& error) {
    ReportException(error, this);
    return false;
  }
}

void TDBitmap::LoadFromStreamExt(std::span<const std::uint8_t> Data, std::string_view Extension) {
  Transparent = false;
  TransparentColor = clNone;
  if (Extension == "bmp") {
    QImage picture = FromData(Data, "BMP");
    if (picture.isNull())
      throw Exception("Bitmap image is not valid.");
    Adopt(std::move(picture));
  } else if (IsJPEG(Extension)) {
    Adopt(std::move(DecodeJPEG(Data).Picture));
  } else if (Extension == "gif") {
    TDecodedPicture gif = DecodeGIF(Data);
    Adopt(std::move(gif.Picture));
    if (gif.Transparent)
      DetectTransparentColor();
  } else if (Extension == "png") {
    TDecodedPicture png = DecodePNG(Data);
    Adopt(std::move(png.Picture));
    Transparent = png.Transparent;
    TransparentColor = png.Transparent ? png.TransparentColor : clNone;
  } else if (Extension == "ppm") {
    TPPMImage ppm;
    ppm.LoadFromStream(Data);
    AssignFromBitmap(&ppm.Picture());
  } else if (Extension == "tga") {
    TTGAImage tga;
    tga.LoadFromStream(Data);
    AssignFromBitmap(&tga.Picture());
  } else if (Extension == "ico") {
    const QImage icon = FromData(Data, "ICO");
    if (icon.isNull())
      throw Exception("Icon image is not valid.");
    // A new picture of the icon's size in the key colour, the icon drawn over it.
    constexpr TColor IconKey = 0x818283;
    Clear();
    SetSize(icon.width(), icon.height(), IconKey);
    Transparent = true;
    TransparentColor = IconKey;
    Paint([&](QPainter& Painter) { Painter.drawImage(0, 0, icon); });
  } else {
    throw Exception(std::string(FormatNotSupported));
  }
}

bool TDBitmap::SaveToFile(std::string_view FileName) {
  std::int32_t quality = -90;
  return SaveToFileEx(FileName, quality);
}

bool TDBitmap::SaveToFileEx(std::string_view FileName, std::int32_t& Quality) {
  const std::string extension = ExtensionOf(FileName);
  if (!CanWrite(extension)) {
    ShowIOErrorMessage(FileName, FormatNotSupported);
    return false;
  }
  try {
    std::vector<std::uint8_t> data;
    if (!SaveToStreamExt(data, extension, Quality))
      return false;
    return WriteBlockToFile(FileName, data.data(), data.size());
  } catch (const std::exception& error) {
    ReportException(error, this);
    return false;
  }
}

bool TDBitmap::SaveToStreamExt(std::vector<std::uint8_t>& Data, std::string_view Extension,
                               std::int32_t& Quality) const {
  Data.clear();
  if (!CanWrite(Extension))
    return false;
  // The picture in the normal byte order.
  const QImage picture = OpenGL ? Image_.rgbSwapped() : Image_;
  if (Extension == "bmp") {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (picture.isNull() || !picture.save(&buffer, "BMP"))
      throw Exception("The picture cannot be written as BMP.");
    Data.assign(bytes.begin(), bytes.end());
  } else if (IsJPEG(Extension)) {
    if (Quality == 0)
      Quality = -90;
    std::int32_t quality = -Quality;
    if (Quality > 0) {
      std::int32_t value = Quality;
      if (!GetNumber("JPEG Quality", value, 1, 90, 100))
        return false;
      Quality = value;
      quality = value;
    }
    if (picture.isNull())
      throw Exception("An empty picture cannot be written as JPEG.");
    // The pixel format is always 32 bits, so the file is always 24-bit colour.
    Data = EncodeJPEG(picture, std::clamp(quality, 1, 100), false);
  } else if (Extension == "gif") {
    Data = EncodeGIF(picture);
  } else if (Extension == "png") {
    if (picture.isNull())
      throw Exception("An empty picture cannot be written as PNG.");
    Data = EncodePNG(picture, Transparent && TransparentColor != clNone, TransparentColor);
  } else if (Extension == "ppm") {
    TPPMImage ppm;
    ppm.Assign(picture);
    ppm.SaveToStream(Data);
  } else {
    TTGAImage tga;
    tga.Assign(picture);
    tga.SaveToStream(Data);
  }
  return true;
}
