// PNG reading and writing through libpng. The library reports errors by a long jump; the
// functions that set the jump point hold no object with a destructor, and everything that must
// be freed lives in the callers.

#include "platform/uExceptions.h"
#include "ui/uBitmapCodecs_p.h"
#include "ui/uPictureLimits.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Deflate packs at most 1032 bytes into one, and a byte holds at most 8 pixels.
constexpr std::uint64_t PNGPixelsPerByte = 1032 * 8;

struct TPngState {
  png_structp Png = nullptr;
  png_infop Info = nullptr;
  bool Writing = false;
  char Message[200] = {};
  // Reading: the file and the position in it; writing: the bytes written.
  std::span<const std::uint8_t> Data;
  std::size_t Position = 0;
  std::vector<std::uint8_t>* Output = nullptr;
  // The row addresses of the picture.
  std::vector<png_bytep> Rows;

  TPngState() = default;
  TPngState(const TPngState&) = delete;
  TPngState& operator=(const TPngState&) = delete;
  ~TPngState() {
    if (Writing)
      png_destroy_write_struct(&Png, &Info);
    else if (Png)
      png_destroy_read_struct(&Png, &Info, nullptr);
  }
};

[[noreturn]] void Error(png_structp Png, png_const_charp Message) {
  auto* state = static_cast<TPngState*>(png_get_error_ptr(Png));
  std::snprintf(state->Message, sizeof state->Message, "%s", Message ? Message : "PNG error");
  png_longjmp(Png, 1);
}

void Warning(png_structp, png_const_charp) {}

void Read(png_structp Png, png_bytep Buffer, png_size_t Count) {
  auto* state = static_cast<TPngState*>(png_get_io_ptr(Png));
  if (Count > state->Data.size() - state->Position)
    png_error(Png, "File is truncated.");
  std::memcpy(Buffer, state->Data.data() + state->Position, Count);
  state->Position += Count;
}

void Write(png_structp Png, png_bytep Buffer, png_size_t Count) {
  auto* state = static_cast<TPngState*>(png_get_io_ptr(Png));
  state->Output->insert(state->Output->end(), Buffer, Buffer + Count);
}

void Flush(png_structp) {}

// What the header says.
struct THeader {
  png_uint_32 Width = 0, Height = 0;
  int ColorType = 0, BitDepth = 0;
  bool ColorKey = false; // tRNS on a grey or RGB picture
  png_color_16 Key{};
  bool Alpha = false; // an alpha channel or palette alpha
};

