// Pictures (IMAGEM with bitmaps and JPEG) and the magnifier's band drawn in the console
// window, read back from the X server; bad pictures fail without harm.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "interpreter/commands.h"
#include "tests/platform/window/window_fixture.h"
// libjpeg's header needs FILE and size_t declared first.
#include <jpeglib.h>

namespace {

void Put16(std::string& s, std::size_t at, uint32_t v) {
  s[at] = static_cast<char>(v & 255);
  s[at + 1] = static_cast<char>((v >> 8) & 255);
}
void Put32(std::string& s, std::size_t at, uint32_t v) {
  Put16(s, at, v);
  Put16(s, at + 2, v >> 16);
}

// A 24-bit bitmap of one colour.
std::string Bitmap(int w, int h, Rgb c) {
  const int rowBytes = (w * 3 + 3) / 4 * 4;
  std::string s(54 + static_cast<std::size_t>(rowBytes * h), '\0');
  s[0] = 'B';
  s[1] = 'M';
  Put32(s, 2, static_cast<uint32_t>(s.size()));
  Put32(s, 10, 54);
  Put32(s, 14, 40);
  Put32(s, 18, static_cast<uint32_t>(w));
  Put32(s, 22, static_cast<uint32_t>(h));
  Put16(s, 26, 1);
  Put16(s, 28, 24);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const std::size_t at = 54 + static_cast<std::size_t>(y * rowBytes + 3 * x);
      s[at] = static_cast<char>(c.b);
      s[at + 1] = static_cast<char>(c.g);
      s[at + 2] = static_cast<char>(c.r);
    }
  return s;
}

// A JPEG of one colour (gray: one component).
std::string Jpeg(int w, int h, Rgb c, bool gray) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &out, &size);
  info.image_width = static_cast<JDIMENSION>(w);
  info.image_height = static_cast<JDIMENSION>(h);
  info.input_components = gray ? 1 : 3;
  info.in_color_space = gray ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 100, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<unsigned char> row(static_cast<std::size_t>(w * info.input_components));
  for (int x = 0; x < w; ++x) {
    if (gray) {
      row[static_cast<std::size_t>(x)] = static_cast<unsigned char>(c.r);
    } else {
      row[static_cast<std::size_t>(3 * x)] = static_cast<unsigned char>(c.r);
      row[static_cast<std::size_t>(3 * x + 1)] = static_cast<unsigned char>(c.g);
      row[static_cast<std::size_t>(3 * x + 2)] = static_cast<unsigned char>(c.b);
    }
  }
  while (info.next_scanline < info.image_height) {
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&info, &r, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::string bytes(reinterpret_cast<char*>(out), size);
  std::free(out);
  return bytes;
}

bool Near(Rgb a, Rgb b) { return std::abs(a.r - b.r) <= 6 && std::abs(a.g - b.g) <= 6 && std::abs(a.b - b.b) <= 6; }

TEST_F(WindowTest, BitmapAndJpegPicturesAreDrawnAtTheirPositionAndRemoved) {
  drive_.Write(drive_.c / "vermelho.bmp", Bitmap(20, 10, kRed));
  drive_.Write(drive_.c / "foto.jpeg", Jpeg(24, 16, {40, 200, 90}, false));
  drive_.Write(drive_.c / "cinza.JPG", Jpeg(16, 16, {128, 128, 128}, true));

  ASSERT_TRUE(Commands::Imagem("\"c:\\vermelho.bmp\" 30 40"));
  ASSERT_TRUE(PumpUntil([&] { return Count(30, 40, 20, 10, kRed) == 200; })) << "the bitmap is not at 30, 40";
  EXPECT_EQ(Count(28, 38, 2, 14, kRed), 0);
  EXPECT_EQ(Count(50, 40, 2, 10, kRed), 0);

  // A new picture replaces the old one; the JPEG's temporary bitmap is gone afterwards, and
  // the user's own c:\$$$.bmp (a red picture of its own) is neither shown nor touched.
  const std::string users = Bitmap(30, 30, kRed);
  drive_.Write(drive_.c / "$$$.bmp", users);
  const auto temporaries = [] {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::temp_directory_path()))
      count += entry.path().filename().string().starts_with("fonix-imagem-");
    return count;
  };
  const auto ReadBytes = [](const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const int before = temporaries();
  ASSERT_TRUE(Commands::Imagem("\"c:\\foto.jpeg\" 100 50"));
  ASSERT_TRUE(PumpUntil([&] { return Near(Pixel(110, 58), {40, 200, 90}); })) << "the JPEG is not at 100, 50";
  EXPECT_EQ(Count(30, 40, 20, 10, kRed), 0) << "the previous picture stayed";
  EXPECT_TRUE(Near(Pixel(100, 50), {40, 200, 90}));
  EXPECT_TRUE(Near(Pixel(123, 65), {40, 200, 90}));
  EXPECT_EQ(Pixel(124, 58), kBlack);
  EXPECT_TRUE(ReadBytes(drive_.c / "$$$.bmp") == users) << "the user's c:\\$$$.bmp changed";
  EXPECT_EQ(temporaries(), before);

  // A grayscale JPEG (an 8-bit palette bitmap on the way) at 0, 0, the default position.
  ASSERT_TRUE(Commands::Imagem("\"c:\\cinza.JPG\""));
  ASSERT_TRUE(PumpUntil([&] { return Near(Pixel(8, 8), {128, 128, 128}); }));
  EXPECT_TRUE(ReadBytes(drive_.c / "$$$.bmp") == users) << "the user's c:\\$$$.bmp changed";
  EXPECT_EQ(temporaries(), before);
  std::filesystem::remove(drive_.c / "$$$.bmp");

  // Text written over the picture's place does not remove it; IMAGEM alone does.
  Console::ConsoleGotoXY(1, 1);
  Console::ConsoleWrite("  ");
  ASSERT_TRUE(Commands::Imagem(""));
  ASSERT_TRUE(PumpUntil([&] { return Count(0, 0, 16, 16, kBlack) == 256; }));
}

