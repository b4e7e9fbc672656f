// The image overlay of the console: reading a device-independent bitmap file with the
// checks of the loader, and keeping it for the device to draw over the text.
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

#include "console/console.h"
#include "platform/events/messages.h"
#include "platform/files/paths.h"

namespace Console {
namespace {

constexpr std::size_t kBlock = 16384;
// Larger pictures than this cannot be made into a bitmap here either.
constexpr int64_t kMaxPixelBytes = int64_t{64} << 20;

struct State {
  std::optional<Image> overlay;
};

State& S() {
  static State state;
  return state;
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool ReadAt(std::FILE* f, long offset, void* out, std::size_t n) {
  return std::fseek(f, offset, SEEK_SET) == 0 && std::fread(out, 1, n, f) == n;
}

uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

}  // namespace

bool ConsoleLoadImage(std::string_view fileName) { return ConsoleLoadImageFile(Paths::ToHost(fileName)); }

bool ConsoleLoadImageFile(const std::string& hostPath) {
  File f(std::fopen(hostPath.c_str(), "rb"));
  if (!f) return false;
  uint8_t head[54];
  if (!ReadAt(f.get(), 0, head, sizeof head) || U32(head + 14) != 40) return false;
  Image image;
  const uint32_t pixelOffset = U32(head + 10);
  image.width = static_cast<int32_t>(U32(head + 18));
  image.height = static_cast<int32_t>(U32(head + 22));
  image.bitCount = U16(head + 28);
  uint32_t coloursUsed = U32(head + 46);
  const int bits = image.bitCount;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  if (image.width <= 0 || image.height == 0 || image.height == INT32_MIN) return false;
  // A palette bitmap that leaves its colour count at 0 has the full table of its depth.
  if (bits <= 8 && (coloursUsed == 0 || coloursUsed > (1u << bits))) coloursUsed = 1u << bits;
  if (bits > 8) coloursUsed = 0;
  image.info.resize(40 + 4 * coloursUsed);
  if (!ReadAt(f.get(), 14, image.info.data(), image.info.size())) return false;
  const int64_t rowBytes = ((static_cast<int64_t>(image.width) * bits + 31) / 32) * 4;
  const int64_t rows = image.height < 0 ? -int64_t{image.height} : image.height;
  if (rowBytes > kMaxPixelBytes || rows > kMaxPixelBytes / rowBytes) return false;
  const int64_t size = rows * rowBytes;
  image.pixels.resize(static_cast<std::size_t>(size));
  if (std::fseek(f.get(), static_cast<long>(pixelOffset), SEEK_SET) != 0) return false;
  for (std::size_t done = 0; done < image.pixels.size();) {
    const std::size_t n = std::min(kBlock, image.pixels.size() - done);
    if (std::fread(image.pixels.data() + done, 1, n, f.get()) != n) return false;
    done += n;
  }
  S().overlay = std::move(image);
  return true;
}

void ConsoleDrawImage(int x, int y) {
  if (!S().overlay) return;
  S().overlay->x = x;
  S().overlay->y = y;
  ConsoleInit();
  if (ConsoleDevice::WindowDevice* window = DeviceWindow()) window->ImageChanged(ConsoleOverlay());
}

void ResetImage() { S() = State{}; }

void ConsoleRemoveImage() {
  S().overlay.reset();
  ConsoleInit();
  if (ConsoleDevice::WindowDevice* window = DeviceWindow()) window->ImageChanged(ConsoleOverlay());
  Messages::PumpMessages();
}

const Image* ConsoleOverlay() { return S().overlay ? &*S().overlay : nullptr; }

}  // namespace Console