bool ReadHeader(TPngState& S, THeader& H) {
  if (setjmp(png_jmpbuf(S.Png)))
    return false;
  png_set_read_fn(S.Png, &S, Read);
  // The picture's size is checked against the file before anything is allocated; libpng's own
  // limit would refuse widths beyond a million.
  png_set_user_limits(S.Png, 0x7FFFFFFF, 0x7FFFFFFF);
  // The number of ancillary chunks kept is bounded.
  png_set_chunk_cache_max(S.Png, 256);
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
  // A fuzzing build lets chunks through whatever their checksums say, so that mutated data
  // reaches the decoder and this reader instead of failing its CRC or its zlib check first.
  png_set_crc_action(S.Png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#ifdef PNG_IGNORE_ADLER32
  png_set_option(S.Png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
#else
  // A critical chunk with a wrong CRC ends the reading; a damaged ancillary chunk is used.
  png_set_crc_action(S.Png, PNG_CRC_DEFAULT, PNG_CRC_WARN_USE);
#endif
  png_read_info(S.Png, S.Info);
  H.Width = png_get_image_width(S.Png, S.Info);
  H.Height = png_get_image_height(S.Png, S.Info);
  H.ColorType = png_get_color_type(S.Png, S.Info);
  H.BitDepth = png_get_bit_depth(S.Png, S.Info);
  const bool trns = png_get_valid(S.Png, S.Info, PNG_INFO_tRNS) != 0;
  if (trns && (H.ColorType == PNG_COLOR_TYPE_GRAY || H.ColorType == PNG_COLOR_TYPE_RGB)) {
    png_color_16p key = nullptr;
    png_get_tRNS(S.Png, S.Info, nullptr, nullptr, &key);
    if (key) {
      H.ColorKey = true;
      H.Key = *key;
    }
  }
  H.Alpha = (H.ColorType & PNG_COLOR_MASK_ALPHA) || (trns && H.ColorType == PNG_COLOR_TYPE_PALETTE);
  return true;
}

// Decodes into the rows as blue, green, red and alpha (0xFF where there is none).
bool ReadRows(TPngState& S, const THeader& H) {
  if (setjmp(png_jmpbuf(S.Png)))
    return false;
  if (H.BitDepth == 16)
    png_set_scale_16(S.Png);
  if (H.ColorType == PNG_COLOR_TYPE_PALETTE)
    png_set_palette_to_rgb(S.Png);
  if (H.ColorType == PNG_COLOR_TYPE_GRAY && H.BitDepth < 8)
    png_set_expand_gray_1_2_4_to_8(S.Png);
  if (H.Alpha && H.ColorType == PNG_COLOR_TYPE_PALETTE)
    png_set_tRNS_to_alpha(S.Png);
  if (!(H.ColorType & PNG_COLOR_MASK_COLOR))
    png_set_gray_to_rgb(S.Png);
  png_set_bgr(S.Png);
  if (!H.Alpha)
    png_set_filler(S.Png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(S.Png);
  png_read_update_info(S.Png, S.Info);
  if (png_get_rowbytes(S.Png, S.Info) != std::size_t{H.Width} * 4)
    png_error(S.Png, "Unexpected PNG row size.");
  png_read_image(S.Png, S.Rows.data());
  png_read_end(S.Png, nullptr);
  return true;
}

bool WriteRows(TPngState& S, const QImage& Picture, bool Transparent, TColor Color) {
  if (setjmp(png_jmpbuf(S.Png)))
    return false;
  png_set_write_fn(S.Png, &S, Write, Flush);
  png_set_IHDR(S.Png, S.Info, static_cast<png_uint_32>(Picture.width()),
               static_cast<png_uint_32>(Picture.height()), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(S.Png, 9);
  if (Transparent) {
    png_color_16 key{};
    key.red = static_cast<png_uint_16>(RedOf(Color));
    key.green = static_cast<png_uint_16>(GreenOf(Color));
    key.blue = static_cast<png_uint_16>(BlueOf(Color));
    png_set_tRNS(S.Png, S.Info, nullptr, 0, &key);
  }
  png_write_info(S.Png, S.Info);
  png_set_bgr(S.Png);
  png_set_filler(S.Png, 0, PNG_FILLER_AFTER);
  png_write_image(S.Png, S.Rows.data());
  png_write_end(S.Png, S.Info);
  return true;
}

// True when every chunk up to IEND lies within the data: a length field that claims more would
// make the library allocate that much before it finds the data missing.
bool ChunksFit(std::span<const std::uint8_t> Data) {
  std::size_t at = 8; // the signature
  while (at + 12 <= Data.size()) {
    const std::uint8_t* p = Data.data() + at;
    const std::uint32_t length =
        std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
    if (length > Data.size() - at - 12)
      return false;
    if (std::memcmp(p + 4, "IEND", 4) == 0)
      return true;
    at += 12 + std::size_t{length};
  }
  return at == Data.size();
}

// The key colour as 8-bit RGB.
TColor KeyColor(const THeader& H) {
  const auto scale = [&](png_uint_16 Value) {
    if (H.BitDepth == 16)
      return (Value * 255 + 32767) / 65535;
    if (H.BitDepth < 8)
      return Value * 255 / ((1 << H.BitDepth) - 1);
    return int{Value};
  };
  if (H.ColorType == PNG_COLOR_TYPE_GRAY) {
    const int grey = std::clamp(scale(H.Key.gray), 0, 255);
    return RGBColor(grey, grey, grey);
  }
  return RGBColor(std::clamp(scale(H.Key.red), 0, 255), std::clamp(scale(H.Key.green), 0, 255),
                  std::clamp(scale(H.Key.blue), 0, 255));
}

} // namespace

TDecodedPicture DecodePNG(std::span<const std::uint8_t> Data) {
  if (!ChunksFit(Data))
    throw Exception(TruncatedPictureMessage);
  TPngState state;
  state.Data = Data;
  state.Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, Error, Warning);
  if (!state.Png || !(state.Info = png_create_info_struct(state.Png)))
    throw Exception("Out of memory.");
  THeader header;
  if (!ReadHeader(state, header))
    throw Exception(state.Message);
  CheckPictureSize(header.Width, header.Height, Data.size(), PNGPixelsPerByte);
  TDecodedPicture result;
  result.Picture = NewPicture(static_cast<int>(header.Width), static_cast<int>(header.Height));
  state.Rows.resize(header.Height);
  for (png_uint_32 y = 0; y < header.Height; ++y)
    state.Rows[y] = result.Picture.scanLine(static_cast<int>(y));
  if (!ReadRows(state, header))
    throw Exception(state.Message);
  if (header.ColorKey) {
    result.Transparent = true;
    result.TransparentColor = KeyColor(header);
  } else if (header.Alpha) {
    // Drawn over the key colour: each pixel mixed with it by its alpha.
    result.Transparent = true;
    result.TransparentColor = PNGKeyColor;
    const int key[3] = {BlueOf(PNGKeyColor), GreenOf(PNGKeyColor), RedOf(PNGKeyColor)};
    for (png_uint_32 y = 0; y < header.Height; ++y) {
      std::uint8_t* p = state.Rows[y];
      for (png_uint_32 x = 0; x < header.Width; ++x, p += 4) {
        const int alpha = p[3];
        for (int c = 0; c < 3; ++c)
          p[c] = static_cast<std::uint8_t>((p[c] * alpha + key[c] * (255 - alpha) + 127) / 255);
        p[3] = 0;
      }
    }
  }
  return result;
}

std::vector<std::uint8_t> EncodePNG(const QImage& Picture, bool Transparent,
                                    TColor TransparentColor) {
  const QImage picture = Picture.format() == QImage::Format_RGB32
                             ? Picture
                             : Picture.convertToFormat(QImage::Format_RGB32);
  std::vector<std::uint8_t> output;
  TPngState state;
  state.Writing = true;
  state.Output = &output;
  state.Png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, Error, Warning);
  if (!state.Png || !(state.Info = png_create_info_struct(state.Png)))
    throw Exception("Out of memory.");
  state.Rows.resize(static_cast<std::size_t>(std::max(picture.height(), 0)));
  for (int y = 0; y < picture.height(); ++y)
    state.Rows[static_cast<std::size_t>(y)] = const_cast<png_bytep>(picture.constScanLine(y));
  if (!WriteRows(state, picture, Transparent, ColorToRGB(TransparentColor)))
    throw Exception(state.Message);
  return output;
}
