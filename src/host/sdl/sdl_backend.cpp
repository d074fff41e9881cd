#include "host/sdl/sdl_backend.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "host/deadline_wait.h"
#include "host/display_choice.h"
#include "host/pointer_router.h"
#include "host/sdl/hand_cursor.h"
#include "host/sdl/sdl_audio.h"
#include "host/sdl/sdl_desktop.h"
#include "host/sdl/sdl_exit.h"
#include "host/sdl/sdl_handles.h"
#include "host/sdl/sdl_icon.h"
#include "host/sdl/sdl_keys.h"
#include "host/sdl/sdl_present.h"
#include "host/sdl/sdl_screen_pointer.h"
#include "host/sdl/sdl_text.h"
#include "host/sdl/sdl_xsettings.h"
#include "host/sdl/wayland_cursor.h"
#include "host/sdl/wayland_frames.h"
#include "host/sdl/wayland_present.h"
#include "host/sdl/x_put.h"

namespace host::sdl {

namespace {

Micros Clock() {
  // The same clock the kernel measures poll() timeouts against.
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// How long the program must have had nothing to present before the window system reads ahead
// the pictures it has not seen yet.
constexpr Micros kReadAheadDelay = 300 * kMillis;

class SdlWindow;
class OverlayWindow;

// Overlays are numbered apart from SDL's windows, which count up from 1.
constexpr int kFirstOverlayId = 1 << 24;

}  // namespace

// What the backend, its windows and its sounds share. Windows and sounds hold it weakly, so
// they turn inert once the backend is gone.
struct Context final : PointerRouter::Geometry {
  void SetCursor(CursorKind kind);
  // When a window next has the window system read ahead the pictures it has not seen; -1 for
  // never.
  Micros ReadAheadDue() const;
  void ReadAhead(Micros now);
  // When a wait for input must end at the latest, for `deadline`, the sound device or the
  // read-ahead; the read-ahead that is due is done first.
  Micros WakeFor(Micros now, Micros deadline);
  SdlWindow* Find(int id) const;
  OverlayWindow* FindOverlay(int id) const;
  void FollowScreen();
  bool WindowRect(int window, Rect& rect) const override;
  bool Pointer(int& x, int& y) const override;
  // The window a pointer event on SDL's `window` belongs to, with (x, y) turned into its
  // coordinates: an overlay when the event lies over one, or when the overlay holds the press.
  int Aim(int window, int& x, int& y);
  // The window that the pointer leaving or entering SDL's `window` concerns.
  int Crossed(int window) const;
  // Draws the windows whose overlays changed since they were last drawn, or whose frames waited
  // for the compositor.
  void DrawPending();
  // Hands what the Wayland compositor said to the program's own objects (cursor, frames).
  void DispatchWayland();

  std::vector<SdlWindow*> windows;       // in creation order
  std::vector<OverlayWindow*> overlays;  // in creation order, so the last one is on top
  int nextOverlayId = kFirstOverlayId;
  int hostPointerWindow = 0;  // where the pointer last was on a host window
  int hostPointerX = 0, hostPointerY = 0;
  std::deque<InputEvent> pending;  // translated, not yet handed out
  PointerRouter pointer{*this};
  // None until the first window is made: until then SDL's own default is set.
  std::optional<CursorKind> cursor;
  bool handUnavailable = false;
  bool arrowUnavailable = false;
  CursorPtr hand;
  CursorPtr arrow;
  // On Wayland the hand is set by the program itself, sharp at the screen's scale.
  std::unique_ptr<WaylandCursor> waylandCursor;
  TextRenderer text;
  KeyReader keys;
  ScreenWatch screens;
  bool screenChanged = false;  // the event filter heard of it; the loop has not followed it yet
  // Where pictures are held so that the window system copies them itself: shared memory the X
  // server reads, or else (SDL's renderer) textures uploaded once.
  std::shared_ptr<SharedPixels> sharedPixels;
  std::shared_ptr<WaylandPixels> waylandPixels;  // memory files the Wayland compositor maps
  bool textures = false;
  // Declared last so that it goes first: the mixer runs on a thread of its own.
  AudioEngine audio{&Clock};
};

namespace {

class SdlWindow final : public NativeWindow {
 public:
  SdlWindow(const std::shared_ptr<Context>& context, WindowPtr window, bool fullScreen)
      : context_(context),
        window_(std::move(window)),
        id_(window_ ? static_cast<int>(SDL_GetWindowID(window_.get())) : 0),
        fullScreen_(fullScreen) {
    if (window_) context->windows.push_back(this);
    // On X11, with the surface in shared memory, a full-screen window's first frames go to the
    // server directly (see x_put.h); elsewhere the surface is used from the first frame on.
    drawDirect_ = window_ && fullScreen_ &&
                  !SDL_GetHintBoolean(SDL_HINT_FRAMEBUFFER_ACCELERATION, SDL_TRUE) &&
                  CanPutRows(window_.get());
    if (window_ && fullScreen_ && !drawDirect_) StartFirstTouch();
  }

  ~SdlWindow() override {
    if (firstTouch_.joinable()) firstTouch_.join();
    if (auto context = context_.lock()) {
      std::erase(context->windows, this);
      context->pointer.Forget(id_);
    }
  }

  int Id() const override { return id_; }

  void Show() override {
    if (!window_) return;
    // Mapped, the window shows its back colour at once, painted by the server.
    if (drawDirect_) SetBackground(window_.get(), background_ = BackColor());
    // A renderer made for a window SDL has already shown makes SDL make the window again, and
    // some compositors (sway) then show it as an ordinary window, not full screen.
    if (auto context = context_.lock()) MakePresenter(*context);
    SDL_ShowWindow(window_.get());
    if (fullScreen_) AskFullScreenWhenShown(window_.get());
    shown_ = true;
    // The window is mapped when SDL returns; draw now rather than wait for its first expose.
    Draw();
  }

  void Hide() override {
    if (!window_) return;
    SDL_HideWindow(window_.get());
    shown_ = false;
  }

  void Present(const WindowView& view) override {
    view_ = view;  // assignment reuses the label strings' storage from the last frame
    hasView_ = true;
    // A hidden window keeps nothing it is given; showing it draws the last view.
    if (shown_) Draw();
  }

  void SetCursor(CursorKind cursor) override {
    if (auto context = context_.lock()) context->SetCursor(cursor);
  }

  void Focus() override {
    // Without a window manager nobody else hands the focus back once another client took it.
    if (window_ && shown_ && SDL_GetKeyboardFocus() != window_.get())
      GiveKeyboardFocus(window_.get());
  }

  // The window lost its pixels.
  void Redraw() {
    whole_ = true;
    if (shown_) Draw();
  }

