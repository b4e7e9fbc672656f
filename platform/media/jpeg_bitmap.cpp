// JPEG to Windows bitmap with libjpeg: decoding row by row straight into the file, so that a
// large picture needs one row of memory; errors of the library come back as failures.
#include "platform/media/jpeg_bitmap.h"

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include <fcntl.h>
#include <unistd.h>

// libjpeg's header needs FILE and size_t declared first.
#include <jpeglib.h>
#include <jerror.h>

namespace JpegBitmap {
namespace {

// The console's picture loader takes no more than this many bytes of pixels either.
constexpr int64_t kMaxPixelBytes = int64_t{64} << 20;

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  bool cutShort = false;
  char message[JMSG_LENGTH_MAX] = {};
  JSAMPROW row = nullptr;  // here, not in a local, so that it is known after a long jump
};

[[noreturn]] void OnError(j_common_ptr info) {
  auto* e = reinterpret_cast<ErrorManager*>(info->err);
  (*info->err->format_message)(info, e->message);
  std::longjmp(e->jump, 1);
}

// Warnings are quiet; a picture whose data ends early is not shown half grey.
void OnMessage(j_common_ptr info, int level) {
  auto* e = reinterpret_cast<ErrorManager*>(info->err);
  if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) e->cutShort = true;
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

void Put16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
  Put16(p, v);
  Put16(p + 2, v >> 16);
}

constexpr std::size_t kMaxHeaders = 54 + 256 * 4;

// The 54-byte file and information headers (bottom-up rows) and, for gray, its palette;
// returns their size.
std::size_t Headers(uint8_t (&h)[kMaxHeaders], int width, int height, bool gray, uint32_t imageBytes) {
  const uint32_t paletteBytes = gray ? 256 * 4 : 0;
  std::memset(h, 0, sizeof h);
  h[0] = 'B';
  h[1] = 'M';
  Put32(&h[2], 54 + paletteBytes + imageBytes);
  Put32(&h[10], 54 + paletteBytes);
  Put32(&h[14], 40);
  Put32(&h[18], static_cast<uint32_t>(width));
  Put32(&h[22], static_cast<uint32_t>(height));
  Put16(&h[26], 1);
  Put16(&h[28], gray ? 8 : 24);
  Put32(&h[34], imageBytes);
  Put32(&h[38], 2835);  // 72 dots per inch
  Put32(&h[42], 2835);
  Put32(&h[46], gray ? 256 : 0);
  for (uint32_t i = 0; i < paletteBytes / 4; ++i) {
    h[54 + 4 * i] = h[55 + 4 * i] = h[56 + 4 * i] = static_cast<uint8_t>(i);
  }
  return 54 + paletteBytes;
}

// Runs the decoding; false with `error` set. Kept apart from Convert so that nothing with a
// destructor lives across the library's long jump.
bool Decode(std::FILE* in, std::FILE* out, std::string& error) {
  jpeg_decompress_struct info{};
  ErrorManager errors;
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = OnError;
  errors.base.emit_message = OnMessage;
  uint8_t headers[kMaxHeaders];
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&info);
    std::free(errors.row);
    error = std::string("JPEG inválido: ") + errors.message;
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, in);
  jpeg_read_header(&info, TRUE);
  const bool gray = info.num_components == 1;
  info.out_color_space = gray ? JCS_GRAYSCALE : JCS_EXT_BGR;
  jpeg_calc_output_dimensions(&info);
  const int64_t width = info.output_width, height = info.output_height;
  const int64_t rowBytes = ((width * (gray ? 8 : 24) + 31) / 32) * 4;
  if (width <= 0 || height <= 0 || rowBytes * height > kMaxPixelBytes) {
    jpeg_destroy_decompress(&info);
    error = "imagem JPEG grande demais: " + std::to_string(width) + "x" + std::to_string(height);
    return false;
  }
  jpeg_start_decompress(&info);
  const std::size_t headerBytes =
      Headers(headers, static_cast<int>(width), static_cast<int>(height), gray, static_cast<uint32_t>(rowBytes * height));
  bool written = std::fwrite(headers, 1, headerBytes, out) == headerBytes;
  // The top row comes first but is stored last: each row goes to its place in the file.
  errors.row = static_cast<JSAMPROW>(std::calloc(static_cast<std::size_t>(rowBytes), 1));
  if (!errors.row) written = false;
  const long pixelStart = static_cast<long>(headerBytes);
  while (written && info.output_scanline < info.output_height) {
    const int64_t y = info.output_scanline;
    if (jpeg_read_scanlines(&info, &errors.row, 1) != 1) break;
    const long at = pixelStart + static_cast<long>((height - 1 - y) * rowBytes);
    written = std::fseek(out, at, SEEK_SET) == 0 &&
              std::fwrite(errors.row, 1, static_cast<std::size_t>(rowBytes), out) == static_cast<std::size_t>(rowBytes);
  }
  const bool complete = info.output_scanline == info.output_height && !errors.cutShort;
  if (complete) jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  std::free(errors.row);
  if (!complete || errors.cutShort) {
    error = "JPEG incompleto";
    return false;
  }
  if (!written) error = "não foi possível gravar o bitmap";
  return written;
}

}  // namespace

bool Convert(const std::string& jpegPath, const std::string& bmpPath, std::string& error) {
  File in(std::fopen(jpegPath.c_str(), "rb"));
  if (!in) {
    error = "não foi possível abrir " + jpegPath;
    return false;
  }
  std::remove(bmpPath.c_str());
  File out(std::fopen(bmpPath.c_str(), "wb"));
  if (!out) {
    error = "não foi possível criar " + bmpPath;
    return false;
  }
  bool ok = Decode(in.get(), out.get(), error);
  if (std::fclose(out.release()) != 0 && ok) {
    ok = false;
    error = "não foi possível gravar o bitmap";
  }
  if (!ok) std::remove(bmpPath.c_str());
  return ok;
}

std::string ConvertToTemporary(const std::string& jpegPath, std::string& error) {
  File in(std::fopen(jpegPath.c_str(), "rb"));
  if (!in) {
    error = "não foi possível abrir " + jpegPath;
    return {};
  }
  std::error_code ec;
  std::string path = (std::filesystem::temp_directory_path(ec) / "fonix-imagem-XXXXXX.bmp").string();
  if (ec) path = "/tmp/fonix-imagem-XXXXXX.bmp";
  const int fd = mkostemps(path.data(), 4, O_CLOEXEC);
  File out(fd >= 0 ? fdopen(fd, "wb") : nullptr);
  if (!out) {
    if (fd >= 0) {
      close(fd);
      std::remove(path.c_str());
    }
    error = "não foi possível criar o bitmap temporário";
    return {};
  }
  bool ok = Decode(in.get(), out.get(), error);
  if (std::fclose(out.release()) != 0 && ok) {
    ok = false;
    error = "não foi possível gravar o bitmap";
  }
  if (ok) return path;
  std::remove(path.c_str());
  return {};
}

}  // namespace JpegBitmap
