#include "env/EnvTestSupport.h"
#include "platform/uExceptions.h"
#include "support/BitmapTestSupport.h"
#include "ui/TGAImage.h"
#include "ui/uBitmapCodecs_p.h"
#include "ui/uDBitmap.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageWriter>
#include <cerrno>
#include <cstring>

namespace {

using TBytes = std::vector<std::uint8_t>;

void Put16(TBytes& B, std::size_t At, unsigned V) {
  B[At] = static_cast<std::uint8_t>(V);
  B[At + 1] = static_cast<std::uint8_t>(V >> 8);
}
void Put32(TBytes& B, std::size_t At, std::uint32_t V) {
  for (int i = 0; i < 4; ++i)
    B[At + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(V >> (8 * i));
}

// A BMP file: the 54-byte header, then Rest (palette and rows, as the fields say).
TBytes BMP(std::int32_t Width, std::int32_t Height, int Bits, const TBytes& Rest,
           std::uint32_t Compression = 0, std::uint32_t DataOffset = 54) {
  TBytes b(54, 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, static_cast<std::uint32_t>(54 + Rest.size()));
  Put32(b, 10, DataOffset);
  Put32(b, 14, 40);
  Put32(b, 18, static_cast<std::uint32_t>(Width));
  Put32(b, 22, static_cast<std::uint32_t>(Height));
  Put16(b, 26, 1);
  Put16(b, 28, static_cast<unsigned>(Bits));
  Put32(b, 30, Compression);
  Put32(b, 34, static_cast<std::uint32_t>(Rest.size()));
  b.insert(b.end(), Rest.begin(), Rest.end());
  return b;
}

TBytes Text(std::string_view S) {
  return TBytes(S.begin(), S.end());
}

// A temporary folder, the reports recorded, the JPEG question answered by a fake that records
// what it was asked.
class TPictureFiles : public TEnvTest {
 protected:
  TPictureFiles() {
    Previous_ =
        SetGetNumberFunction([this](std::string_view Caption, std::int32_t& Value, std::int32_t Min,
                                    std::int32_t Default, std::int32_t Max) {
          Asked.push_back(std::string(Caption) + " " + std::to_string(Value) + " " +
                          std::to_string(Min) + " " + std::to_string(Default) + " " +
                          std::to_string(Max));
          if (Answer < 0)
            return false;
          Value = Answer;
          return true;
        });
  }
  ~TPictureFiles() override { SetGetNumberFunction(std::move(Previous_)); }

  std::string Write(const std::string& Part, const TBytes& Bytes) {
    WriteWholeFile(Folder / Part, std::string(Bytes.begin(), Bytes.end()));
    return Name(Part);
  }

  // The texts the reports logged, without their level.
  std::vector<std::string> Logged() const {
    std::vector<std::string> lines;
    for (const std::string& line : Reports.Log)
      if (line.rfind("Debug: ", 0) != 0)
        lines.push_back(line);
    return lines;
  }

  std::vector<std::string> Asked;
  std::int32_t Answer = 75;

 private:
  TGetNumberFunction Previous_;
};

// Round trips

TEST_F(TPictureFiles, LosslessFormatsRoundTripExactly) {
  TDBitmap original;
  SetPixels(original, RandomPixels(7, 5, 3));
  for (const char* extension : {"bmp", "png", "ppm", "tga"}) {
    const std::string name = Name(std::string("round.") + extension);
    ASSERT_TRUE(original.SaveToFile(name)) << extension;
    TDBitmap loaded;
    ASSERT_TRUE(loaded.LoadFromFile(name)) << extension;
    ASSERT_EQ(loaded.Width(), 7) << extension;
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x)
        EXPECT_EQ(loaded.GetPixel(x, y) & PixelColorMask, original.GetPixel(x, y))
            << extension << " at " << x << ',' << y;
    EXPECT_FALSE(loaded.Transparent) << extension;
  }
  EXPECT_EQ(Logged(), std::vector<std::string>{});
}

TEST_F(TPictureFiles, PNGKeepsTheTransparentColour) {
  TDBitmap original;
  SetPixels(original, RandomPixels(4, 3, 4));
  original.Transparent = true;
  original.TransparentColor = original.PixelToColor(original.GetPixel(1, 1));
  ASSERT_TRUE(original.SaveToFile(Name("key.png")));
  TDBitmap loaded;
  ASSERT_TRUE(loaded.LoadFromFile(Name("key.png")));
  EXPECT_TRUE(loaded.Transparent);
  EXPECT_EQ(loaded.TransparentColor, original.TransparentColor);
  EXPECT_EQ(loaded.GetPixel(2, 2) & PixelColorMask, original.GetPixel(2, 2));
}

// The largest difference of any colour byte.
int LargestError(const TDBitmap& A, const TDBitmap& B) {
  int largest = 0;
  for (int y = 0; y < A.Height(); ++y)
    for (int x = 0; x < A.Width(); ++x)
      for (int k = 0; k < 3; ++k)
        largest =
            std::max(largest, std::abs(static_cast<int>((A.GetPixel(x, y) >> (8 * k)) & 0xFF) -
                                       static_cast<int>((B.GetPixel(x, y) >> (8 * k)) & 0xFF)));
  return largest;
}

TEST_F(TPictureFiles, JPEGAndGIFRoundTripWithinTheirErrors) {
  // A smooth picture: JPEG at quality 90 stays within 8 of every byte; GIF's 256 colours with
  // dithering within 24.
  TDBitmap smooth;
  smooth.SetSize(32, 24, clBlack);
  smooth.Gradient(nullptr, 0, ef16, {RGBColor(200, 30, 60), RGBColor(20, 220, 90), 0, 0}, 10);
  for (auto [extension, limit] : {std::pair{"jpg", 8}, std::pair{"gif", 24}}) {
    const std::string name = Name(std::string("smooth.") + extension);
    ASSERT_TRUE(smooth.SaveToFile(name));
    TDBitmap loaded;
    ASSERT_TRUE(loaded.LoadFromFile(name));
    ASSERT_EQ(loaded.Width(), 32);
    EXPECT_LE(LargestError(smooth, loaded), limit) << extension;
  }
  // A picture of few colours comes back exactly from GIF.
  TDBitmap few;
  SetPixels(few, {{0xFF0000, 0x00FF00, 0x0000FF}, {0xFFFFFF, 0x000000, 0xFF0000}});
  ASSERT_TRUE(few.SaveToFile(Name("few.gif")));
  TDBitmap loaded;
  ASSERT_TRUE(loaded.LoadFromFile(Name("few.gif")));
  EXPECT_EQ(LargestError(few, loaded), 0);
  EXPECT_FALSE(loaded.Transparent);
}

// JPEG quality

TEST_F(TPictureFiles, SaveToFileWritesJPEGAtQuality90WithoutAsking) {
  TDBitmap bitmap;
  SetPixels(bitmap, RandomPixels(16, 16, 5));
  ASSERT_TRUE(bitmap.SaveToFile(Name("q.jpg")));
  EXPECT_TRUE(Asked.empty());
  std::int32_t q90 = -90, q50 = -50;
  TBytes at90, at50;
  ASSERT_TRUE(bitmap.SaveToStreamExt(at90, "jpg", q90));
  ASSERT_TRUE(bitmap.SaveToStreamExt(at50, "jpg", q50));
  EXPECT_EQ(ReadWholeFile(Folder / "q.jpg"), std::string(at90.begin(), at90.end()));
  EXPECT_NE(at90, at50);
  std::int32_t zero = 0;
  ASSERT_TRUE(bitmap.SaveToFileEx(Name("z.jpeg"), zero));
  EXPECT_EQ(ReadWholeFile(Folder / "z.jpeg"), std::string(at90.begin(), at90.end()));
}

TEST_F(TPictureFiles, APositiveQualityIsAskedAndTheAnswerKept) {
  TDBitmap bitmap;
  SetPixels(bitmap, RandomPixels(8, 8, 6));
  std::int32_t quality = 60;
  ASSERT_TRUE(bitmap.SaveToFileEx(Name("asked.jfif"), quality));
  EXPECT_EQ(Asked, std::vector<std::string>{"JPEG Quality 60 1 90 100"});
  EXPECT_EQ(quality, 75);
  std::int32_t q75 = -75;
  TBytes at75;
  ASSERT_TRUE(bitmap.SaveToStreamExt(at75, "jpg", q75));
  EXPECT_EQ(ReadWholeFile(Folder / "asked.jfif"), std::string(at75.begin(), at75.end()));

  Answer = -1;
  EXPECT_FALSE(bitmap.SaveToFileEx(Name("cancelled.jpg"), quality));
  EXPECT_FALSE(std::filesystem::exists(Folder / "cancelled.jpg"));
  EXPECT_EQ(quality, 75);
}

TEST_F(TPictureFiles, TheBuiltInQuestionAcceptsTheCurrentValue) {
  TGetNumberFunction fake = SetGetNumberFunction(nullptr);
  TDBitmap bitmap;
  SetPixels(bitmap, RandomPixels(8, 8, 6));
  std::int32_t quality = 500;
  ASSERT_TRUE(bitmap.SaveToFileEx(Name("builtin.jpg"), quality));
  EXPECT_EQ(quality, 100);
  SetGetNumberFunction(std::move(fake));
}

// The direct BMP reader

TEST_F(TPictureFiles, BMPRowsAreReadBottomUpInEveryDirectDepth) {
  // 3 x 2; the file's first row is the bottom row.
  const TBytes palette = {0x10, 0x20, 0x30, 0, 0x40, 0x50, 0x60, 0, 0x70, 0x80, 0x90, 0};
  const struct {
    int bits;
    TBytes rest;
  } rows[] = {
      {24, {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80, 0x90, 0, 0, 0,
            1,    2,    3,    4,    5,    6,    7,    8,    9,    0, 0, 0}},
      {32, {0x10, 0x20, 0x30, 0, 0x40, 0x50, 0x60, 0, 0x70, 0x80, 0x90, 0,
            1,    2,    3,    0, 4,    5,    6,    0, 7,    8,    9,    0}},
  };
  const TPixelRows expected = {{0x030201, 0x060504, 0x090807}, {0x302010, 0x605040, 0x908070}};
  for (const auto& row : rows) {
    TDBitmap bitmap;
    ASSERT_TRUE(bitmap.LoadFromFile(Write("depth.bmp", BMP(3, 2, row.bits, row.rest))));
    EXPECT_PIXELS(bitmap, expected) << row.bits;
  }
  TBytes eight = palette;
  eight.insert(eight.end(), {0, 1, 2, 0, 2, 1, 0, 0});
  TDBitmap bitmap;
  ASSERT_TRUE(bitmap.LoadFromFile(Write("eight.bmp", BMP(3, 2, 8, eight, 0, 54 + 12))));
  EXPECT_PIXELS(bitmap,
                (TPixelRows{{0x908070, 0x605040, 0x302010}, {0x302010, 0x605040, 0x908070}}));
  TBytes four = palette;
  four.insert(four.end(), {0x01, 0x20, 0, 0, 0x21, 0x00, 0, 0});
  ASSERT_TRUE(bitmap.LoadFromFile(Write("four.bmp", BMP(3, 2, 4, four, 0, 54 + 12))));
  EXPECT_PIXELS(bitmap,
                (TPixelRows{{0x908070, 0x605040, 0x302010}, {0x302010, 0x605040, 0x908070}}));
}

TEST_F(TPictureFiles, A32BitBMPWithAWrongImageSizeIsReadByTheFileSize) {
  TBytes file = BMP(2, 1, 32, {1, 2, 3, 0, 4, 5, 6, 0});
  Put32(file, 34, 1000);
  TDBitmap bitmap;
  ASSERT_TRUE(bitmap.LoadFromFile(Write("size.bmp", file)));
  EXPECT_PIXELS(bitmap, (TPixelRows{{0x030201, 0x060504}}));
}

TEST_F(TPictureFiles, A32BitBMPWhoseSizeFieldsEndInsideAPixelIsWhiteFromThere) {
  TBytes file = BMP(3, 2, 32, TBytes(24, 0x11));
  for (std::uint8_t i = 0; i < 5; ++i)
    file[54 + i] = static_cast<std::uint8_t>(i + 1);
  Put32(file, 2, 54 + 5);
  Put32(file, 34, 7);
  TDBitmap bitmap;
  ASSERT_TRUE(bitmap.LoadFromFile(Write("partial.bmp", file)));
  EXPECT_PIXELS(bitmap,
                (TPixelRows{{0xFFFFFF, 0xFFFFFF, 0xFFFFFF}, {0x04030201, 0xFFFF05, 0xFFFFFF}}));
}

TEST_F(TPictureFiles, OtherBMPVariantsGoToThePlatformReader) {
  // 16 bits (5-5-5): red, green; RLE-8 with the two-pixel run of entry 1; 1 bit.
  TDBitmap bitmap;
  ASSERT_TRUE(bitmap.LoadFromFile(Write("16.bmp", BMP(2, 1, 16, {0x00, 0x7C, 0xE0, 0x03}))));
  EXPECT_PIXELS(bitmap, (TPixelRows{{0xFFF80000, 0xFF00F800}}));
  // Two palette entries, so the number of colours used is set.
  TBytes rle = BMP(2, 1, 8, {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0, 2, 1, 0, 0, 0, 1}, 1, 62);
  Put32(rle, 46, 2);
  ASSERT_TRUE(bitmap.LoadFromFile(Write("rle.bmp", rle)));
  EXPECT_PIXELS(bitmap, (TPixelRows{{0xFFFFFFFF, 0xFFFFFFFF}}));
  TBytes mono = BMP(2, 1, 1, {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0x40, 0, 0, 0}, 0, 62);
  Put32(mono, 46, 2);
  ASSERT_TRUE(bitmap.LoadFromFile(Write("mono.bmp", mono)));
  EXPECT_PIXELS(bitmap, (TPixelRows{{0xFF000000, 0xFFFFFFFF}}));
  // A negative height stores the rows top down.
  ASSERT_TRUE(bitmap.LoadFromFile(Write("down.bmp", BMP(1, -2, 24, {1, 2, 3, 0, 4, 5, 6, 0}))));
  EXPECT_PIXELS(bitmap, (TPixelRows{{0xFF030201}, {0xFF060504}}));
  EXPECT_EQ(Logged(), std::vector<std::string>{});
}

TEST_F(TPictureFiles, BadBMPFilesAreReportedAndLeaveTheBitmapEmpty) {
  const struct {
    const char* what;
    TBytes file;
    std::string message;
  } rows[] = {
      {"short", Text("BM"), "File is truncated."},
      {"not BM", BMP(1, 1, 24, {0, 0, 0, 0}), "File is not bitmap."},
      {"lying size", BMP(0x7FFFFFFF, 0x7FFFFFFF, 32, {1, 2, 3, 4}), "File is truncated."},
      {"more rows than data", BMP(100, 100, 24, TBytes(300, 0)), "File is truncated."},
      {"data offset beyond the end", BMP(1, 1, 24, {0, 0, 0, 0}, 0, 1000000), "File is truncated."},
  };
  for (const auto& row : rows) {
    TBytes file = row.file;
    if (std::string_view(row.what) == "not BM")
      file[0] = 'X';
    Reports.Log.clear();
    TDBitmap bitmap;
    bitmap.SetSize(2, 2, clWhite);
    EXPECT_FALSE(bitmap.LoadFromFile(Write("bad.bmp", file))) << row.what;
    EXPECT_TRUE(bitmap.Empty()) << row.what;
    EXPECT_EQ(Logged(), std::vector<std::string>{"Error: " + row.message + ": " + Name("bad.bmp")})
        << row.what;
  }
}

TEST_F(TPictureFiles, PaletteEntriesBeyondTheFileAreBlack) {
  // An 8-bit picture of entries 0 and 200 with a palette of one entry; the rows lie at 58.
  TBytes rest = {1, 2, 3, 0, 0, 200, 0, 0};
  TDBitmap bitmap;
  ASSERT_TRUE(bitmap.LoadFromFile(Write("palette.bmp", BMP(2, 1, 8, rest, 0, 58))));
  EXPECT_PIXELS(bitmap, (TPixelRows{{0x030201, 0}}));
}

// Other formats

TEST_F(TPictureFiles, AnIconIsTransparentInTheKeyColour) {
  QImage icon(2, 1, QImage::Format_ARGB32);
  icon.setPixel(0, 0, qRgba(10, 20, 30, 255));
  icon.setPixel(1, 0, qRgba(0, 0, 0, 0));
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  ASSERT_TRUE(QImageWriter(&buffer, "ico").write(icon));
  TDBitmap bitmap;
  ASSERT_TRUE(bitmap.LoadFromFile(Write("icon.ico", TBytes(bytes.begin(), bytes.end()))));
  EXPECT_TRUE(bitmap.Transparent);
  EXPECT_EQ(bitmap.TransparentColor, 0x818283);
  EXPECT_EQ(bitmap.GetPixel(0, 0) & PixelColorMask, 0x0A141Eu);
  EXPECT_EQ(bitmap.PixelToColor(bitmap.GetPixel(1, 0)), 0x818283);
}

TEST_F(TPictureFiles, PPMHeadersAndSamples) {
  const struct {
    const char* what;
    std::string file;
    TPixelRows expected;
  } rows[] = {
      {"P3 with maximum 15", "P3\n2 1\n15\n15 0 0  0 15 7\n", {{0xFF0000, 0x00FF77}}},
      {"comments", "P3 # kind\n# size next\n1 1 # one\n255\n1 2 3", {{0x010203}}},
      {"numbers beyond the maximum", "P3 1 1 10 99 5 -3", {{0xFF8000}}},
      {"P6", "P6\n2 1\n255\n\x01\x02\x03\xFF\xFE\xFD", {{0x010203, 0xFFFEFD}}},
      {"P6 of two bytes a sample",
       std::string("P6 1 1 65535 \xFF\xFF\x80\x00\x00\x00", 19),
       {{0xFF8000}}},
      {"maximum 0", "P3 1 1 0 5 5 5", {{0}}},
      {"no columns of a billion rows", "P6 0 1073741824 255 ", {}},
  };
  for (const auto& row : rows) {
    TDBitmap bitmap;
    ASSERT_TRUE(bitmap.LoadFromFile(Write("p.ppm", Text(row.file)))) << row.what;
    EXPECT_PIXELS(bitmap, row.expected) << row.what;
  }
  EXPECT_EQ(Logged(), std::vector<std::string>{});
}

TEST_F(TPictureFiles, BadPPMFilesAreReported) {
  const struct {
    std::string file;
    std::string message;
  } rows[] = {
      {"P5 1 1 255 x", "Only P3/P6 ppm picture is supported."},
      {"P6 2 2 255 \x01\x02\x03", "File is truncated."},
      {"P6 536870912 1073741824 255 abc", "File is truncated."},
  };
  for (const auto& row : rows) {
    Reports.Log.clear();
    TDBitmap bitmap;
    EXPECT_FALSE(bitmap.LoadFromFile(Write("bad.ppm", Text(row.file))));
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(Logged(),
              std::vector<std::string>{"Fatal Error: " + row.message + " in class 'TDBitmap'"});
  }
}

// An 18-byte TGA header.
TBytes TGA(int Type, int Width, int Height, int Depth, int Descriptor, const TBytes& Rest) {
  TBytes b(18, 0);
  b[2] = static_cast<std::uint8_t>(Type);
  Put16(b, 12, static_cast<unsigned>(Width));
  Put16(b, 14, static_cast<unsigned>(Height));
  b[16] = static_cast<std::uint8_t>(Depth);
  b[17] = static_cast<std::uint8_t>(Descriptor);
  b.insert(b.end(), Rest.begin(), Rest.end());
  return b;
}

TEST_F(TPictureFiles, TGATypesDepthsAndOrigins) {
  const TPixelRows picture = {{0x030201, 0x060504}, {0x090807, 0x0C0B0A}};
  TDBitmap bitmap;
  const struct {
    const char* what;
    TBytes file;
  } rows[] = {
      {"24 bits, bottom up", TGA(2, 2, 2, 24, 0, {7, 8, 9, 10, 11, 12, 1, 2, 3, 4, 5, 6})},
      {"24 bits, top down", TGA(2, 2, 2, 24, 0x20, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12})},
      {"32 bits with alpha bits, top down",
       TGA(2, 2, 2, 32, 0x28, {1, 2, 3, 9, 4, 5, 6, 9, 7, 8, 9, 9, 10, 11, 12, 9})},
      // A run of two rows' worth crossing the row end, then a literal packet.
      {"run-length encoded",
       TGA(10, 2, 2, 24, 0x20, {0x01, 1, 2, 3, 4, 5, 6, 0x01, 7, 8, 9, 10, 11, 12})},
      {"a packet running on into the next row",
       TGA(10, 2, 2, 24, 0x20, {0x03, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12})},
  };
  for (const auto& row : rows) {
    ASSERT_TRUE(bitmap.LoadFromFile(Write("t.tga", row.file))) << row.what;
    EXPECT_PIXELS(bitmap, picture) << row.what;
  }
  // No columns: an empty picture, whatever the height.
  ASSERT_TRUE(bitmap.LoadFromFile(Write("empty.tga", TGA(2, 0, 1024, 32, 0x20, {}))));
  EXPECT_TRUE(bitmap.Empty());
  // A 24-bit file whose data happens to be width x height x 4 bytes is still read as 24 bits.
  ASSERT_TRUE(bitmap.LoadFromFile(Write("t24.tga", TGA(2, 1, 1, 24, 0, {1, 2, 3, 4, 5, 6, 7, 8}))));
  EXPECT_PIXELS(bitmap, (TPixelRows{{0x030201}}));
}