  // An overlay on it changed: it is drawn again before the loop next waits.
  void RequestDraw() { drawPending_ = shown_; }
  bool DrawPending() const { return drawPending_; }
  // When a frame held back for the compositor goes out anyway; -1 for none.
  Micros FrameGiveUpAt() const {
    const Uint64 at = drawPending_ && frames_ ? frames_->GiveUpAt() : 0;
    return at ? static_cast<Micros>(at) * kMillis : -1;
  }
  void DispatchFrames() {
    if (frames_) frames_->Dispatch();
  }
  Micros ReadAheadAt() const { return readAheadAt_; }
  // Pictures made since are read too, in turn, until there are no new ones.
  void ReadAhead(Micros now) {
    readAheadAt_ = direct_ && direct_->ReadAhead() ? now + kReadAheadDelay : -1;
  }

  // The backend is going away: the native window must go before SDL does.
  void Detach() {
    frames_.reset();
    direct_.reset();
    window_.reset();
    shown_ = false;
  }

  SDL_Window* Native() const { return window_.get(); }
  bool FullScreen() const { return fullScreen_; }

 private:
  void Draw();
  void MakePresenter(Context& context);  // once, before the window is first shown
  bool DrawDirect(Context& context);
  bool PutFirstFrame();
  void TakeOverFromServer(const Context& context);
  void StartFirstTouch();
  Color BackColor() const { return view_.hasBackColor ? view_.backColor : Color{}; }

  std::weak_ptr<Context> context_;
  WindowPtr window_;
  int id_;
  bool fullScreen_;
  bool shown_ = false;
  bool hasView_ = false;
  bool drawPending_ = false;
  bool drawDirect_ = false;          // the next frame may go to the server without the surface
  std::optional<Color> background_;  // what the server paints where nothing is drawn
  WindowView view_;
  std::thread firstTouch_;
  std::unique_ptr<DirectPresenter> direct_;
  std::unique_ptr<WaylandFrames> frames_;  // on Wayland: frames at the compositor's pace
  bool directTried_ = false;
  Micros readAheadAt_ = -1;
  bool whole_ = true;  // the next frame must be drawn whole, not just what changed
};

// A small window drawn inside a full-screen window's own frame. A window of its own would be at
// the desktop's mercy: on Wayland the compositor puts it where it likes and hands the focus to
// nobody when it goes; X11 window managers each stack it their own way (KWin keeps the active
// full-screen window above it, so it never shows), and those that make it the active window
// lower the scene under their panels and take the keyboard from it (xfwm4, icewm). Drawn into
// the scene, centred on it, the box is above the scene on every desktop, the scene stays full
// screen and the keyboard stays with it. The host's pointer events over it are the overlay's, in
// its own coordinates (Context::Aim), so to the core it is a window like any other.
class OverlayWindow final : public NativeWindow {
 public:
  OverlayWindow(const std::shared_ptr<Context>& context, int host, Size size)
      : context_(context), id_(context->nextOverlayId++), host_(host), size_(size) {
    context->overlays.push_back(this);
  }

  ~OverlayWindow() override {
    if (auto context = context_.lock()) {
      if (shown_) Hide();
      std::erase(context->overlays, this);
      context->pointer.Forget(id_);
    }
  }

  int Id() const override { return id_; }
  int Host() const { return host_; }
  bool Shown() const { return shown_; }

  void Show() override {
    if (shown_) return;
    shown_ = true;
    auto context = context_.lock();
    if (!context) return;
    RequestHostDraw(*context);
    // Appearing under a still pointer is the pointer's entering it, as with a real window.
    if (context->pointer.PressedWindow() == 0 && context->hostPointerWindow == host_) {
      int x = context->hostPointerX, y = context->hostPointerY;
      if (context->Aim(host_, x, y) == id_)
        context->pointer.Motion(id_, x, y, false, context->pending);
    }
  }

  void Hide() override {
    if (!shown_) return;
    shown_ = false;
    auto context = context_.lock();
    if (!context) return;
    RequestHostDraw(*context);
    // The pointer is over the host again, as after a real window went from under it.
    const bool under = context->pointer.PointerWindow() == id_;
    context->pointer.Forget(id_);
    if (under && context->hostPointerWindow == host_)
      context->pointer.Motion(host_, context->hostPointerX, context->hostPointerY, false,
                              context->pending);
  }

  void Present(const WindowView& view) override {
    view_ = view;
    hasView_ = true;
    if (!shown_) return;
    if (auto context = context_.lock()) RequestHostDraw(*context);
  }

  void SetCursor(CursorKind cursor) override {
    if (auto context = context_.lock()) context->SetCursor(cursor);
  }

  // Its place in the host window: centred on the host as the host is now.
  Rect Bounds(const Context& context) const;
  // Draws it over the host's frame in `surface`, which has `scale` pixels a point and whose
  // top-left corner is at `origin` (pixels) in the host window.
  void DrawOn(SDL_Surface* surface, const Context& context, TextRenderer& text, double scale,
              SDL_Point origin = {0, 0}) const;

 private:
  void RequestHostDraw(const Context& context) const;

