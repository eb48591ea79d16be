// GIF reading and writing through giflib; writing reduces the colours with libimagequant.

#include "platform/uExceptions.h"
#include "ui/uBitmapCodecs_p.h"
#include "ui/uPictureLimits.h"

#include <gif_lib.h>
#include <libimagequant.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// LZW codes of at most 12 bits stand for strings of at most 4096 pixels.
constexpr std::uint64_t GIFPixelsPerByte = 4096;

struct TReader {
  std::span<const std::uint8_t> Data;
  std::size_t Position = 0;
};

int ReadGif(GifFileType* File, GifByteType* Buffer, int Count) {
  auto* reader = static_cast<TReader*>(File->UserData);
  const std::size_t n = std::min(static_cast<std::size_t>(std::max(Count, 0)),
                                 reader->Data.size() - reader->Position);
  std::memcpy(Buffer, reader->Data.data() + reader->Position, n);
  reader->Position += n;
  return static_cast<int>(n);
}

int WriteGif(GifFileType* File, const GifByteType* Buffer, int Count) {
  auto* output = static_cast<std::vector<std::uint8_t>*>(File->UserData);
  output->insert(output->end(), Buffer, Buffer + std::max(Count, 0));
  return Count;
}

struct TGifCloser {
  void operator()(GifFileType* File) const {
    int error = 0;
    DGifCloseFile(File, &error);
  }
};

[[noreturn]] void Fail(int Error) {
  const char* text = GifErrorString(Error);
  throw Exception(text ? text : "GIF error");
}

// The palette entry's colour as a pixel (blue, green, red); black outside the palette.
std::uint32_t PaletteColor(const ColorMapObject* Map, int Index) {
  if (!Map || Index < 0 || Index >= Map->ColorCount)
    return 0;
  const GifColorType& c = Map->Colors[Index];
  return std::uint32_t{c.Blue} | std::uint32_t{c.Green} << 8 | std::uint32_t{c.Red} << 16;
}

struct TLiqAttr {
  void operator()(liq_attr* P) const { liq_attr_destroy(P); }
};
struct TLiqImage {
  void operator()(liq_image* P) const { liq_image_destroy(P); }
};
struct TLiqResult {
  void operator()(liq_result* P) const { liq_result_destroy(P); }
};
struct TColorMap {
  void operator()(ColorMapObject* P) const { GifFreeMapObject(P); }
};

} // namespace

TDecodedPicture DecodeGIF(std::span<const std::uint8_t> Data) {
  TReader reader{Data};
  int error = 0;
  std::unique_ptr<GifFileType, TGifCloser> file(DGifOpen(&reader, ReadGif, &error));
  if (!file)
    Fail(error);
  GifFileType* gif = file.get();
  bool transparent = false;
  int transparentIndex = -1;
  for (;;) {
    GifRecordType type;
    if (DGifGetRecordType(gif, &type) == GIF_ERROR)
      Fail(gif->Error);
    if (type == TERMINATE_RECORD_TYPE)
      throw Exception("The GIF file holds no picture.");
    if (type == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* block = nullptr;
      if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
        Fail(gif->Error);
      // The graphic control extension names the transparent entry of the next picture.
      if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) {
        transparent = (block[1] & 1) != 0;
        transparentIndex = transparent ? block[4] : -1;
      }
      while (block) {
        if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
          Fail(gif->Error);
      }
      continue;
    }
    if (type != IMAGE_DESC_RECORD_TYPE)
      continue;
    if (DGifGetImageDesc(gif) == GIF_ERROR)
      Fail(gif->Error);
    const GifImageDesc& image = gif->Image;
    const ColorMapObject* map = image.ColorMap ? image.ColorMap : gif->SColorMap;
    // A screen of no size takes the picture's.
    const int width = gif->SWidth > 0 ? gif->SWidth : image.Left + image.Width;
    const int height = gif->SHeight > 0 ? gif->SHeight : image.Top + image.Height;
    CheckPictureSize(width, height, Data.size(), GIFPixelsPerByte);
    CheckPictureSize(image.Width, image.Height, Data.size(), GIFPixelsPerByte);
    TDecodedPicture result;
    result.Picture = NewPicture(width, height);
    result.Transparent = transparent;
    const std::uint32_t background =
        PaletteColor(map, transparent ? transparentIndex : gif->SBackGroundColor);
    result.Picture.fill(background);
    std::uint32_t colors[256];
    for (int i = 0; i < 256; ++i)
      colors[i] = PaletteColor(map, i);
    std::vector<GifPixelType> line(static_cast<std::size_t>(std::max(image.Width, 0)));
    // Interlaced pictures store every 8th row from 0, every 8th from 4, every 4th from 2, then
    // every 2nd from 1.
    static constexpr int PassStart[4] = {0, 4, 2, 1};
    static constexpr int PassStep[4] = {8, 8, 4, 2};
    const int passes = image.Interlace ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass) {
      const int start = image.Interlace ? PassStart[pass] : 0;
      const int step = image.Interlace ? PassStep[pass] : 1;
      for (int row = start; row < image.Height; row += step) {
        if (DGifGetLine(gif, line.data(), image.Width) == GIF_ERROR)
          Fail(gif->Error);
        const int y = image.Top + row;
        if (y < 0 || y >= height)
          continue;
        auto* target = reinterpret_cast<std::uint32_t*>(result.Picture.scanLine(y));
        for (int column = 0; column < image.Width; ++column) {
          const int x = image.Left + column;
          if (x >= width)
            break;
          if (x >= 0 && line[static_cast<std::size_t>(column)] != transparentIndex)
            target[x] = colors[line[static_cast<std::size_t>(column)]];
        }
      }
    }
    return result;
  }
}

