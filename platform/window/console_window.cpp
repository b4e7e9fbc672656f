// The window console device: an SDL window showing the cells with the console's font and
// colours, the caret, the picture, the magnifier's band and video; its keys, mouse, focus
// and close request become messages of the event loop; its clipboard is the desktop's.
#include "platform/window/console_window.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/text/cp1252.h"
#include "platform/events/messages.h"
#include "platform/events/termination.h"
#include "platform/media/video_windows.h"
#include "platform/window/window_canvas.h"
#include "platform/window/window_keys.h"

namespace ConsoleDevice {
namespace {

// Set when the connection to the display is lost: nothing may talk to it after that.
volatile bool gDisplayLost = false;
Display* gDisplay = nullptr;
XIOErrorHandler gPreviousIoHandler = nullptr;

// Xlib calls this when a display's connection breaks and ends the process when it returns.
// For the window's display the run ends as when the window is closed, without touching the
// display again; other connections keep the handler they had.
int OnDisplayLost(Display* display) {
  if (display != gDisplay) return gPreviousIoHandler ? gPreviousIoHandler(display) : 0;
  gDisplayLost = true;
  WindowFont::ReleaseFontconfig();
  std::fflush(nullptr);
  std::fprintf(stderr, "fonix: a conexão com a tela foi perdida\n");
  std::exit(3);
}

bool DisplayNamed() {
  const char* x = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x && *x) || (wayland && *wayland);
}

class Window final : public Backend, public WindowDevice {
 public:
  Window() {
    Messages::Source src;
    src.fd = [this] { return fd_; };
    src.dueInMs = [this] { return DueInMs(); };
    src.drain = [this] { Drain(); };
    source_ = Messages::AddSource(std::move(src));
    // Stop signals close the console as the close button does.
    Termination::Catch();
  }

  ~Window() override {
    Messages::RemoveSource(source_);
    Shutdown();
  }

  const char* Name() const override { return "window"; }
  WindowDevice* AsWindow() override { return this; }

  bool WorkArea(int& width, int& height) override {
    SDL_Rect area;
    if (SDL_GetDisplayUsableBounds(0, &area) != 0 && SDL_GetDisplayBounds(0, &area) != 0) area = {0, 0, 1024, 768};
    width = area.w;
    height = area.h;
    return true;
  }