  std::weak_ptr<Context> context_;
  int id_;
  int host_;
  Size size_;
  bool shown_ = false;
  bool hasView_ = false;
  WindowView view_;
};

// The window's surface, ready to draw on. With framebuffer acceleration off this is a
// shared-memory image of the window's own size; SDL makes it again by itself when the window's
// size changed. Where that is not available it is a texture SDL's renderer puts on screen (see
// SdlBackend::Create).
static SDL_Surface* DrawableSurface(SDL_Window* window) {
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  if (!surface || SDL_ISPIXELFORMAT_INDEXED(surface->format->format)) {
    // A program that shows nothing must not look as if it ran: sound over a black screen
    // would leave the user guessing.
    ExitWithError(std::string("cannot draw on this screen: ") +
                  (surface ? "it has too few colours" : SDL_GetError()));
  }
  return surface;
}

// One row of pixels, each channel scaled by brightness/256: two multiplications a pixel, red and
// blue together in one of them, which the compiler turns into vector code.
static void DimRow(std::uint32_t* to, const std::uint32_t* from, int width, std::uint32_t level) {
  for (int x = 0; x < width; ++x) {
    const std::uint32_t p = from[x];
    to[x] =
        (((p & 0xff00ffU) * level >> 8) & 0xff00ffU) | (((p & 0x00ff00U) * level >> 8) & 0x00ff00U);
  }
}

// Copies the picture to the top left of the locked surface, at the given brightness; returns the
// size it covers, or nothing when the surface could not be locked again (the frame is then given
// up).
static std::optional<Size> CopyPicture(Picture& picture, SDL_Surface* surface, bool mustLock,
                                       int brightness) {
  const int width = std::min(picture.Width(), surface->w);
  const int height = std::min(picture.Height(), surface->h);
  // Waits if the picture is still decoding. Only the rows the window shows are read, so a
  // picture taller than the screen need not be decoded below it.
  const std::uint32_t* pixels = picture.TopRows(height);
  if (surface->format->format == SDL_PIXELFORMAT_RGB888) {
    // The picture's own layout: a row copy, no conversion.
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    // 255 comes out as 256: a full-bright scale must leave every value as it is.
    const auto level = static_cast<std::uint32_t>(std::clamp(brightness, 0, 255) + 1);
    for (int y = 0; y < height; ++y) {
      auto* to = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(surface->pixels) +
                                                  static_cast<std::size_t>(y) * surface->pitch);
      const std::uint32_t* from = pixels + static_cast<std::size_t>(y) * picture.Width();
      if (level > 255) {
        std::memcpy(to, from, rowBytes);
      } else {
        DimRow(to, from, width, level);
      }
    }
    return Size{width, height};
  }
  // Any other screen layout: let SDL convert while copying.
  SurfacePtr source(
      SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(pixels), picture.Width(),
                                         height, 32, picture.Width() * 4, SDL_PIXELFORMAT_RGB888));
  if (!source) return Size{0, 0};
  SDL_SetSurfaceBlendMode(source.get(), SDL_BLENDMODE_NONE);
  const auto level = static_cast<Uint8>(std::clamp(brightness, 0, 255));
  SDL_SetSurfaceColorMod(source.get(), level, level, level);
  if (mustLock) SDL_UnlockSurface(surface);
  SDL_Rect where{0, 0, width, height};
  SDL_BlitSurface(source.get(), nullptr, surface, &where);
  if (mustLock && SDL_LockSurface(surface) != 0) return std::nullopt;
  return Size{width, height};
}

// Only what the picture leaves uncovered gets the back colour: a second pass over a whole
// screen would cost as much as the copy itself.
static void FillUncovered(SDL_Surface* surface, Size covered, Color back) {
  const Uint32 fill = SDL_MapRGB(surface->format, back.red, back.green, back.blue);
  if (covered.width < surface->w && covered.height > 0) {
    const SDL_Rect right{covered.width, 0, surface->w - covered.width, covered.height};
    SDL_FillRect(surface, &right, fill);
  }
  if (covered.height < surface->h) {
    const SDL_Rect below{0, covered.height, surface->w, surface->h - covered.height};
    SDL_FillRect(surface, &below, fill);
  }
}

Rect OverlayWindow::Bounds(const Context& context) const {
  int width = 0, height = 0;
  if (const SdlWindow* host = context.Find(host_); host && host->Native())
    SDL_GetWindowSize(host->Native(), &width, &height);
  return Rect{(width - size_.width) / 2, (height - size_.height) / 2, size_.width, size_.height};
}

// A rectangle in points, in the pixels of a surface with `scale` pixels a point.
static Rect AtScale(const Rect& r, double scale) {
  const auto pixel = [scale](int v) { return static_cast<int>(std::lround(v * scale)); };
  return Rect{pixel(r.left), pixel(r.top), pixel(r.left + r.width) - pixel(r.left),
              pixel(r.top + r.height) - pixel(r.top)};
}

// A label laid out in points, as drawn on `scale` pixels a point: its text at the pixel size is
// sharp and looks as large as on an unscaled screen.
static LabelView AtScale(LabelView label, double scale) {
  label.rect = AtScale(label.rect, scale);
  label.size = std::max(1, static_cast<int>(std::lround(label.size * scale)));
  return label;
}

void OverlayWindow::DrawOn(SDL_Surface* surface, const Context& context, TextRenderer& text,
                           double scale, SDL_Point origin) const {
  if (!hasView_) return;
  const Rect bounds = Bounds(context);
  Rect pixels = AtScale(bounds, scale);
  pixels.left -= origin.x;
  pixels.top -= origin.y;
  const SDL_Rect area{pixels.left, pixels.top, pixels.width, pixels.height};
  SDL_SetClipRect(surface, &area);
  const Color back = view_.hasBackColor ? view_.backColor : Color{};
  SDL_FillRect(surface, &area, SDL_MapRGB(surface->format, back.red, back.green, back.blue));
  if (view_.backdrop) {
    Picture& picture = *view_.backdrop;
    SurfacePtr source(SDL_CreateRGBSurfaceWithFormatFrom(picture.Pixels(), picture.Width(),
                                                         picture.Height(), 32, picture.Width() * 4,
                                                         SDL_PIXELFORMAT_RGB888));
    SDL_Rect where = area;
    if (source) SDL_BlitSurface(source.get(), nullptr, surface, &where);
  }
  SDL_SetClipRect(surface, nullptr);
  // Laid out in points on the box; placed in the window, then scaled, then moved to the surface.
  for (LabelView label : view_.labels) {
    label.rect.left += bounds.left;
    label.rect.top += bounds.top;
    if (scale != 1.0) label = AtScale(label, scale);
    label.rect.left -= origin.x;
    label.rect.top -= origin.y;
    text.Draw(surface, label);
  }
}

void OverlayWindow::RequestHostDraw(const Context& context) const {
  if (SdlWindow* host = context.Find(host_)) host->RequestDraw();
}

// Maps the pages of fresh memory in one call before they are first written, which costs about
// half as much as a fault for each (see MapRows in picture.cpp). `pixels` starts a page.
static void MapPages(void* pixels, std::size_t bytes) {
#ifdef MADV_POPULATE_WRITE
  static const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  madvise(pixels, bytes / page * page, MADV_POPULATE_WRITE);
#else
  (void)pixels, (void)bytes;
#endif
}

// Fresh memory costs a page fault per 4 KiB at its first write: some 2,000 for a screen of
// 1920x1080, which was the larger part of the first frame's cost. A shared-memory window surface
// can be made while the window is still hidden, so its pages are written once on a thread of
// their own while the main thread waits for the desktop to map the window and the first picture
// decodes. Nothing else touches the surface until the first Draw, which waits for the thread.
void SdlWindow::StartFirstTouch() {
  if (SDL_GetHintBoolean(SDL_HINT_FRAMEBUFFER_ACCELERATION, SDL_TRUE)) return;  // a texture
  // Pictures the X server reads from their own memory need no window surface.
  if (auto context = context_.lock(); context && context->sharedPixels) return;
  SDL_Surface* surface = SDL_GetWindowSurface(window_.get());
  if (!surface || !surface->pixels) return;
  auto* pixels = static_cast<std::uint8_t*>(surface->pixels);
  const std::size_t bytes = static_cast<std::size_t>(surface->h) * surface->pitch;
  try {
    firstTouch_ = std::thread([pixels, bytes] {
      MapPages(pixels, bytes);
      std::memset(pixels, 0, bytes);
    });
  } catch (const std::system_error&) {
    // No thread to spare: the first Draw pays for the pages as before.
  }
}

// Draws into `patch` what `view` shows over `area` of its window, in the window's pixels, which
// are `scale` times its points: the picture at the view's brightness, the back colour beyond it,
// and the labels and overlays that reach into it, each clipped as it is on the whole frame.
static void ComposeArea(SDL_Surface* patch, const Rect& area, const WindowView& view, int window,
                        Context& context, double scale) {
  const Color back = view.hasBackColor ? view.backColor : Color{};
  SDL_FillRect(patch, nullptr, SDL_MapRGB(patch->format, back.red, back.green, back.blue));
  if (view.backdrop) {
    const Picture& picture = *view.backdrop;
    const int width = std::min(area.left + area.width, picture.Width()) - area.left;
    const int height = std::min(area.top + area.height, picture.Height()) - area.top;
    const std::uint32_t* pixels = picture.TopRows(area.top + std::max(height, 0));
    const auto level = static_cast<std::uint32_t>(std::clamp(view.brightness, 0, 255) + 1);
    for (int y = 0; y < height && width > 0; ++y) {
      auto* to = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(patch->pixels) +
                                                  static_cast<std::size_t>(y) * patch->pitch);
      const std::uint32_t* from =
          pixels + static_cast<std::size_t>(area.top + y) * picture.Width() + area.left;
      if (level > 255) {
        std::memcpy(to, from, static_cast<std::size_t>(width) * 4);
      } else {
        DimRow(to, from, width, level);
      }
    }
  }
  for (const LabelView& label : view.labels) {
    LabelView drawn = scale == 1.0 ? label : AtScale(label, scale);
    drawn.rect.left -= area.left;
    drawn.rect.top -= area.top;
    if (drawn.rect.left >= patch->w || drawn.rect.top >= patch->h ||
        drawn.rect.left + drawn.rect.width <= 0 || drawn.rect.top + drawn.rect.height <= 0)
      continue;
    context.text.Draw(patch, drawn);
  }
  for (const OverlayWindow* overlay : context.overlays) {
    if (overlay->Host() == window && overlay->Shown())
      overlay->DrawOn(patch, context, context.text, scale, SDL_Point{area.left, area.top});
  }
}