TEST_F(TPictureFiles, TGAWithTooLittleDataStopsAndBadTGAIsReported) {
  TDBitmap bitmap;
  ASSERT_TRUE(bitmap.LoadFromFile(Write("short.tga", TGA(2, 2, 1, 24, 0, {1, 2, 3}))));
  EXPECT_PIXELS(bitmap, (TPixelRows{{0x030201, 0}}));
  const struct {
    TBytes file;
    std::string message;
  } rows[] = {
      {TGA(1, 2, 1, 24, 0, {}), "Only 24/32 bit color uncompressed tga image is supported."},
      {TGA(2, 2, 1, 16, 0, {}), "Only 24/32 bit color uncompressed tga image is supported."},
      {TGA(10, 65535, 65535, 24, 0, {0xFF, 1, 2, 3}), "File is truncated."},
      {Text("short"), "File is truncated."},
  };
  for (const auto& row : rows) {
    Reports.Log.clear();
    EXPECT_FALSE(bitmap.LoadFromFile(Write("bad.tga", row.file)));
    EXPECT_EQ(Logged(),
              std::vector<std::string>{"Fatal Error: " + row.message + " in class 'TDBitmap'"});
  }
}

TEST(TTGAImage, APictureWiderThanTheHeaderCanTellIsNotWritten) {
  TTGAImage tga;
  tga.Assign(QImage(65536, 1, QImage::Format_RGB32));
  TBytes data;
  EXPECT_THROW(tga.SaveToStream(data), Exception);
}