std::vector<std::uint8_t> EncodeGIF(const QImage& Picture) {
  const QImage rgba = Picture.convertToFormat(QImage::Format_RGBX8888);
  const int width = rgba.width(), height = rgba.height();
  if (width <= 0 || height <= 0)
    throw Exception("An empty picture cannot be written as GIF.");
  std::unique_ptr<liq_attr, TLiqAttr> attr(liq_attr_create());
  if (!attr)
    throw Exception("Out of memory.");
  liq_set_max_colors(attr.get(), 256);
  // The library only reads the rows.
  std::vector<void*> rows(static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y)
    rows[static_cast<std::size_t>(y)] = const_cast<uchar*>(rgba.constScanLine(y));
  std::unique_ptr<liq_image, TLiqImage> image(
      liq_image_create_rgba_rows(attr.get(), rows.data(), width, height, 0));
  if (!image)
    throw Exception("The picture cannot be quantised.");
  liq_result* quantised = nullptr;
  if (liq_image_quantize(image.get(), attr.get(), &quantised) != LIQ_OK || !quantised)
    throw Exception("The picture cannot be quantised.");
  std::unique_ptr<liq_result, TLiqResult> result(quantised);
  liq_set_dithering_level(result.get(), 1.0f);
  std::vector<unsigned char> indexes(static_cast<std::size_t>(width) *
                                     static_cast<std::size_t>(height));
  if (liq_write_remapped_image(result.get(), image.get(), indexes.data(), indexes.size()) != LIQ_OK)
    throw Exception("The picture cannot be quantised.");
  const liq_palette* palette = liq_get_palette(result.get());

  GifColorType colors[256] = {};
  const int count = std::clamp(static_cast<int>(palette->count), 1, 256);
  for (int i = 0; i < count; ++i)
    colors[i] = {palette->entries[i].r, palette->entries[i].g, palette->entries[i].b};
  std::unique_ptr<ColorMapObject, TColorMap> map(GifMakeMapObject(1 << GifBitSize(count), colors));
  if (!map)
    throw Exception("Out of memory.");

  std::vector<std::uint8_t> output;
  int error = 0;
  GifFileType* gif = EGifOpen(&output, WriteGif, &error);
  if (!gif)
    Fail(error);
  const auto fail = [&](int Error) {
    int ignored = 0;
    EGifCloseFile(gif, &ignored);
    Fail(Error);
  };
  if (EGifPutScreenDesc(gif, width, height, 8, 0, map.get()) == GIF_ERROR ||
      EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_ERROR)
    fail(gif->Error);
  for (int y = 0; y < height; ++y)
    if (EGifPutLine(gif, indexes.data() + static_cast<std::size_t>(y) * width, width) == GIF_ERROR)
      fail(gif->Error);
  if (EGifCloseFile(gif, &error) == GIF_ERROR)
    Fail(error);
  return output;
}