  void Create(const Look& look) override {
    if (window_ || closed_) return;
    std::string error;
    if (!WindowFont::Open(canvas_.font, look, error)) {
      // Without a font the cells still show their colours; the user is told why.
      std::fprintf(stderr, "fonix: %s\n", error.c_str());
      canvas_.font.cellWidth = look.cellWidth > 0 ? look.cellWidth : 8;
      canvas_.font.cellHeight = look.cellHeight > 0 ? look.cellHeight : 16;
      canvas_.font.ascent = canvas_.font.cellHeight - 2;
    }
    if (!WindowCanvas::Make(canvas_)) return;
    const int w = WindowCanvas::Width(canvas_), h = WindowCanvas::Height(canvas_);
    Uint32 flags = SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
    if (look.maximised) flags |= SDL_WINDOW_MAXIMIZED;
    window_ = SDL_CreateWindow(Cp1252::ToUtf8(title_).c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, w, h, flags);
    if (!window_) {
      std::fprintf(stderr, "fonix: não foi possível criar a janela: %s\n", SDL_GetError());
      return;
    }
    SDL_SetWindowMinimumSize(window_, 16 * canvas_.font.cellWidth, 4 * canvas_.font.cellHeight);
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window_, &info)) {
      if (info.subsystem == SDL_SYSWM_X11) {
        handle_ = info.info.x11.window;
        display_ = info.info.x11.display;
        fd_ = ConnectionNumber(display_);
        gDisplay = display_;
        if (!gPreviousIoHandler) gPreviousIoHandler = XSetIOErrorHandler(OnDisplayLost);
      }
    }
    // Elsewhere (Wayland) the window's own number stands for it.
    if (handle_ == 0) handle_ = SDL_GetWindowID(window_);
    SDL_StartTextInput();
    SDL_ShowWindow(window_);
    SDL_RaiseWindow(window_);
    Present(true);
    // Other programs may look for the window by its handle at once (video, tests).
    if (display_) XSync(display_, False);
  }

  void DrawSpan(const ScreenView& view, int row, int colBegin, int colEnd) override {
    view_ = view;
    if (!window_) return;
    WindowCanvas::PaintCells(canvas_, view, row, colBegin, colEnd);
    UpdateCaret();
    Present(false);
  }

  void Redraw(const ScreenView& view) override {
    view_ = view;
    if (!window_) return;
    WindowCanvas::PaintAll(canvas_, view);
    UpdateCaret();
    Present(false);
  }

  void MoveCursor(const ScreenView& view) override {
    view_ = view;
    if (!window_) return;
    UpdateCaret();
    Present(false);
  }

  void SetReading(bool reading) override {
    if (reading == reading_) return;
    reading_ = reading;
    if (!window_) return;
    UpdateCaret();
    Present(false);
  }

  void SetTitle(std::string_view title) override {
    title_.assign(title);
    if (window_) SDL_SetWindowTitle(window_, Cp1252::ToUtf8(title_).c_str());
  }

  void SetVisibility(Visibility visibility) override {
    if (!window_) return;
    if (visibility == Visibility::Hidden) {
      SDL_MinimizeWindow(window_);
      minimizeAsked_ = true;
    } else {
      // SDL restores only a window it knows to be minimised, and the window manager's word on
      // a minimise just asked for may not have come yet: it is awaited (at most 500 ms).
      for (int i = 0; i < 50 && minimizeAsked_ && !(SDL_GetWindowFlags(window_) & SDL_WINDOW_MINIMIZED); ++i) {
        SDL_PumpEvents();
        SDL_Delay(10);
      }
      minimizeAsked_ = false;
      SDL_RestoreWindow(window_);
      SDL_RaiseWindow(window_);
    }
  }

  void ImageChanged(const Picture* picture) override {
    if (!window_) return;
    WindowCanvas::SetPicture(canvas_, picture);
    Present(false);
  }

  void ShowBand(const ScreenView& view, const Band& band) override {
    view_ = view;
    if (!window_) return;
    WindowCanvas::SetBand(canvas_, view, &band);
    Present(false);
  }

  void HideBand(const ScreenView& view) override {
    view_ = view;
    if (!window_) return;
    WindowCanvas::SetBand(canvas_, view, nullptr);
    Present(false);
  }

  void DiscardTypedKeys() override {
    if (!window_) return;
    SDL_PumpEvents();
    SDL_FlushEvent(SDL_KEYDOWN);
    SDL_FlushEvent(SDL_TEXTINPUT);
  }

  uint8_t Modifiers() const override { return WindowKeys::Modifiers(SDL_GetModState()); }
  bool InputExhausted() const override { return false; }
  uint64_t WindowHandle() const override { return handle_; }

  bool CopyText(std::string_view text) override {
    if (closed_) return false;
    return SDL_SetClipboardText(Cp1252::ToUtf8(text).c_str()) == 0;
  }

  bool PasteText(std::string& text) override {
    if (closed_) return false;
    text.clear();
    if (!SDL_HasClipboardText()) return true;
    char* utf8 = SDL_GetClipboardText();
    if (!utf8) return true;
    text = Cp1252::FromUtf8(utf8);
    SDL_free(utf8);
    return true;
  }

  void Shutdown() override {
    if (closed_) return;
    closed_ = true;
    if (gDisplayLost) return;
    WindowFont::Close(canvas_.font);
    canvas_ = WindowCanvas::State{};
    if (window_) SDL_DestroyWindow(window_);
    window_ = nullptr;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }

 private:
  void UpdateCaret() { WindowCanvas::SetCaret(canvas_, reading_ && focused_, view_); }

  int DueInMs() {
    if (Termination::Requested() && !closeSent_) return 0;
    if (closed_ || !window_) return -1;
    if (SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) return 0;
    if (display_ && XEventsQueued(display_, QueuedAlready) > 0) return 0;
    if (VideoWindows::Showing(handle_) != videoShown_) return 0;
    return fd_ >= 0 ? -1 : 50;  // without a descriptor to wait on, look now and then
  }

  void PostClose() {
    if (closeSent_) return;
    closeSent_ = true;
    Messages::Message m;
    m.kind = Messages::Kind::Close;
    Messages::Post(m);
  }

  void Drain() {
    if (Termination::Requested()) PostClose();
    if (closed_ || !window_) return;
    SDL_PumpEvents();
    bool full = false;
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
      if (e.type == SDL_QUIT) {
        PostClose();
      } else if (e.type == SDL_WINDOWEVENT) {
        switch (e.window.event) {
          case SDL_WINDOWEVENT_CLOSE: PostClose(); break;
          case SDL_WINDOWEVENT_FOCUS_GAINED:
          case SDL_WINDOWEVENT_FOCUS_LOST: {
            focused_ = e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED;
            Messages::Message m;
            m.kind = Messages::Kind::Focus;
            m.value = focused_ ? 1 : 0;
            m.mods = focused_ ? static_cast<uint8_t>(SDL_GetMouseState(nullptr, nullptr) & 7) : 0;
            Messages::Post(m);
            UpdateCaret();
            break;
          }
          case SDL_WINDOWEVENT_SIZE_CHANGED:
          case SDL_WINDOWEVENT_RESIZED:
          case SDL_WINDOWEVENT_EXPOSED:
          case SDL_WINDOWEVENT_RESTORED:
          case SDL_WINDOWEVENT_MAXIMIZED:
          case SDL_WINDOWEVENT_SHOWN: full = true; break;
          default: break;
        }
      } else {
        for (const Messages::Message& m : WindowKeys::Translate(e)) Messages::Post(m);
      }
    }
    const bool video = VideoWindows::Showing(handle_);
    if (video != videoShown_) {
      videoShown_ = video;
      full = true;
    }
    Present(full);
  }

  // Shows what changed; `full`: the whole window (it was uncovered, resized or restored).
  void Present(bool full) {
    if (!window_ || gDisplayLost) return;
    if (VideoWindows::Showing(handle_)) return;  // the video owns the window meanwhile
    const SDL_Rect changed = WindowCanvas::Compose(canvas_);
    if (!full && changed.w <= 0) return;
    SDL_Surface* surface = SDL_GetWindowSurface(window_);
    if (!surface) return;
    SDL_Surface* frame = canvas_.frame.get();
    if (surface->w == frame->w && surface->h == frame->h) {
      SDL_Rect r = full ? SDL_Rect{0, 0, frame->w, frame->h} : changed;
      SDL_Rect to = r;
      SDL_BlitSurface(frame, &r, surface, &to);
      SDL_UpdateWindowSurfaceRects(window_, &r, 1);
      return;
    }
    // Another size: the whole grid is scaled into the window, keeping its proportions.
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
    SDL_Rect to;
    if (static_cast<int64_t>(surface->w) * frame->h <= static_cast<int64_t>(surface->h) * frame->w) {
      to.w = surface->w;
      to.h = static_cast<int>(static_cast<int64_t>(frame->h) * surface->w / frame->w);
    } else {
      to.h = surface->h;
      to.w = static_cast<int>(static_cast<int64_t>(frame->w) * surface->h / frame->h);
    }
    to.x = (surface->w - to.w) / 2;
    to.y = (surface->h - to.h) / 2;
    if (to.w > 0 && to.h > 0) SDL_BlitScaled(frame, nullptr, surface, &to);
    SDL_UpdateWindowSurface(window_);
  }

  WindowCanvas::State canvas_;
  SDL_Window* window_ = nullptr;
  bool minimizeAsked_ = false;  // TELA MINIMIZADA asked, TELA NORMAL not yet
  Display* display_ = nullptr;
  int fd_ = -1;
  uint64_t handle_ = 0;
  std::string title_;
  ScreenView view_;
  bool reading_ = false;
  bool focused_ = false;
  bool closed_ = false;
  bool closeSent_ = false;
  bool videoShown_ = false;
  int source_ = 0;
};

}  // namespace

bool DisplayOpens() {
  if (!DisplayNamed()) return false;
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // The frame goes to the window as an image (shared memory on X11). An accelerated window
  // surface would make the window anew under another handle, one that scripts already hold.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

std::unique_ptr<Backend> OpenWindow(std::string& error) {
  if (!DisplayOpens()) {
    error = std::string("não foi possível abrir a tela: ") + (DisplayNamed() ? SDL_GetError() : "DISPLAY não definido");
    return nullptr;
  }
  return std::make_unique<Window>();
}

}  // namespace ConsoleDevice