TEST(TJPEGCodec, WritesGreyscaleWhenAsked) {
  QImage picture(4, 4, QImage::Format_RGB32);
  picture.fill(qRgb(200, 50, 10));
  const TDecodedPicture grey = DecodeJPEG(EncodeJPEG(picture, 95, true));
  const QRgb pixel = grey.Picture.pixel(2, 2);
  EXPECT_EQ(qRed(pixel), qGreen(pixel));
  EXPECT_EQ(qGreen(pixel), qBlue(pixel));
  EXPECT_NEAR(qRed(pixel), (200 * 299 + 50 * 587 + 10 * 114) / 1000, 2);
}

TEST_F(TPictureFiles, APNGChunkLongerThanTheFileIsRefusedBeforeItIsRead) {
  TDBitmap picture;
  SetPixels(picture, RandomPixels(3, 3, 2));
  ASSERT_TRUE(picture.SaveToFile(Name("good.png")));
  const std::string good = ReadWholeFile(Folder / "good.png");
  TBytes file(good.begin(), good.end() - 12); // without IEND
  const TBytes text = {0x7E, 0x00, 0x00, 0x25, 't', 'E', 'X', 't', 'a', '=', 'b'};
  file.insert(file.end(), text.begin(), text.end());
  TDBitmap bitmap;
  EXPECT_FALSE(bitmap.LoadFromFile(Write("lying.png", file)));
  EXPECT_TRUE(bitmap.Empty());
  EXPECT_EQ(Logged(),
            std::vector<std::string>{"Fatal Error: File is truncated. in class 'TDBitmap'"});
}