// The picture goes to the screen without the program copying it; only the areas labels and
// overlays cover are composed here. False where that cannot be done for this view.
void SdlWindow::MakePresenter(Context& context) {
  if (directTried_) return;
  directTried_ = true;
  if (context.sharedPixels) {
    direct_ = NewSharedMemoryPresenter(window_.get(), context.sharedPixels);
  } else if (context.waylandPixels) {
    direct_ = NewWaylandPresenter(window_.get(), context.waylandPixels);
    if (!direct_) direct_ = NewTexturePresenter(window_.get());
  } else if (context.textures) {
    direct_ = NewPixmapPresenter(window_.get());
    if (!direct_) direct_ = NewTexturePresenter(window_.get());
  }
  frames_ = WaylandFrames::For(window_.get());
}

bool SdlWindow::DrawDirect(Context& context) {
  MakePresenter(context);
  if (!direct_) return false;
  // Where a desktop scales its screens (Wayland's output scale) the window has more pixels than
  // points. The pictures are made for the pixels and go on screen one for one; the labels, laid
  // out in points, are drawn at the pixels' size so that they are as sharp.
  int points = 0, pixels = 0, unused = 0;
  SDL_GetWindowSize(window_.get(), &points, &unused);
  SDL_GetWindowSizeInPixels(window_.get(), &pixels, &unused);
  const double scale = points > 0 && pixels > points ? static_cast<double>(pixels) / points : 1.0;
  std::vector<Rect> patches;
  patches.reserve(view_.labels.size());
  for (const LabelView& label : view_.labels) patches.push_back(AtScale(label.rect, scale));
  for (const OverlayWindow* overlay : context.overlays) {
    if (overlay->Host() == id_ && overlay->Shown())
      patches.push_back(AtScale(overlay->Bounds(context), scale));
  }
  const auto compose = [&](SDL_Surface* patch, const Rect& area) {
    ComposeArea(patch, area, view_, id_, context, scale);
  };
  if (!direct_->Present(view_, patches, compose, whole_)) return false;
  whole_ = false;
  // Not at once: right after the first frame the server would be busy reading while the
  // desktop shows that frame, and whatever else asks the server for something waits.
  readAheadAt_ = Clock() + kReadAheadDelay;
  return true;
}

bool SdlWindow::PutFirstFrame() {
  if (!window_ || !hasView_ || !view_.labels.empty() ||
      view_.brightness != WindowView::kFullBrightness)
    return false;
  if (auto context = context_.lock()) {
    for (const OverlayWindow* overlay : context->overlays)
      if (overlay->Host() == id_ && overlay->Shown()) return false;
  }
  // Only the back colour: the server paints it already.
  if (!view_.backdrop) return background_ == BackColor();
  int width = 0, height = 0;
  SDL_GetWindowSize(window_.get(), &width, &height);
  Picture& picture = *view_.backdrop;
  if (picture.Width() < width || picture.Height() < height) return false;
  // Goes out as it decodes; only the rows the window shows are read.
  PutRows(
      window_.get(), [&picture](int rows) { return picture.TopRows(rows); }, picture.Width(), width,
      height);
  // The surface is made and shown with this same frame on the loop's next pass: the frame
  // that first changes the picture, at the pull, then does not wait for its memory to be
  // mapped, neither here nor in the server.
  drawDirect_ = false;
  drawPending_ = true;
  return true;
}

// What is drawn from now on takes over from the server's painting, which would now only flicker
// where another window goes from over this one.
void SdlWindow::TakeOverFromServer(const Context& context) {
  background_.reset();
  SetBackground(window_.get(), std::nullopt);
  if (context.sharedPixels) return;  // the window's surface is never drawn on
  if (SDL_Surface* fresh = DrawableSurface(window_.get()))
    MapPages(fresh->pixels, static_cast<std::size_t>(fresh->h) * fresh->pitch);
}

void SdlWindow::Draw() {
  if (drawDirect_ && PutFirstFrame()) return;
  drawDirect_ = false;
  if (firstTouch_.joinable()) firstTouch_.join();
  if (!window_ || !hasView_) return;
  auto context = context_.lock();
  if (!context) return;
  if (frames_) {
    const Uint64 nowMs = static_cast<Uint64>(Clock() / kMillis);
    if (!frames_->Ready(nowMs)) {
      drawPending_ = true;  // drawn when the compositor has shown the last frame
      return;
    }
    frames_->Presenting(nowMs);
  }
  if (background_) TakeOverFromServer(*context);
  if (DrawDirect(*context)) {
    drawPending_ = false;
    context->text.EndFrame();
    return;
  }
  SDL_Surface* surface = DrawableSurface(window_.get());
  const bool mustLock = SDL_MUSTLOCK(surface);
  if (mustLock && SDL_LockSurface(surface) != 0) return;

  Size covered{0, 0};
  if (view_.backdrop) {
    const auto copied = CopyPicture(*view_.backdrop, surface, mustLock, view_.brightness);
    if (!copied) return;
    covered = *copied;
  }
  if (mustLock) SDL_UnlockSurface(surface);

  FillUncovered(surface, covered, view_.hasBackColor ? view_.backColor : Color{});
  for (const LabelView& label : view_.labels) context->text.Draw(surface, label);
  for (const OverlayWindow* overlay : context->overlays) {
    if (overlay->Host() == id_ && overlay->Shown())
      overlay->DrawOn(surface, *context, context->text, 1.0);
  }
  drawPending_ = false;
  context->text.EndFrame();
  SDL_UpdateWindowSurface(window_.get());
}

class SdlSound final : public NativeSound {
 public:
  SdlSound(const std::shared_ptr<Context>& context, std::shared_ptr<const SoundData> data)
      : context_(context), data_(std::move(data)), channel_(context->audio.AcquireChannel()) {}

