// A window-system client for the program test: waits until the display shows a top-level
// window that takes close requests, then asks every such window to close, as a user's click
// on its close box does. Exits 0 once it asked, 1 when no window came within the time.
//   x_close [SECONDS]

#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

// Top-level windows that are shown and speak the close protocol.
std::vector<Window> closable(Display* display, Atom deleteWindow) {
  std::vector<Window> out;
  Window root = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0) {
    return out;
  }
  for (unsigned i = 0; i < count; ++i) {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, children[i], &attributes) == 0) continue;
    if (attributes.map_state != IsViewable || attributes.override_redirect) continue;
    Atom* atoms = nullptr;
    int n = 0;
    if (XGetWMProtocols(display, children[i], &atoms, &n) == 0) continue;
    for (int j = 0; j < n; ++j) {
      if (atoms[j] == deleteWindow) out.push_back(children[i]);
    }
    XFree(atoms);
  }
  if (children != nullptr) XFree(children);
  return out;
}

}  // namespace

int main(int argc, char* argv[]) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "x_close: no display\n");
    return 1;
  }
  const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
  const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  std::vector<Window> windows;
  while ((windows = closable(display, deleteWindow)).empty()) {
    if (std::chrono::steady_clock::now() > deadline) {
      XCloseDisplay(display);
      std::fprintf(stderr, "x_close: no window to close\n");
      return 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  for (Window w : windows) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = protocols;
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(deleteWindow);
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, w, False, NoEventMask, &e);
  }
  XFlush(display);
  XCloseDisplay(display);
  return 0;
}