TEST(TPNGCodec, AnImageChunkWithAWrongCRCIsRefused) {
  QImage picture(3, 2, QImage::Format_RGB32);
  picture.fill(qRgb(10, 20, 30));
  TBytes file = EncodePNG(picture, false, clNone);
  ASSERT_NO_THROW(DecodePNG(file));
  // Chunks follow the 8-byte signature: length (4 bytes, most significant first), type, data and
  // CRC (4 bytes). The last byte of the IDAT chunk's CRC is changed.
  const auto lengthAt = [&](std::size_t At) {
    return std::size_t{file[At]} << 24 | std::size_t{file[At + 1]} << 16 |
           std::size_t{file[At + 2]} << 8 | std::size_t{file[At + 3]};
  };
  std::size_t at = 8;
  while (at + 8 <= file.size() && std::memcmp(&file[at + 4], "IDAT", 4) != 0)
    at += 12 + lengthAt(at);
  ASSERT_LE(at + 8, file.size()) << "no IDAT chunk";
  file[at + 8 + lengthAt(at) + 3] ^= 0x01;
  EXPECT_THROW(DecodePNG(file), Exception);
}

TEST_F(TPictureFiles, PNGWithAlphaIsDrawnOverTheKeyColour) {
  QImage alpha(2, 1, QImage::Format_ARGB32);
  alpha.setPixel(0, 0, qRgba(255, 255, 255, 0));
  alpha.setPixel(1, 0, qRgba(100, 50, 0, 255));
  ASSERT_TRUE(alpha.save(QString::fromStdString(Name("alpha.png")), "PNG"));
  TDBitmap bitmap;
  ASSERT_TRUE(bitmap.LoadFromFile(Name("alpha.png")));
  EXPECT_TRUE(bitmap.Transparent);
  EXPECT_EQ(bitmap.TransparentColor, 0x818283);
  EXPECT_PIXELS(bitmap, (TPixelRows{{0x838281, 0x643200}}));
}