  ~SdlSound() override {
    if (auto context = context_.lock()) context->audio.ReleaseChannel(channel_);
  }

  void Play() override {
    auto context = context_.lock();
    if (context && data_) context->audio.Play(channel_, *data_);
  }

  void Stop() override {
    if (auto context = context_.lock()) context->audio.Stop(channel_);
  }

 private:
  std::weak_ptr<Context> context_;
  std::shared_ptr<const SoundData> data_;
  int channel_;
};

// The first window the platform made, or the first full-screen one; null when there is none.
SdlWindow* MadeWindow(const Context& context, bool fullScreen) {
  for (SdlWindow* window : context.windows)
    if (window->Native() && (!fullScreen || window->FullScreen())) return window;
  return nullptr;
}

// The one place where SDL's events become the core's: appends what the core should hear to
// the pending queue, which may be nothing.
void Translate(Context& context, const SDL_Event& sdl) {
  using Type = InputEvent::Type;
  std::deque<InputEvent>& out = context.pending;
  InputEvent event;
  switch (sdl.type) {
    case SDL_MOUSEMOTION: {
      int x = sdl.motion.x, y = sdl.motion.y;
      const int window = context.Aim(static_cast<int>(sdl.motion.windowID), x, y);
      context.pointer.Motion(window, x, y, (sdl.motion.state & SDL_BUTTON_LMASK) != 0, out);
      return;
    }
    case SDL_MOUSEBUTTONDOWN: {
      if (sdl.button.button != SDL_BUTTON_LEFT) return;
      int x = sdl.button.x, y = sdl.button.y;
      const int window = context.Aim(static_cast<int>(sdl.button.windowID), x, y);
      context.pointer.Press(window, x, y, out);
      return;
    }
    case SDL_MOUSEBUTTONUP: {
      if (sdl.button.button != SDL_BUTTON_LEFT) return;
      int x = sdl.button.x, y = sdl.button.y;
      const int window = context.Aim(static_cast<int>(sdl.button.windowID), x, y);
      context.pointer.Release(window, x, y, out);
      return;
    }
    case SDL_WINDOWEVENT:
      event.window = static_cast<int>(sdl.window.windowID);
      switch (sdl.window.event) {
        case SDL_WINDOWEVENT_ENTER:
          context.pointer.Enter(context.Crossed(event.window));
          return;
        case SDL_WINDOWEVENT_LEAVE:
          if (context.hostPointerWindow == event.window) context.hostPointerWindow = 0;
          context.pointer.Leave(context.Crossed(event.window), out);
          return;
        case SDL_WINDOWEVENT_EXPOSED:
          // The backend keeps each window's last frame and puts it back at once; the core
          // hears of it too, in case it wants to draw something newer.
          if (SdlWindow* window = context.Find(event.window)) window->Redraw();
          event.type = Type::Expose;
          break;
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_RESTORED:
          event.type = Type::Expose;
          break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          event.type = Type::Resized;
          event.x = sdl.window.data1;
          event.y = sdl.window.data2;
          break;
        case SDL_WINDOWEVENT_CLOSE:
          event.type = Type::CloseRequest;
          break;
        default:
          return;
      }
      break;
    case SDL_QUIT:
      // SDL turns a compositor's death into a plain quit request: look at the connection.
      if (const SdlWindow* window = MadeWindow(context, false)) ExitIfDisplayLost(window->Native());
      event.type = Type::QuitRequest;
      break;
    case SDL_SYSWMEVENT:  // only the screens' changes pass the event filter
      if (std::exchange(context.screenChanged, false)) context.FollowScreen();
      return;
    case SDL_KEYDOWN:
      event.type = Type::KeyDown;
      event.window = static_cast<int>(sdl.key.windowID);
      context.keys.Read(sdl.key, event);
      break;
    case SDL_AUDIODEVICEREMOVED:
      if (!sdl.adevice.iscapture) context.audio.OnDeviceLost();
      return;
    default:
      if (sdl.type == context.audio.OpenedEventType()) {
        context.audio.OnOpenAttemptEnded();
        return;
      }
      if (sdl.type != context.audio.FinishedEventType()) return;
      context.audio.OnChannelFinished();
      event.type = Type::Wake;
      break;
  }
  out.push_back(event);
}

bool IsHeadlessDriver(const char* driver) {
  if (!driver) return true;
  if (SDL_strcasecmp(driver, "offscreen") != 0 && SDL_strcasecmp(driver, "dummy") != 0 &&
      SDL_strcasecmp(driver, "evdev") != 0) {
    return false;
  }
  const char* asked = SDL_getenv("SDL_VIDEODRIVER");
  return !(asked && SDL_strcasecmp(asked, driver) == 0);
}

std::string EnvironmentValue(const char* name) {
  const char* value = SDL_getenv(name);
  return value ? value : "";
}

DisplayEnvironment ReadDisplayEnvironment() {
  DisplayEnvironment env{EnvironmentValue("SDL_VIDEODRIVER"), EnvironmentValue("DISPLAY"),
                         EnvironmentValue("WAYLAND_DISPLAY"), EnvironmentValue("XDG_SESSION_TYPE")};
  // Looked at before SDL connects: a socket that is not there would have the Wayland library
  // print its own complaint before SDL went on to X11. A socket handed down by the compositor
  // that started the program is there by definition.
  const std::string socket = WaylandSocketPath(env.wayland, EnvironmentValue("XDG_RUNTIME_DIR"));
  struct stat status {};
  env.waylandReachable =
      !EnvironmentValue("WAYLAND_SOCKET").empty() ||
      (!socket.empty() && stat(socket.c_str(), &status) == 0 && S_ISSOCK(status.st_mode));
  return env;
}

std::string NoDisplayReason() {
  const char* x11 = SDL_getenv("DISPLAY");
  const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
  if ((!x11 || !*x11) && (!wayland || !*wayland)) return "DISPLAY is not set";
  std::string names;
  for (const char* name : {x11, wayland}) {
    if (!name || !*name) continue;
    names += names.empty() ? "" : " or ";
    names += name;
  }
  return "cannot connect to " + names;
}

}  // namespace

void Context::SetCursor(CursorKind kind) {
  if (kind == cursor) return;
  if (waylandCursor) {
    cursor = kind;
    if (kind != CursorKind::HandOpen) {
      waylandCursor->ShowSdlCursor();
      return;
    }
    // The pixels of the full-screen window a point: the output's scale, as SDL draws for it.
    int scale = 1;
    if (const SdlWindow* scene = MadeWindow(*this, true)) {
      int points = 0, pixels = 0, unused = 0;
      SDL_GetWindowSize(scene->Native(), &points, &unused);
      SDL_GetWindowSizeInPixels(scene->Native(), &pixels, &unused);
      if (points > 0) scale = std::max(1, (pixels + points - 1) / points);
    }
    waylandCursor->ShowHand(scale);
    return;
  }
  SDL_Cursor* native = nullptr;
  if (kind == CursorKind::HandOpen) {
    if (!hand && !handUnavailable) {
      hand = CreateHandCursor();
      handUnavailable = !hand;
    }
    native = hand.get();
  } else {
    // SDL's default cursor on X11 is no cursor of the window's own, which shows whatever the
    // desktop has under it. KWin puts none on its root window, so through XWayland the last
    // cursor any window set stays: the hand, after the pointer left the chain. An arrow of our
    // own is the arrow everywhere.
    if (!arrow && !arrowUnavailable) {
      arrow.reset(SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW));
      arrowUnavailable = !arrow;
    }
    native = arrow.get();
  }
  SDL_SetCursor(native ? native : SDL_GetDefaultCursor());
  cursor = kind;
}

