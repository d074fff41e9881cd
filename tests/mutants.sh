#!/usr/bin/env bash
# Mutation check: applies one small fault at a time to a scratch copy of the sources, rebuilds the
# unit tests there and runs them. Every fault must be caught (the tests fail). Slow: a first
# build of the copy, then about a minute a fault. Not part of CI; run it after changing the tests.
#
#   tests/mutants.sh          every fault
#   tests/mutants.sh 3 7      only faults 3 and 7 (numbers as the table prints them)
#
# MUTANTS_DIR (default /tmp/lumorra-mutants) keeps the copy and its build between runs. Some of
# the unit tests start an Xvfb of their own, on a free display.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
scratch=${MUTANTS_DIR:-/tmp/lumorra-mutants}

# One fault a line: file :: a piece of the one line to change :: what it becomes :: the fault.
faults=$(
  cat <<'EOF'
src/host/timer.cpp :: timer.deadline_ = key.deadline + period; :: timer.deadline_ = now + period; :: a repeating timer reloads from now, not from its due time
src/host/timer.cpp :: if (timer.deadline_ <= now) timer.deadline_ = now + period; :: ; :: no fresh start after a stall: a burst of late ticks
src/host/timer.cpp :: deadline != o.deadline ? deadline < o.deadline : seq < o.seq :: deadline != o.deadline ? deadline < o.deadline : seq > o.seq :: timers due together fire in reverse arming order
src/host/timer.cpp ::       timer.mode_ = TimerMode::Off; ::       ; :: a single timer still reads as running after it fired
src/host/window.cpp ::   HoverTo(nullptr); ::   ; :: no MouseExit for the control under the pointer when its window hides
src/host/window.cpp ::     if (!c->Enabled()) return; ::     ; :: a disabled control takes presses
src/host/window.cpp ::   if (pressed_) return; ::   ; :: crossings are raised while a press is held
src/host/window.cpp :: if ((*it)->EffectivelyVisible() && (*it)->Bounds().Contains(x, y)) return *it; :: if ((*it)->Bounds().Contains(x, y)) return *it; :: hidden controls take the pointer
src/host/window.cpp ::   ReportUnknownName(Errors(), ClassName(), name); ::   ; :: an unknown control name leaves no trace
src/host/guard.cpp :: if (!frame.reported) log.Report(place, "used a nil object"); :: ; :: a nil object error leaves no trace
src/host/guard.cpp ::   if (!said_.insert(place + '\n' + what).second) return; ::   said_.insert(place); :: the same failure is reported again and again
src/host/pointer_router.cpp ::     out.push_back(Make(InputEvent::Type::MouseLeave, owner)); ::     ; :: no leave after a release outside the pressed window
src/host/runtime.cpp :: if (!event.repeat && event.key != 0 && !event.other && app_ :: if (!event.repeat && event.key != 0 && app_ :: Ctrl+Super+Q quits
src/host/runtime.cpp ::   w->Hide(); ::   Quit(0); :: closing the credits box quits the program
src/host/picture.cpp ::     if (abandoned_.load(std::memory_order_acquire)) return; ::     ; :: letting go of a picture still queued waits for it to be decoded
src/scene/lightshow.cpp ::   if (counter < 4) { ::   if (counter < 3) { :: the flicker has three steps, not four
src/scene/lightshow.cpp ::     fried = true; ::     ; :: the light never dies
src/scene/lightshow.cpp ::       enditall = true; ::       ; :: the blackout does not end it all
src/scene/lightshow.cpp ::   host::Deref(showers()).Stop(); ::   ; :: switching off leaves the rain playing
src/scene/lightshow.cpp :: void Window1::Timer2_Action() { Timer3->SetMode(host::TimerMode::Multiple); } :: void Window1::Timer2_Action() { Timer3->SetMode(host::TimerMode::Single); } :: the flicker ticks once
src/scene/chain.cpp ::   SetMouseCursor(host::CursorKind::Arrow); ::   ; :: the open hand stays after the pointer leaves the chain
src/scene/chain.cpp ::   Canvas2->SetEnabled(true); ::   ; :: leaving the chain does not allow the next pull
src/scene/chain.cpp ::   Canvas2->SetEnabled(false); ::   ; :: one visit of the chain allows many pulls
src/scene/chain.cpp ::     lit = true; ::     ; :: every switch-on is the first one
src/scene/topstrip.cpp ::   if (enditall) host::Quit(0); ::   host::Quit(0); :: a click on the scene quits before the blackout
src/scene/topstrip.cpp ::   StaticText1->SetVisible(false); ::   ; :: "Quit" stays after the pointer leaves the strip
src/scene/window1.cpp :: {{4, 0, 406, 24}, nullptr, true, true} :: {{4, 0, 406, 24}, nullptr, true, false} :: the strip is not widened to the screen
src/about/aboutwin.cpp :: void AboutWin::Timer1_Action() { Hide(); } :: void AboutWin::Timer1_Action() {} :: the credits box never hides by itself
src/about/aboutwin.cpp :: Timer1->SetMode(host::TimerMode::Single); :: Timer1->SetMode(host::TimerMode::Multiple); :: the credits box hides every five seconds
src/about/aboutwin.cpp ::   host::ShowURL(links::kAuthor); ::   host::ShowURL(links::kPhotographer); :: the author's name opens the photographer's site
src/about/aboutwin.cpp :: StaticText3->SetTextColor(host::RGB(255, 255, 255)); :: StaticText3->SetTextColor(host::RGB(0, 0, 255)); :: the photographer's name stays blue
src/scene/open.cpp ::   bool fullSize = height > kReducedHeight; ::   bool fullSize = height >= kReducedHeight; :: a 768-high screen gets the full-size pictures
src/scene/open.cpp ::   if (!fullSize) fullSize = width > kReducedWidth; ::   ; :: a wide but low screen gets the reduced pictures
src/scene/open.cpp ::     Reduced(darker2, lowlight2()); ::     Reduced(darker2, lowlight1()); :: the reduced dark pull picture is the plain dark one
src/scene/open.cpp ::     chain = host::Rect{kChainBox.left, kChainBox.top, kChainBox.width, kChainBox.height}; ::     ; :: the chain is not moved over the full-size photograph
src/scene/lightshow.cpp :: SwitchOff(chaintimer1, :: AnyArmed(chaintimer1, :: a pull just before the blackout brings the light back after it
src/scene/gentle.cpp ::   if (view.backdrop && view.backdrop == flash) view.backdrop = lighter; ::   ; :: the gentle show shows the flash
src/scene/keyboard.cpp ::   if (key.repeat) return true; ::   ; :: a held key pulls the chain again and again
src/scene/keyboard.cpp ::   if (ChainMoving()) { ::   if (false) { :: a key pulls the chain while it still moves from the last pull
src/scene/keyboard.cpp ::     keyPullWaiting = true; ::     ; :: a key pressed while the chain moves is lost
src/scene/chain.cpp :: SwitchOff(chaintimer1, Timer1, :: SwitchOff(Timer1, :: a switch-off leaves the first switch-on to light the room later
src/host/runtime.cpp ::   if (!used && main && w != main && !quitRequested_) ::   if (false) :: keys die while the credits box has the focus
src/scene/keyboard.cpp ::   Canvas2->SetEnabled(enabled); ::   Canvas2->SetEnabled(enabled && false); :: a key pull leaves the chain disabled for the pointer
src/scene/open.cpp ::   return {height, kSourceHeight}; ::   return {width, kSourceWidth}; :: a tall large screen keeps a black band at the bottom
src/scene/open.cpp :: const int width = host::Deref(screen).PixelWidth(), height = host::Deref(screen).PixelHeight(); :: const int width = host::Deref(screen).Width(), height = host::Deref(screen).Height(); :: a scaled screen gets pictures for its points, enlarged and blurred
src/scene/open.cpp ::   Canvas2->SetBounds(host::Deref(screen).FromPixels(chain)); ::   Canvas2->SetBounds(chain); :: on a scaled screen the chain is grabbed where the pixels, not the points, put it
src/media/media.cpp ::   cache::chain_snd.reset(); ::   cache::quiet_snd.reset(); cache::chain_snd.reset(); :: finalisation releases the sounds out of order
src/app/app.cpp ::   ReleaseMedia(); ::   host::Runtime::Current().ReleaseWindows(); host::Runtime::Current().ReleaseImplicitInstances(); ReleaseMedia(); :: finalisation releases the windows before the media
src/app/app.cpp ::   if (!UsesMasters(screen.width, screen.height)) { ::   if (!UsesMasters(screen.width + 1, screen.height)) { :: a full HD screen decodes the dark master at start-up
src/host/picture.cpp ::     const std::uint32_t* src = from(rowsUnder(bottom)); ::     const std::uint32_t* src = from(rowsUnder(top)); :: a scaled copy reads source rows that are not decoded yet
src/host/picture_scale.cpp :: const double center = (t + 0.5) / scale; :: const double center = t / scale; :: the row scaler samples half a pixel off
src/host/picture_scale.cpp :: for (const Taps& t : down_.taps) slots_ = std::max(slots_, t.count); :: for (const Taps& t : down_.taps) slots_ = std::max(slots_, t.count - 1); :: the row scaler keeps one source row too few
src/host/picture_scale.cpp :: even.weights.end() - most + (t.first - first)); :: even.weights.end() - most); :: evened weights land on the wrong pixels at the right edge
src/host/picture_scale.cpp :: decode((i + 0.5) / 255.0) :: decode((i + 0.9) / 255.0) :: linear light rounds to the wrong sRGB level
src/host/codec.cpp :: cut = static_cast<JDIMENSION>(columns); :: cut = static_cast<JDIMENSION>(columns - 64); :: a scaled copy's decode leaves out columns the copy reads
src/host/codec.cpp :: done_(reported = made); :: done_(reported = std::min(made + 8, bottom)); :: a scaled copy reports rows made before they are
src/app/app.cpp :: const host::Size pixels = runtime.GetBackend().MainScreenPixels(); :: const host::Size pixels = runtime.GetBackend().MainScreenSize(); :: a scaled desktop's dark picture is begun at the points' size and made again
src/app/app.cpp ::       order.emplace_back(kind, *darkCopy); ::       store->PrefetchScaled(number + kMasterNumbers, *copies); :: the dark master is scaled at start-up where a copy of it is built in
src/scene/open.cpp :: copy.height == copies->scaledHeight) :: copy.height >= copies->scaledHeight) :: a screen covered a row shorter than a copy shows that copy, its rows a fraction off
src/media/media_table.def :: lowlight1_2x, 2560, 92, :: lowlight1_2x, 2560, 88, :: the 2560-wide copy comes out softer than the master scaled at run time
src/scene/open.cpp :: if (scaledWidth == kMasterWidth && scaledHeight == kMasterHeight) return std::nullopt; :: ; :: a 4K screen scales the masters to their own size
src/host/sdl/sdl_audio.cpp :: constexpr Micros kShutdownWait = 100 * kMillis; :: constexpr Micros kShutdownWait = 300 * kMillis; :: quitting waits three tenths of a second for the sound device
src/host/sdl/sdl_audio.cpp ::   if (!job->WaitUntil(deadline)) { ::   if (!job->WaitUntil(clock_() + kShutdownWait)) { :: closing the sound device gets a budget of its own after the opening's
src/host/sdl/sdl_audio.cpp ::     if (!opening_->WaitUntil(deadline)) { ::     if (JoinOpener(), false) { :: quitting waits for the sound device's opening however long it takes
src/host/sdl/sdl_keys.cpp ::   event.repeat = key.repeat != 0; ::   event.repeat = false; :: the keyboard's auto-repeat reads as fresh presses
src/host/sdl/sdl_keys.cpp ::   event.other = (mod & kOtherModifiers) != 0; ::   event.other = (mod & ~(kCommandModifier | KMOD_SHIFT | KMOD_ALT)) != 0; :: Ctrl+Q does nothing while Caps Lock or Num Lock is on
src/host/sdl/sdl_keys.cpp ::   if (symbol == SDLK_ESCAPE) return Special::Escape; ::   if (symbol == SDLK_ESCAPE) return Special::Other; :: Escape is any other key
src/host/sdl/sdl_keys.cpp ::   if (symbol == SDLK_RETURN || symbol == SDLK_KP_ENTER) return Special::Return; ::   if (symbol == SDLK_RETURN) return Special::Return; :: the keypad's Enter does not pull the chain
src/host/sdl/sdl_keys.cpp ::   return point <= 0xff ? point : 0x1000000 + point; ::   return point; :: Ctrl+Q is lost on a Greek layout
src/host/sdl/sdl_keys.cpp ::       active = static_cast<int>(LayoutOfState(raw.state)); ::       active = 0; :: after a switch of keyboard layout, shortcuts follow the first layout
src/host/sdl/sdl_keys.cpp ::     queued_.push_back(pending_); ::     queued_.push_back(RawPress{}); :: the window system's own view of a key is lost: shortcuts follow SDL's layout from its start
src/host/sdl/sdl_events.cpp ::       event.window = static_cast<int>(sdl.key.windowID); ::       event.window = 0; :: keys come for no window in particular
src/host/sdl/sdl_events.cpp :: (sdl.motion.state & SDL_BUTTON_LMASK) != 0 :: false :: a drag's first move ends its press
src/host/sdl/sdl_events.cpp ::           event.y = sdl.window.data2; ::           event.y = sdl.window.data1; :: a resized window is told a square size
src/host/sdl/sdl_overlay.h :: if (context->Aim(host_, x, y) == id_) :: if (false) :: the credits box appearing under a still pointer is not entered
src/host/sdl/sdl_overlay.h :: const bool under = context->pointer.PointerWindow() == id_; :: const bool under = false; :: the credits box going from under a still pointer leaves it nowhere
src/host/sdl/sdl_overlay.cpp :: overlay && overlay->Host() == window) :: overlay && false) :: the pointer leaving the scene from the credits box leaves the scene, not the box
src/host/sdl/sdl_overlay.cpp ::     x -= bounds.left; ::     ; :: a press in the credits box comes in the scene's coordinates
src/host/sdl/sdl_xsettings.cpp :: disabled = XSettingsInteger(data, items, "Gtk/EnableAnimations") == 0; :: disabled = XSettingsInteger(data, items, "Gtk/EnableAnimations").value_or(0) == 0; :: a desktop that does not say is taken as asking for less animation
src/host/sdl/sdl_xsettings.cpp :: LONG_MAX / 4 :: 1 :: only the first bytes of the desktop's settings are read
src/host/sdl/sdl_context.cpp ::     if (!SDL_RectEquals(&now, &screen)) screens.Cover(window->Native(), screen); ::     ; :: the full-screen window keeps its old size when the screen changes
src/host/sdl/sdl_backend.cpp ::   if (window) context_->screens.Listen(); ::   ; :: once a window is made the screen's changes go unheard
src/host/headless/headless_backend.cpp ::   key.window = backend_.FocusedId(); ::   key.window = 0; :: the headless keyboard sends keys to no window in particular
src/host/headless/headless_backend.cpp ::   backend_.SetFocusedId(id_); ::   ; :: a headless window that appears does not take the focus
src/host/headless/headless_backend.cpp ::   if (backend_.focused_ != id_) return; ::   return; :: a headless window that goes keeps the keyboard
EOF
)

fail() {
  echo "mutants: $*" >&2
  exit 2
}

# Fault N of the list: "what N" names it, "file N" gives its file, "apply N" makes it in the copy
# and fails unless the piece of text is on exactly one line of the file.
fault() {
  FAULTS=$faults python3 - "$scratch/src" "$@" <<'EOF'
import os, sys
tree, verb, n = sys.argv[1], sys.argv[2], int(sys.argv[3])
lines = os.environ["FAULTS"].splitlines()
if not 1 <= n <= len(lines):
    sys.exit(f"there is no fault {n}")
path, old, new, what = lines[n - 1].split(" :: ")
if verb == "what":
    print(f"{what} ({path})")
elif verb == "file":
    print(path)
else:
    text = open(os.path.join(tree, path)).read().split("\n")
    hits = [i for i, line in enumerate(text) if old in line]
    if len(hits) != 1:
        sys.exit(f"{len(hits)} lines of {path} hold: {old}")
    text[hits[0]] = text[hits[0]].replace(old, new)
    open(os.path.join(tree, path), "w").write("\n".join(text))
EOF
}

# The copy leaves out builds; only files whose content differs are written, so that its own
# build stays incremental and never keeps an object made from a fault, and files gone from the
# tree are removed.
mkdir -p "$scratch/src" || fail "cannot make $scratch"
python3 - "$root" "$scratch/src" <<'EOF' || fail "cannot copy the sources"
import filecmp, os, shutil, sys
root, copy = sys.argv[1:3]
for top, dirs, files in os.walk(root):
    dirs[:] = [d for d in dirs if not d.startswith(("build", ".git"))]
    os.makedirs(os.path.join(copy, os.path.relpath(top, root)), exist_ok=True)
    for name in files:
        src = os.path.join(top, name)
        dst = os.path.join(copy, os.path.relpath(src, root))
        if not os.path.exists(dst) or not filecmp.cmp(src, dst, shallow=False):
            shutil.copyfile(src, dst)
            shutil.copymode(src, dst)
for top, dirs, files in os.walk(copy):  # a file deleted from the tree, a test above all, goes too
    dirs[:] = [d for d in dirs if not d.startswith(("build", ".git"))]
    for name in files:
        if not os.path.exists(os.path.join(root, os.path.relpath(os.path.join(top, name), copy))):
            os.remove(os.path.join(top, name))
EOF
cmake -S "$scratch/src" -B "$scratch/build" >"$scratch/configure.log" 2>&1 ||
  fail "configure failed, see $scratch/configure.log"
build() { cmake --build "$scratch/build" -j2 --target lumorra_tests >"$scratch/build.log" 2>&1; }
tests() { timeout 600 "$scratch/build/tests/lumorra_tests" --gtest_fail_fast >"$scratch/test.log" 2>&1; }
build || fail "the copy as it is does not build, see $scratch/build.log"
tests || fail "the copy as it is fails its tests, see $scratch/test.log"

if [ $# -gt 0 ]; then chosen=("$@"); else mapfile -t chosen < <(seq "$(wc -l <<<"$faults")"); fi
caught=0 missed=0
printf '%-3s %-7s %s\n' '#' result fault
for n in "${chosen[@]}"; do
  what=$(fault what "$n") || fail "no fault $n"
  target="$scratch/src/$(fault file "$n")"
  cp -p "$target" "$scratch/original" || fail "no $target"
  fault apply "$n" || fail "fault $n, $what, no longer applies: update its pattern"
  if ! build; then
    result=no-build
  elif tests; then
    result=MISSED
    missed=$((missed + 1))
  else
    result=caught
    caught=$((caught + 1))
    what+=", by $(grep -m1 -o '^\[  FAILED  \] [^ ,]*' "$scratch/test.log" | cut -c14-)"
  fi
  cp "$scratch/original" "$target" && touch "$target"
  [ "$result" = no-build ] && fail "fault $n, $what, does not compile, see $scratch/build.log"
  printf '%-3s %-7s %s\n' "$n" "$result" "$what"
done
echo "$caught caught, $missed missed"
[ "$missed" -eq 0 ]
