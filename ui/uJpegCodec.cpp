// JPEG reading and writing through libjpeg-turbo. The library reports errors by a long jump; the
// functions that set the jump point hold no object with a destructor, and everything that must
// be freed lives in the callers.

#include "platform/uExceptions.h"
#include "ui/uBitmapCodecs_p.h"
#include "ui/uPictureLimits.h"

#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
// After jpeglib.h, which it needs.
#include <jerror.h>

namespace {

// Progressive files may hold any number of scans, each of which runs over the whole picture;
// real files have about ten.
constexpr int MaxScans = 100;

// A JPEG can pack at most 512 pixels into one byte: one bit for each 8 x 8 block of a greyscale
// picture.
constexpr std::uint64_t JPEGPixelsPerByte = 512;

struct TJpegError {
  jpeg_error_mgr Manager; // first, so that the library's pointer is this record's
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
};

[[noreturn]] void ErrorExit(j_common_ptr Info) {
  auto* error = reinterpret_cast<TJpegError*>(Info->err);
  Info->err->format_message(Info, error->Message);
  std::longjmp(error->Jump, 1);
}

// Warnings are dropped, except that the data ending before the picture is a failure.
void EmitMessage(j_common_ptr Info, int Level) {
  if (Level == -1 && Info->err->msg_code == JWRN_JPEG_EOF)
    ErrorExit(Info);
}

void OutputMessage(j_common_ptr) {}

void LimitScans(j_common_ptr Info) {
  if (Info->is_decompressor &&
      reinterpret_cast<j_decompress_ptr>(Info)->input_scan_number > MaxScans) {
    auto* error = reinterpret_cast<TJpegError*>(Info->err);
    std::snprintf(error->Message, sizeof error->Message, "Too many scans in the JPEG file.");
    std::longjmp(error->Jump, 1);
  }
}

void InitError(TJpegError& Error) {
  jpeg_std_error(&Error.Manager);
  Error.Manager.error_exit = ErrorExit;
  Error.Manager.emit_message = EmitMessage;
  Error.Manager.output_message = OutputMessage;
  Error.Message[0] = 0;
}

struct TDecompress {
  jpeg_decompress_struct Info{};
  TJpegError Error{};
  jpeg_progress_mgr Progress{};
  bool Created = false;

  TDecompress() = default;
  TDecompress(const TDecompress&) = delete;
  TDecompress& operator=(const TDecompress&) = delete;
  ~TDecompress() {
    if (Created)
      jpeg_destroy_decompress(&Info);
  }
};

bool ReadHeader(TDecompress& D, std::span<const std::uint8_t> Data) {
  InitError(D.Error);
  D.Info.err = &D.Error.Manager;
  if (setjmp(D.Error.Jump))
    return false;
  jpeg_create_decompress(&D.Info);
  D.Created = true;
  D.Progress.progress_monitor = LimitScans;
  D.Info.progress = &D.Progress;
  jpeg_mem_src(&D.Info, Data.data(), static_cast<unsigned long>(Data.size()));
  jpeg_read_header(&D.Info, TRUE);
  return true;
}

bool CMYKSource(const jpeg_decompress_struct& Info) {
  return Info.jpeg_color_space == JCS_CMYK || Info.jpeg_color_space == JCS_YCCK;
}

// Decodes the rows into the picture's memory; a CMYK picture goes through Row, one row of
// 4 bytes a pixel, and is converted.
bool ReadRows(TDecompress& D, std::uint8_t* Top, std::size_t Stride, std::uint8_t* Row) {
  if (setjmp(D.Error.Jump))
    return false;
  const bool cmyk = CMYKSource(D.Info);
  D.Info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
  D.Info.dct_method = JDCT_ISLOW;
  jpeg_start_decompress(&D.Info);
  // Adobe writes CMYK inverted.
  const bool inverted = D.Info.saw_Adobe_marker;
  while (D.Info.output_scanline < D.Info.output_height) {
    std::uint8_t* target = Top + Stride * D.Info.output_scanline;
    JSAMPROW rows[1] = {cmyk ? Row : target};
    jpeg_read_scanlines(&D.Info, rows, 1);
    if (!cmyk)
      continue;
    for (JDIMENSION x = 0; x < D.Info.output_width; ++x) {
      unsigned c = Row[4 * x], m = Row[4 * x + 1], y = Row[4 * x + 2], k = Row[4 * x + 3];
      if (!inverted) {
        c = 255 - c;
        m = 255 - m;
        y = 255 - y;
        k = 255 - k;
      }
      target[4 * x] = static_cast<std::uint8_t>(y * k / 255);
      target[4 * x + 1] = static_cast<std::uint8_t>(m * k / 255);
      target[4 * x + 2] = static_cast<std::uint8_t>(c * k / 255);
      target[4 * x + 3] = 0;
    }
  }
  jpeg_finish_decompress(&D.Info);
  return true;
}

struct TCompress {
  jpeg_compress_struct Info{};
  TJpegError Error{};
  unsigned char* Buffer = nullptr;
  unsigned long Size = 0;
  bool Created = false;

