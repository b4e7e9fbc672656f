// Video into a window of the X display. A handle is checked on a connection of our own with
// an error handler of our own, so that a stale or made-up handle only means "no video"
// instead of Xlib's default reaction to an error, which ends the process.
#include "platform/media/mci_video.h"

#include <X11/Xlib.h>
#include <gst/video/videooverlay.h>

#include <cstdlib>
#include <initializer_list>

#include "platform/media/video_windows.h"

namespace MciVideo {
namespace {

bool gBadWindow = false;

// The sink's bin is gone: the window is no longer drawn into.
void SinkGone(gpointer handle, GObject*) { VideoWindows::Stopped(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(handle))); }

int NoteError(Display*, XErrorEvent*) {
  gBadWindow = true;
  return 0;
}

}  // namespace

bool UsableWindow(uint64_t handle) {
  if (handle == 0 || handle > 0xFFFFFFFFu) return false;
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name) return false;
  Display* display = XOpenDisplay(name);
  if (!display) return false;
  gBadWindow = false;
  XErrorHandler previous = XSetErrorHandler(NoteError);
  XWindowAttributes attributes;
  const Status ok = XGetWindowAttributes(display, static_cast<Window>(handle), &attributes);
  XSync(display, False);
  XSetErrorHandler(previous);
  XCloseDisplay(display);
  return ok != 0 && !gBadWindow;
}

GstElement* MakeSink(uint64_t handle) {
  GstElement* bin = gst_bin_new(nullptr);
  GstElement* convert = gst_element_factory_make("videoconvert", nullptr);
  GstElement* scale = gst_element_factory_make("videoscale", nullptr);
  GstElement* sink = gst_element_factory_make("ximagesink", nullptr);
  if (!convert || !scale || !sink) {
    for (GstElement* e : {convert, scale, sink})
      if (e) gst_object_unref(gst_object_ref_sink(e));
    gst_object_unref(gst_object_ref_sink(bin));
    return nullptr;
  }
  // The picture follows the window's size; the console draws nothing over it.
  g_object_set(sink, "force-aspect-ratio", TRUE, "handle-events", FALSE, nullptr);
  gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(sink), static_cast<guintptr>(handle));
  gst_bin_add_many(GST_BIN(bin), convert, scale, sink, nullptr);
  gst_element_link_many(convert, scale, sink, nullptr);
  GstPad* pad = gst_element_get_static_pad(convert, "sink");
  gst_element_add_pad(bin, gst_ghost_pad_new("sink", pad));
  gst_object_unref(pad);
  VideoWindows::Started(handle);
  g_object_weak_ref(G_OBJECT(bin), SinkGone, reinterpret_cast<gpointer>(static_cast<uintptr_t>(handle)));
  return bin;
}

}  // namespace MciVideo