void Context::FollowScreen() {
  SDL_Rect screen{};
  if (!screens.MainScreen(screen)) return;
  for (SdlWindow* window : windows) {
    if (!window->FullScreen() || !window->Native()) continue;
    SDL_Rect now{};
    SDL_GetWindowPosition(window->Native(), &now.x, &now.y);
    SDL_GetWindowSize(window->Native(), &now.w, &now.h);
    // The pictures chosen at the start stay; the window's resize brings a new, larger or
    // smaller, surface and a redraw with black beyond them.
    if (!SDL_RectEquals(&now, &screen)) screens.Cover(window->Native(), screen);
  }
}

namespace {

// Window-system events are on only to hear of screen changes and to read key presses by their
// raw key codes. They are read here, as SDL queues them: SDL 2 over SDL 3 hands each one over in
// memory that is gone by the time it leaves the queue. Only a screen change goes on into the
// queue, to wake the loop; the rest (one for every X event) never enter it.
int FilterEvents(void* data, SDL_Event* event) {
  if (event->type != SDL_SYSWMEVENT && event->type != SDL_KEYDOWN) return 1;
  // Both come from reading the window system, on the main thread.
  auto* context = static_cast<Context*>(data);
  context->keys.Queued(*event);
  if (event->type != SDL_SYSWMEVENT) return 1;
  if (!context->screens.IsScreenChange(*event)) return 0;
  context->screenChanged = true;
  return 1;
}

}  // namespace

SdlWindow* Context::Find(int id) const {
  for (SdlWindow* window : windows) {
    if (window->Id() == id) return window;
  }
  return nullptr;
}

OverlayWindow* Context::FindOverlay(int id) const {
  for (OverlayWindow* overlay : overlays) {
    if (overlay->Id() == id) return overlay;
  }
  return nullptr;
}

bool Context::WindowRect(int window, Rect& rect) const {
  if (const OverlayWindow* overlay = FindOverlay(window)) {
    if (!WindowRect(overlay->Host(), rect)) return false;
    const Rect bounds = overlay->Bounds(*this);
    rect = Rect{rect.left + bounds.left, rect.top + bounds.top, bounds.width, bounds.height};
    return true;
  }
  const SdlWindow* found = Find(window);
  if (!found || !found->Native()) return false;
  SDL_GetWindowPosition(found->Native(), &rect.left, &rect.top);
  SDL_GetWindowSize(found->Native(), &rect.width, &rect.height);
  return true;
}

int Context::Aim(int window, int& x, int& y) {
  if (window == 0 || overlays.empty()) return window;
  hostPointerWindow = window;
  hostPointerX = x;
  hostPointerY = y;
  // A press keeps the pointer, over the overlay or not, until its release.
  const int pressed = pointer.PressedWindow();
  const OverlayWindow* holder = FindOverlay(pressed);
  if (pressed != 0 && !(holder && holder->Host() == window)) return window;
  for (auto it = overlays.rbegin(); it != overlays.rend(); ++it) {
    const OverlayWindow* overlay = *it;
    if (overlay->Host() != window || !(overlay->Shown() || overlay == holder)) continue;
    const Rect bounds = overlay->Bounds(*this);
    if (overlay != holder && !bounds.Contains(x, y)) continue;
    x -= bounds.left;
    y -= bounds.top;
    return overlay->Id();
  }
  return window;
}

int Context::Crossed(int window) const {
  for (const int held : {pointer.PressedWindow(), pointer.PointerWindow()}) {
    if (const OverlayWindow* overlay = FindOverlay(held); overlay && overlay->Host() == window)
      return held;
  }
  return window;
}

Micros Context::WakeFor(Micros now, Micros deadline) {
  const auto sooner = [](Micros a, Micros b) { return b >= 0 && (a < 0 || b < a) ? b : a; };
  ReadAhead(now);  // what is due
  Micros frames = -1;
  for (const SdlWindow* window : windows) frames = sooner(frames, window->FrameGiveUpAt());
  return sooner(sooner(sooner(deadline, audio.CloseWakeup(now, deadline)), ReadAheadDue()), frames);
}

Micros Context::ReadAheadDue() const {
  Micros due = -1;
  for (const SdlWindow* window : windows) {
    const Micros at = window->ReadAheadAt();
    if (at >= 0 && (due < 0 || at < due)) due = at;
  }
  return due;
}

void Context::ReadAhead(Micros now) {
  for (SdlWindow* window : windows) {
    if (window->ReadAheadAt() >= 0 && window->ReadAheadAt() <= now) window->ReadAhead(now);
  }
}

void Context::DrawPending() {
  for (SdlWindow* window : windows) {
    if (window->DrawPending()) window->Redraw();
  }
}

void Context::DispatchWayland() {
  if (waylandCursor) waylandCursor->Dispatch();
  for (SdlWindow* window : windows) window->DispatchFrames();
}

bool Context::Pointer(int& x, int& y) const {
  SDL_Window* any = nullptr;
  for (const SdlWindow* window : windows) {
    if ((any = window->Native())) break;
  }
  return QueryScreenPointer(any, x, y);
}

namespace {

// SDL opens an X input method as it starts, in the locale of the environment. In a UTF-8 locale
// that means parsing the 5,700-line compose table, about 10 ms before the first frame can be
// drawn, and nothing here ever takes text: keys are read only as shortcuts, by their key codes.
// So SDL starts with the environment saying "C", and the user's own locale is back in place
// before anything else (a browser opened from the credits box included) can see the change.
class PlainLocaleWhileSdlStarts {
 public:
  PlainLocaleWhileSdlStarts() {
    if (const char* was = std::getenv("LC_ALL")) saved_ = was, hadValue_ = true;
    setenv("LC_ALL", "C", 1);
  }
  ~PlainLocaleWhileSdlStarts() {
    if (hadValue_) {
      setenv("LC_ALL", saved_.c_str(), 1);
    } else {
      unsetenv("LC_ALL");
    }
  }
  PlainLocaleWhileSdlStarts(const PlainLocaleWhileSdlStarts&) = delete;
  PlainLocaleWhileSdlStarts& operator=(const PlainLocaleWhileSdlStarts&) = delete;