  TCompress() = default;
  TCompress(const TCompress&) = delete;
  TCompress& operator=(const TCompress&) = delete;
  ~TCompress() {
    if (Created)
      jpeg_destroy_compress(&Info);
    std::free(Buffer);
  }
};

bool WriteRows(TCompress& C, const QImage& Picture, int Quality, bool Grayscale) {
  InitError(C.Error);
  C.Info.err = &C.Error.Manager;
  if (setjmp(C.Error.Jump))
    return false;
  jpeg_create_compress(&C.Info);
  C.Created = true;
  jpeg_mem_dest(&C.Info, &C.Buffer, &C.Size);
  C.Info.image_width = static_cast<JDIMENSION>(Picture.width());
  C.Info.image_height = static_cast<JDIMENSION>(Picture.height());
  C.Info.input_components = 4;
  C.Info.in_color_space = JCS_EXT_BGRX;
  jpeg_set_defaults(&C.Info);
  if (Grayscale)
    jpeg_set_colorspace(&C.Info, JCS_GRAYSCALE);
  jpeg_set_quality(&C.Info, Quality, TRUE);
  // The best quality: the accurate transform, optimised tables, colour at full resolution.
  C.Info.dct_method = JDCT_ISLOW;
  C.Info.optimize_coding = TRUE;
  for (int i = 0; i < C.Info.num_components; ++i)
    C.Info.comp_info[i].h_samp_factor = C.Info.comp_info[i].v_samp_factor = 1;
  jpeg_start_compress(&C.Info, TRUE);
  while (C.Info.next_scanline < C.Info.image_height) {
    JSAMPROW rows[1] = {
        const_cast<JSAMPLE*>(Picture.constScanLine(static_cast<int>(C.Info.next_scanline)))};
    jpeg_write_scanlines(&C.Info, rows, 1);
  }
  jpeg_finish_compress(&C.Info);
  return true;
}

} // namespace

TDecodedPicture DecodeJPEG(std::span<const std::uint8_t> Data) {
  TDecompress decompress;
  if (!ReadHeader(decompress, Data))
    throw Exception(decompress.Error.Message);
  CheckPictureSize(decompress.Info.image_width, decompress.Info.image_height, Data.size(),
                   JPEGPixelsPerByte);
  TDecodedPicture result;
  result.Picture = NewPicture(static_cast<int>(decompress.Info.image_width),
                              static_cast<int>(decompress.Info.image_height));
  std::vector<std::uint8_t> row;
  if (CMYKSource(decompress.Info))
    row.resize(std::size_t{decompress.Info.image_width} * 4);
  if (!ReadRows(decompress, result.Picture.bits(),
                static_cast<std::size_t>(result.Picture.bytesPerLine()), row.data()))
    throw Exception(decompress.Error.Message);
  return result;
}

std::vector<std::uint8_t> EncodeJPEG(const QImage& Picture, int Quality, bool Grayscale) {
  const QImage picture = Picture.format() == QImage::Format_RGB32
                             ? Picture
                             : Picture.convertToFormat(QImage::Format_RGB32);
  TCompress compress;
  if (!WriteRows(compress, picture, std::clamp(Quality, 1, 100), Grayscale))
    throw Exception(compress.Error.Message);
  return std::vector<std::uint8_t>(compress.Buffer, compress.Buffer + compress.Size);
}