TEST_F(TPictureFiles, AGIFWithATransparentEntryTakesTheBorderColour) {
  // 3 x 3 of entry 0, transparent, with entry 1 in the middle; the codes are 3 bits wide,
  // a clear code before every second pixel keeps them so.
  const TBytes gif = {'G',  'I',  'F',  '8',  '9',  'a',  3,    0,    3, 0,
                      0x80, 0,    0,    1,    2,    3,    200,  100,  0,    // palette
                      0x21, 0xF9, 4,    1,    0,    0,    0,    0,          // transparent entry 0
                      0x2C, 0,    0,    0,    0,    3,    0,    3,    0, 0, // the picture
                      2,    6,    0x04, 0x08, 0x30, 0x20, 0x40, 0x14, 0, 0x3B};
  Write("t.gif", gif);
  TDBitmap bitmap;
  ASSERT_TRUE(bitmap.LoadFromFile(Name("t.gif")));
  EXPECT_TRUE(bitmap.Transparent);
  EXPECT_EQ(bitmap.TransparentColor, RGBColor(1, 2, 3));
  EXPECT_EQ(bitmap.GetPixel(1, 1) & PixelColorMask, 0xC86400u);
}

// Loading

TEST_F(TPictureFiles, AMissingFileAsksRetryOrIgnore) {
  Reports.AnswerAlways(AnswerIgnore);
  TDBitmap bitmap;
  bitmap.SetSize(3, 3, clWhite);
  EXPECT_FALSE(bitmap.LoadFromFile(Name("missing.png")));
  EXPECT_TRUE(bitmap.Empty());
  ASSERT_EQ(Reports.Questions.size(), 1u);
  EXPECT_TRUE(Reports.Questions[0].AsksRetry());
  EXPECT_EQ(Reports.Questions[0].Text, ErrorCodeToStr(ENOENT) + "\n'" + Name("missing.png") + "'");
}

