// The capture audio device (FONIX_AUDIO=capture:FILE): every sample that plays is appended to
// one WAV file, taken at the real rate like a sound card would. The file is created anew
// when the device starts; its format is that of the first sound played, and a later sound of
// another format is converted to it (channels mixed or copied, 8/16 bits rescaled, the rate
// changed by linear interpolation). The header is rewritten after every block written, so
// the file is a valid WAV whenever and however the program ends.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/audio/waveout_queue.h"
#include "platform/wave/wave_header.h"

namespace WaveOut {
namespace {

class CaptureDevice final : public PacedDevice {
 public:
  CaptureDevice(const std::string& path, std::vector<std::string> names) : names_(std::move(names)) {
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    WriteHeader();
    PacerStart(pacer_, Sink, this);
  }
  ~CaptureDevice() override {
    PacerStop(pacer_);
    if (fd_ >= 0) ::close(fd_);
  }
  const char* Name() const override { return "capture"; }
  std::vector<std::string> OutputNames() override { return names_; }
  int Open(int index, const Format& format) override { return OpenWith(index, format, nullptr, nullptr); }
  int OpenStream(int index, const Format& format, RenderFn render, void* context) override {
    return OpenWith(index, format, render, context);
  }
 private:
  static constexpr uint32_t kMaxData = 0xFFFFFFFFu - 36;

  int OpenWith(int index, const Format& format, RenderFn render, void* context) {
    if (fd_ < 0) return kErrNoDriver;
    if (index >= static_cast<int>(names_.size())) return kErrBadDevice;
    return PacerOpen(pacer_, format, render, context);
  }

  // The rest runs on the pacer's thread only (and the constructor, before it starts).
  void WriteHeader() {
    if (fd_ < 0) return;
    const Format& f = haveFormat_ ? file_ : Format{16000, 16, 1};
    uint8_t h[WaveHeader::kSize];
    WaveHeader::Write(h, f.rate, f.channels, f.bits, dataBytes_);
    [[maybe_unused]] ssize_t n = ::pwrite(fd_, h, sizeof h, 0);
  }

  void Append(const uint8_t* data, std::size_t bytes) {
    if (fd_ < 0 || bytes == 0) return;
    bytes = std::min<std::size_t>(bytes, kMaxData - dataBytes_);
    const ssize_t n = ::pwrite(fd_, data, bytes, 44 + static_cast<off_t>(dataBytes_));
    if (n <= 0) return;
    dataBytes_ += static_cast<uint32_t>(n);
    uint8_t size[4];
    WaveHeader::PutSize(size, 36 + dataBytes_);
    [[maybe_unused]] ssize_t a = ::pwrite(fd_, size, 4, 4);
    WaveHeader::PutSize(size, dataBytes_);
    [[maybe_unused]] ssize_t b = ::pwrite(fd_, size, 4, 40);
  }

  static void Sink(void* context, const uint8_t* data, std::size_t bytes, const Format& format, int segment) {
    static_cast<CaptureDevice*>(context)->Take(data, bytes, format, segment);
  }

  void Take(const uint8_t* data, std::size_t bytes, const Format& format, int segment) {
    if (segment != segment_) {
      segment_ = segment;
      if (!haveFormat_) {
        haveFormat_ = true;
        file_ = format;
        WriteHeader();
      }
      havePrev_ = false;
      pos_ = 0;
    }
    if (format == file_) return Append(data, bytes);
    Convert(data, bytes, format);
  }

  int32_t Decode(const uint8_t* p, int bits) const {
    if (bits == 8) return (static_cast<int32_t>(p[0]) - 128) * 256;
    return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
  }

  void Emit(const int32_t* frame) {
    if (outLen_ + 16 > sizeof out_) Flush();
    for (int c = 0; c < file_.channels; ++c) {
      const int32_t v = std::clamp(frame[c], -32768, 32767);
      if (file_.bits == 8) {
        out_[outLen_++] = static_cast<uint8_t>((v >> 8) + 128);
      } else {
        out_[outLen_++] = static_cast<uint8_t>(v & 0xFF);
        out_[outLen_++] = static_cast<uint8_t>((v >> 8) & 0xFF);
      }
    }
  }

  void Flush() {
    Append(out_, outLen_);
    outLen_ = 0;
  }

  void Convert(const uint8_t* data, std::size_t bytes, const Format& in) {
    const std::size_t align = static_cast<std::size_t>(in.BlockAlign());
    const double step = double(in.rate) / double(file_.rate);
    const int sampleBytes = in.bits / 8;
    for (std::size_t at = 0; at + align <= bytes; at += align) {
      int32_t cur[8];
      int32_t sum = 0;
      int32_t raw[8];
      for (int c = 0; c < in.channels; ++c) {
        raw[c] = Decode(data + at + c * sampleBytes, in.bits);
        sum += raw[c];
      }
      for (int c = 0; c < file_.channels; ++c)
        cur[c] = file_.channels == 1 ? sum / in.channels : raw[std::min(c, in.channels - 1)];
      if (!havePrev_) {
        std::copy(cur, cur + file_.channels, prev_);
        havePrev_ = true;
      }
      int32_t mixed[8];
      while (pos_ < 1.0) {
        for (int c = 0; c < file_.channels; ++c)
          mixed[c] = static_cast<int32_t>(prev_[c] + (cur[c] - prev_[c]) * pos_);
        Emit(mixed);
        pos_ += step;
      }
      pos_ -= 1.0;
      std::copy(cur, cur + file_.channels, prev_);
    }
    Flush();
  }

  std::vector<std::string> names_;
  int fd_ = -1;
  bool haveFormat_ = false;
  Format file_;
  uint32_t dataBytes_ = 0;
  int segment_ = 0;
  bool havePrev_ = false;
  int32_t prev_[8] = {};
  double pos_ = 0;
  uint8_t out_[8192];
  std::size_t outLen_ = 0;
};

}  // namespace

std::unique_ptr<Device> OpenCapture(const std::string& path, std::vector<std::string> names) {
  return std::make_unique<CaptureDevice>(path, std::move(names));
}

std::string CaptureMidiPath(const std::string& capturePath) {
  const std::size_t slash = capturePath.find_last_of('/');
  const std::size_t dot = capturePath.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return capturePath + "-midi.wav";
  return capturePath.substr(0, dot) + "-midi" + capturePath.substr(dot);
}

}  // namespace WaveOut