 private:
  std::string saved_;
  bool hadValue_ = false;
};

// SDL_Init(SDL_INIT_VIDEO) with the environment's locale kept out of its way, as above.
int StartSdlVideo() {
  const PlainLocaleWhileSdlStarts plain;
  return SDL_Init(SDL_INIT_VIDEO);
}

}  // namespace

std::unique_ptr<SdlBackend> SdlBackend::Create(std::string& error) {
  // Hints are read when SDL starts or when a window is made, so they go first.
  // A click that focuses a window is still a click.
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  // Asking the compositor to step aside makes some desktops flicker.
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  // The about box taking the focus must not minimise the main window.
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  // X already gives a press's moves and release to the pressed window. SDL's own capture would
  // instead grab the pointer for the window with the keyboard focus, which is the about box
  // while it is open: a drag that began on the main window would end on the box, and every
  // click on the main window would be followed by a false visit to the box.
  SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "0");
  // SDL keeps the screensaver away while it runs; a toy left on a desk must not keep the session
  // from blanking and locking. Nothing here needs the screen kept awake, not even the light: the
  // show ends in black about half a minute after the pull that started it, and that pull was
  // input, which restarted the screensaver's count anyway.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  // Where a Wayland desktop scales its screens, SDL 2 gives sizes and positions in the desktop's
  // points and the window's pixels apart, and the labels are drawn at the pixels' size. SDL 2
  // over SDL 3 instead passes every size off as pixels unless told otherwise, so labels and the
  // credits box came out at half their size and the pointer missed them. It sets its own value
  // as it starts, so this one must take precedence; a value in the environment still wins.
  constexpr const char* kWaylandScaleToDisplay = "SDL_VIDEO_WAYLAND_SCALE_TO_DISPLAY";
  if (!SDL_getenv(kWaylandScaleToDisplay))
    SDL_SetHintWithPriority(kWaylandScaleToDisplay, "0", SDL_HINT_OVERRIDE);
  // Every window here is borderless, so on a compositor that draws no decorations (GNOME,
  // Weston) there is nothing for the decoration library to draw. Loaded all the same, it loads
  // a toolkit of its own into the process (GTK, for libdecor's default plugin on newer systems)
  // whose own display connection ends the process with the toolkit's message, not ours, when the
  // compositor goes away.
  SDL_SetHint(SDL_HINT_VIDEO_WAYLAND_ALLOW_LIBDECOR, "0");

  // With no display to try there is nothing to start, and trying would let the display
  // libraries print their own complaints before ours.
  const DisplayEnvironment environment = ReadDisplayEnvironment();
  const DisplayChoice display = ChooseDisplay(environment);
  if (!display.error.empty()) {
    error = "cannot open display: " + display.error;
    return nullptr;
  }
  if (!display.drivers.empty()) SDL_SetHint(SDL_HINT_VIDEODRIVER, display.drivers.c_str());
  // On an X screen with a colour palette SDL is not even started: it has nothing to show there.
  const bool onX11 =
      display.drivers == "x11" ||
      (display.drivers.empty() && SDL_strcasecmp(environment.asked.c_str(), "x11") == 0);
  if (onX11 && XScreenHasTooFewColours()) {
    error = "cannot draw on this screen: it has too few colours";
    return nullptr;
  }

  IgnoreStaleWakeupErrors();  // before SDL, so that SDL keeps it underneath its own
  // Errors reach the user in this program's own words, once. SDL 2 keeps its internal log to
  // itself unless asked; SDL 2 over SDL 3 prints every error it logs, so that a compositor going
  // away was announced twice, SDL's line first. SDL_LOGGING in the environment still decides.
  if (!SDL_getenv("SDL_LOGGING")) SDL_LogSetAllPriority(SDL_LOG_PRIORITY_CRITICAL);
  // Video only: other subsystems poll in the background and would wake an idle program.
  // SDL's own SIGINT/SIGTERM handlers stay; they turn a signal into a quit request.
  if (StartSdlVideo() != 0) {
    error = "cannot open display: " + NoDisplayReason() + " (" + SDL_GetError() + ")";
    SDL_Quit();
    return nullptr;
  }
  // With no desktop to talk to, SDL settles for a driver that draws into memory and never
  // blocks for input. That is no way to show anything, unless it was asked for by name.
  if (IsHeadlessDriver(SDL_GetCurrentVideoDriver())) {
    error = "cannot open display: " + NoDisplayReason();
    SDL_Quit();
    return nullptr;
  }
  const int displays = SDL_GetNumVideoDisplays();
  if (displays < 1) {
    error = std::string("cannot open display: ") +
            (displays < 0 ? SDL_GetError() : "the display has no screen");
    SDL_Quit();
    return nullptr;
  }
  SDL_StopTextInput();  // on by default; it would turn key presses into text events too
  KeyReader::Start();
  ExitAtOnceWhenDisplayLost();

  // Window surfaces in plain shared memory: copying a picture there is far cheaper than going
  // through a GL texture on a machine without a GPU. SDL offers that only on X11, and it is
  // taken only for screens of at most 8 bits a colour, where a picture's levels are written as
  // they are. SDL 2 knows no deeper layout; SDL 3 (under SDL 2 over SDL 3) takes a 30-bit
  // surface for HDR10 and converts the pictures into that colour space, which shows them far too
  // bright. Elsewhere the window surface is a texture of SDL's renderer, slower but drawn
  // everywhere, and on a 30-bit X screen the pixmap presenter spreads each level over the bits
  // itself. SDL reads this once, at the first window surface.
  SDL_DisplayMode mode{};
  const bool sharedMemory = SDL_strcmp(SDL_GetCurrentVideoDriver(), "x11") == 0 &&
                            SDL_GetDesktopDisplayMode(0, &mode) == 0 &&
                            mode.format != SDL_PIXELFORMAT_UNKNOWN &&
                            SDL_BITSPERPIXEL(mode.format) <= 24;
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, sharedMemory ? "0" : "1");
  std::unique_ptr<SdlBackend> backend(new SdlBackend());
  // Better still, the X server copies each picture from the memory it was decoded into (where
  // it can map that memory), and SDL's renderer from a texture uploaded once.
  if (sharedMemory) {
    backend->context_->sharedPixels = ShareThePictures();
  } else {
    // On Wayland the compositor maps the pictures' memory itself, as an X server does.
    backend->context_->waylandPixels = ShareThePicturesOnWayland();
    backend->context_->textures = !backend->context_->waylandPixels;
  }
  return backend;
}

SdlBackend::SdlBackend() : context_(std::make_shared<Context>()) {
  SDL_SetEventFilter(&FilterEvents, context_.get());
}

SdlBackend::~SdlBackend() {
  SDL_SetEventFilter(nullptr, nullptr);
  SetPixelAllocator(nullptr);  // the pictures made in shared memory keep it until they go
  // Windows still held by the core lose their native window now; everything SDL made goes
  // before SDL itself.
  for (SdlWindow* window : context_->windows) window->Detach();
  context_->windows.clear();
  const bool soundReleased = context_->audio.Shutdown();
  context_.reset();
  // A sound device that did not close in time is abandoned with the thread that is closing it,
  // still inside SDL: SDL is left as it is, and the end of the process takes it all away.
  if (soundReleased) SDL_Quit();
}