TEST_F(WindowTest, BadPicturesFailUnlessOptionalAndLeaveTheWindowAlone) {
  const std::string good = Jpeg(32, 32, {200, 30, 30}, false);
  drive_.Write(drive_.c / "cortada.jpg", good.substr(0, good.size() / 2));
  drive_.Write(drive_.c / "falsa.jpg", std::string("\x89PNG\r\n\x1a\n", 8) + std::string(200, 'x'));
  // A header that says 20000 x 20000: no memory is spent on it.
  std::string huge = Jpeg(8, 8, {10, 10, 10}, false);
  const std::size_t sof = huge.find("\xFF\xC0");
  ASSERT_NE(sof, std::string::npos);
  huge[sof + 5] = static_cast<char>(20000 >> 8);
  huge[sof + 6] = static_cast<char>(20000 & 255);
  huge[sof + 7] = static_cast<char>(20000 >> 8);
  huge[sof + 8] = static_cast<char>(20000 & 255);
  drive_.Write(drive_.c / "enorme.jpg", huge);
  drive_.Write(drive_.c / "curto.bmp", Bitmap(4, 4, kRed).substr(0, 30));

  for (const char* name : {"cortada.jpg", "falsa.jpg", "enorme.jpg", "curto.bmp", "nada.bmp"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(Commands::Imagem(std::string("\"c:\\") + name + "\" 10 10"));
    EXPECT_TRUE(Commands::Imagem(std::string("\"c:\\") + name + "\" 10 10 &"));
    EXPECT_EQ(Console::ConsoleOverlay(), nullptr);
    EXPECT_FALSE(std::filesystem::exists(drive_.c / "$$$.bmp"));
  }
  // Coordinates that are no numbers, and words after them, fail the command.
  drive_.Write(drive_.c / "ok.bmp", Bitmap(4, 4, kRed));
  EXPECT_FALSE(Commands::Imagem("\"c:\\ok.bmp\" 10"));
  EXPECT_FALSE(Commands::Imagem("\"c:\\ok.bmp\" 10 x"));
  EXPECT_FALSE(Commands::Imagem("\"c:\\ok.bmp\" 10 10 20"));
  // A picture far outside the window costs nothing and shows nothing.
  EXPECT_TRUE(Commands::Imagem("\"c:\\ok.bmp\" 100000 -100000"));
  EXPECT_TRUE(PumpUntil([&] { return Count(0, 0, 80 * kCellW, 4 * kCellH, kRed) == 0; }));
}

TEST_F(WindowTest, TheBandShowsTheTextEnlargedInItsThreeColoursAndGoesAway) {
  Console::ConsoleSetBackground(4);
  Console::ConsoleWrite("      ");
  Console::ConsoleGotoXY(1, 3);
  Console::ConsoleWrite("      ");
  ASSERT_TRUE(PumpUntil([&] { return CountInCell(1, 3, kRed) == kCellW * kCellH; }));
  // Zoom 4: 20 characters of 32 x 64 pixels from the top row down over rows 1 to 4.
  Magnifier::MagnifierSetColours(14, 6, 3);
  Magnifier::MagnifierStart(1, 4);
  Magnifier::MagnifierShow("MMMMMMMM", 3);
  const int zw = 4 * kCellW, zh = 4 * kCellH;
  ASSERT_TRUE(PumpUntil([&] { return Count(0, 0, zw, zh, kYellow) > 100; })) << "no enlarged text in the band";
  // The cursor stands on the third M: the one before it is in the cursor colour, the others
  // in the text colour.
  EXPECT_EQ(Count(0, 0, zw, zh, kCyan), 0);
  EXPECT_GT(Count(zw, 0, zw, zh, kCyan), 100);
  EXPECT_EQ(Count(zw, 0, zw, zh, kYellow), 0);
  EXPECT_GT(Count(2 * zw, 0, zw, zh, kYellow), 100);
  EXPECT_EQ(Count(2 * zw, 0, zw, zh, kCyan), 0);
  EXPECT_EQ(Count(19 * zw, 0, zw, zh, kBrown), zw * zh) << "the band's blanks are in its background";
  EXPECT_EQ(Count(0, zh, 80 * kCellW, kCellH, kBrown), 0) << "the band is the zoom's rows high";
  EXPECT_EQ(CountInCell(1, 3, kRed), 0) << "row 3 lies under the band";
  Magnifier::MagnifierHide();
  ASSERT_TRUE(PumpUntil([&] { return CountInCell(1, 3, kRed) == kCellW * kCellH; })) << "the rows stayed covered";
  EXPECT_EQ(Count(0, 0, 80 * kCellW, zh, kBrown), 0);
  EXPECT_EQ(Count(0, 0, 80 * kCellW, zh, kCyan), 0);
}

}  // namespace