TEST_F(TPictureFiles, UnknownTypesAreNeitherLoadedNorSaved) {
  TDBitmap bitmap;
  bitmap.SetSize(2, 2, clWhite);
  ASSERT_FALSE(bitmap.SaveToFile(Name("x.tif")));
  EXPECT_FALSE(std::filesystem::exists(Folder / "x.tif"));
  EXPECT_EQ(Logged(),
            std::vector<std::string>{"Error: Picture format not supported.: " + Name("x.tif")});
  Reports.Log.clear();
  EXPECT_FALSE(bitmap.LoadFromFile(Write("y.tiff", Text("II*"))));
  EXPECT_EQ(Logged(), std::vector<std::string>{
                          "Fatal Error: Picture format not supported. in class 'TDBitmap'"});
}

TEST_F(TPictureFiles, LoadingForgetsTheTransparencyOfThePictureBefore) {
  TDBitmap picture;
  SetPixels(picture, RandomPixels(2, 2, 8));
  ASSERT_TRUE(picture.SaveToFile(Name("plain.bmp")));
  ASSERT_TRUE(picture.SaveToFile(Name("plain.jpg")));
  for (const char* name : {"plain.bmp", "plain.jpg"}) {
    TDBitmap bitmap;
    bitmap.Transparent = true;
    bitmap.TransparentColor = clWhite;
    ASSERT_TRUE(bitmap.LoadFromFile(Name(name)));
    EXPECT_FALSE(bitmap.Transparent) << name;
    EXPECT_EQ(bitmap.TransparentColor, clNone) << name;
  }
}