Size SdlBackend::MainScreenSize() {
  const Rect bounds = MainScreenBounds();
  return {bounds.width, bounds.height};
}

Rect SdlBackend::MainScreenBounds() {
  // Display 0 is the main screen: on X11, SDL puts the primary output first. Once the screens
  // are watched, the X server's own answer is the current one.
  context_->screens.Start();
  SDL_Rect bounds{};
  if (!context_->screens.MainScreen(bounds) && SDL_GetDisplayBounds(0, &bounds) != 0) return {};
  return {bounds.x, bounds.y, bounds.w, bounds.h};
}

Size SdlBackend::MainScreenPixels() {
  const Size size = MainScreenSize();
  // SDL gives a scaled screen's size in points, and its pixels only through a window on it.
  const SdlWindow* window = MadeWindow(*context_, true);
  if (!window) return size;
  int width = 0, height = 0, pixelWidth = 0, pixelHeight = 0;
  SDL_GetWindowSize(window->Native(), &width, &height);
  SDL_GetWindowSizeInPixels(window->Native(), &pixelWidth, &pixelHeight);
  if (width <= 0 || height <= 0 || (pixelWidth == width && pixelHeight == height)) return size;
  return {static_cast<int>(std::lround(static_cast<double>(size.width) * pixelWidth / width)),
          static_cast<int>(std::lround(static_cast<double>(size.height) * pixelHeight / height))};
}

Micros SdlBackend::Now() { return Clock(); }

bool SdlBackend::WaitEvent(Micros deadline, InputEvent& event) {
  // What the core presented to overlays in the last pass goes out in one frame of their host.
  context_->DrawPending();
  std::deque<InputEvent>& pending = context_->pending;
  for (;;) {
    if (!pending.empty()) {
      event = pending.front();
      pending.pop_front();
      return true;
    }
    context_->audio.Service(Clock(), deadline);
    const Micros now = Clock();  // closing the device may have taken a while
    const Micros until = context_->WakeFor(now, deadline);

    SDL_Event sdl;
    int got = 0;
    const WaitStep step = PlanWait(now, until);
    switch (step.kind) {
      case WaitStep::Kind::ForInput:
        got = SDL_WaitEvent(&sdl);
        if (!got) SDL_Delay(1);  // an error, not a timeout: don't spin on it
        break;
      case WaitStep::Kind::SleepThenPoll:
        if (step.sleep > 0) std::this_thread::sleep_for(std::chrono::microseconds(step.sleep));
        got = SDL_PollEvent(&sdl);
        break;
      case WaitStep::Kind::ForInputMillis:
        got = SDL_WaitEventTimeout(&sdl, step.millis);
        break;
    }
    context_->DispatchWayland();
    // A frame held back goes out as soon as the compositor has shown the one before.
    context_->DrawPending();
    if (got) {
      // Events the core has no use for add nothing; the loop then waits on, against the same
      // deadline.
      Translate(*context_, sdl);
      continue;
    }
    if (deadline >= 0 && Clock() >= deadline) return false;
  }
}

bool SdlBackend::PollEvent(InputEvent& event) {
  // The idle sound device is closed only while waiting, when the loop's next deadline is known.
  context_->DrawPending();
  std::deque<InputEvent>& pending = context_->pending;
  SDL_Event sdl;
  while (pending.empty() && SDL_PollEvent(&sdl)) Translate(*context_, sdl);
  context_->DispatchWayland();
  if (pending.empty()) return false;
  event = pending.front();
  pending.pop_front();
  return true;
}

std::unique_ptr<NativeWindow> SdlBackend::CreateNativeWindow(const NativeWindowSpec& spec) {
  if (SdlWindow* scene = MadeWindow(*context_, true); spec.keepAbove && scene) {
    // No desktop keeps a window of its own above the full-screen one as it should (see
    // OverlayWindow): the box is drawn inside the full-screen window instead.
    return std::make_unique<OverlayWindow>(context_, scene->Id(),
                                           Size{spec.rect.width, spec.rect.height});
  }
  SDL_Rect rect{spec.rect.left, spec.rect.top, spec.rect.width, spec.rect.height};
  // The window's pixels, where a desktop scales its screens, rather than its points enlarged.
  // Every window here is a plain box.
  const Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_BORDERLESS;
  if (spec.fullScreen) {
    // Made at the main screen's bounds, which covers the screen by itself where no window
    // manager runs; the desktop's full-screen state is asked for below.
    if (rect.w <= 0 && SDL_GetDisplayBounds(0, &rect) != 0) rect = SDL_Rect{0, 0, 640, 480};
    context_->screens.Start();  // to follow the screen's changes of size
  }
  // A window for SDL's renderer is made for it from the start: SDL would otherwise make it
  // again, as a new native window, when the renderer comes.
  WindowPtr window;
  if (context_->textures)
    window.reset(SDL_CreateWindow(spec.title.c_str(), rect.x, rect.y, std::max(1, rect.w),
                                  std::max(1, rect.h), flags | SDL_WINDOW_OPENGL));
  if (!window)
    window.reset(SDL_CreateWindow(spec.title.c_str(), rect.x, rect.y, std::max(1, rect.w),
                                  std::max(1, rect.h), flags));
  if (window) context_->screens.Listen();
  // Made with the first window, before the window shows and the pointer can enter it.
  if (window && !context_->waylandCursor)
    context_->waylandCursor = WaylandCursor::For(window.get());
  if (!window) {
    std::fprintf(stderr, "lumorra: cannot open a window: %s\n", SDL_GetError());
  } else if (spec.fullScreen) {
    // Only the full-screen state keeps taskbars and panels off the scene and lets the
    // desktop follow changes of the screen's size.
    if (!MarkFullScreenBeforeShowing(window.get())) {
      SDL_SetWindowFullscreen(window.get(), SDL_WINDOW_FULLSCREEN_DESKTOP);
    }
  }
  if (window && spec.icon) SetWindowIcon(window.get(), *spec.icon);
  // The core's windows start with the arrow; the desktop is told so from the first window on.
  if (window) context_->SetCursor(CursorKind::Arrow);
  // A window the platform refused still exists for the core; it just shows nothing.
  return std::make_unique<SdlWindow>(context_, std::move(window), spec.fullScreen);
}

std::unique_ptr<NativeSound> SdlBackend::CreateSound(std::shared_ptr<const SoundData> data) {
  return std::make_unique<SdlSound>(context_, std::move(data));
}

bool SdlBackend::PrefersReducedMotion() {
  // The settings are read over the X connection of a window; the scene asks once it has one.
  for (const SdlWindow* window : context_->windows) {
    if (window->Native()) return DesktopDisablesAnimations(window->Native());
  }
  return false;
}

void SdlBackend::OpenURL(const std::string& url) {
  // SDL hands the address to the desktop's opener without a shell and cannot tell whether it
  // worked, so there is nothing to check.
  SDL_OpenURL(url.c_str());
}

}  // namespace host::sdl
