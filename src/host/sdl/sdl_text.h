#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

#include <fontconfig/fontconfig.h>

#include "host/backend.h"
#include "host/sdl/sdl_handles.h"

namespace host::sdl {

// Draws labels into window surfaces. Fonts are found by family name through fontconfig and
// opened once per file, face, size and style; each label is rendered once and the rendered
// lines are kept, so redrawing a frame only blends ready-made pixels.
class TextRenderer {
 public:
  TextRenderer() = default;
  ~TextRenderer();
  TextRenderer(const TextRenderer&) = delete;
  TextRenderer& operator=(const TextRenderer&) = delete;

  // Draws `label` into `target`, clipped to the label's rectangle. Does nothing when no usable
  // font exists (after saying so once on stderr).
  void Draw(SDL_Surface* target, const LabelView& label);

  // Called after each frame: drops rendered labels that have not been drawn for a while.
  void EndFrame();

 private:
  struct Face {
    std::string file;
    int index = 0;
    int style = TTF_STYLE_NORMAL;  // what TTF must add because the face lacks it
    bool found = false;
  };
  struct Line {
    SurfacePtr pixels;
    SDL_Rect where{};  // in window coordinates
  };
  struct Rendered {
    std::vector<Line> lines;
    std::uint64_t lastUsed = 0;
  };
  struct LabelHash {
    std::size_t operator()(const LabelView& label) const;
  };

  const Rendered& Render(const LabelView& label);
  static void LayOut(TTF_Font* font, const LabelView& label, std::vector<Line>& lines);
  TTF_Font* FontFor(const LabelView& label);
  const Face& Resolve(const std::string& family, bool bold, bool italic);
  static Face FaceOf(FcPattern* match, bool bold, bool italic);
  bool StartTtf();
  void ReportNoFont();

  bool ttfStarted_ = false;
  bool ttfFailed_ = false;
  bool reported_ = false;
  std::map<std::tuple<std::string, bool, bool>, Face> faces_;
  std::map<std::tuple<std::string, int, int, int>, FontPtr> fonts_;  // file, index, size, style
  std::unordered_map<LabelView, Rendered, LabelHash> rendered_;
  std::uint64_t frame_ = 0;
};

}  // namespace host::sdl