TEST_F(TPictureFiles, OpenGLBitmapsLoadInRedGreenBlueOrder) {
  TDBitmap picture;
  SetPixels(picture, {{0x010203}});
  ASSERT_TRUE(picture.SaveToFile(Name("gl.png")));
  TDBitmap bitmap;
  bitmap.OpenGL = true;
  ASSERT_TRUE(bitmap.LoadFromFile(Name("gl.png")));
  EXPECT_EQ(bitmap.GetPixel(0, 0) & PixelColorMask, 0x030201u);
  ASSERT_TRUE(bitmap.SaveToFile(Name("gl.ppm")));
  EXPECT_EQ(ReadWholeFile(Folder / "gl.ppm"), std::string("P6\n1 1\n255\n\x01\x02\x03", 14));
}

TEST(TPictureTables, TheFilterListsTheTenTypes) {
  EXPECT_EQ(PictureFilter(),
            "Any (bmp, jpg, jpeg, jfif, gif, png, ppm, tga, tif, tiff)|*.bmp;*.jpg;*.jpeg;*.jfif;"
            "*.gif;*.png;*.ppm;*.tga;*.tif;*.tiff|Windows or OS/2 Bitmaps (*.bmp)|*.bmp|"
            "JPEG Compilant (*.jpg)|*.jpg|JPEG Compilant (*.jpeg)|*.jpeg|JFIF Compilant (*.jfif)|"
            "*.jfif|Graphics Interchange Format (*.gif)|*.gif|Portable Network Graphics (*.png)|"
            "*.png|Portable Pixelmap (*.ppm)|*.ppm|Truevision Targa Graphic (*.tga)|*.tga|"
            "Tag Image File Format (*.tif)|*.tif|Tag Image File Format (*.tiff)|*.tiff|");
  EXPECT_EQ(GraphicStyleCaptions()[gsDiagCross], "Diag Cross");
  EXPECT_EQ(GradientStyleNames[7], "Custom Linear -  Rotated (C012)");
  EXPECT_EQ(EffectDisplayNames[efAdd127], "Add-");
}

} // namespace

namespace {

// The form background texture is read from GraphDir once; the cache is dropped around each test.
class TBackgroundTexture : public TEnvTest {
 protected:
  TBackgroundTexture() {
    FinalizeDBitmap();
    GraphDir = (Folder.Path() / "").string();
  }
  ~TBackgroundTexture() override { FinalizeDBitmap(); }
};

TEST_F(TBackgroundTexture, IsTheStyle12GradientOfTheLighterAndDarkerColour) {
  TDBitmap plain, expected;
  plain.SetSize(6, 4, clBlack);
  expected.SetSize(6, 4, clBlack);
  const TColor color = RGBColor(90, 120, 150);
  SetGradientSeed(9);
  plain.BackgroundTexture(color);
  SetGradientSeed(9);
  expected.Gradient(nullptr, 0, ef16,
                    {Lighter(color), Darker(color), Lighter(color), Darker(color)}, 12);
  EXPECT_EQ(Pixels(plain), Pixels(expected));
}

TEST_F(TBackgroundTexture, TilesTheFormTextureAtAQuarter) {
  TDBitmap texture;
  SetPixels(texture, {{0x00FFFFFF, 0x00000000}});
  // A gif and a png: the png is tried first.
  ASSERT_TRUE(texture.SaveToFile((Folder / "Form.png").string()));
  TDBitmap other;
  SetPixels(other, {{0x00000000}});
  ASSERT_TRUE(other.SaveToFile((Folder / "Form.gif").string()));
  // Lighter(black) is grey 64, Darker(black) black; the fade across 3 columns from 64 to 0 is
  // dithered, so the texture's quarter is checked against the gradient alone.
  TDBitmap gradient;
  gradient.SetSize(3, 1, clBlack);
  SetGradientSeed(1);
  gradient.BackgroundTexture(clBlack);
  FinalizeDBitmap();
  std::filesystem::remove(Folder / "Form.png");
  std::filesystem::remove(Folder / "Form.gif");
  SetGradientSeed(1);
  TDBitmap bare;
  bare.SetSize(3, 1, clBlack);
  bare.BackgroundTexture(clBlack);
  for (int x = 0; x < 3; ++x) {
    const int d = static_cast<int>(bare.GetPixel(x, 0) & 0xFF);
    const int s = x % 2 == 0 ? 255 : 0;
    EXPECT_EQ(static_cast<int>(gradient.GetPixel(x, 0) & 0xFF), (d * 12 + s * 4 + 8) / 16) << x;
  }
}

} // namespace
