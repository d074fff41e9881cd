#include "host/sdl/sdl_text.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string_view>

namespace host::sdl {

namespace {

// Labels name the family the framework calls "System"; here that is the desktop's default
// sans-serif face, whatever fontconfig makes of that name.
bool IsSystemFamily(const std::string& family) {
  if (family.empty()) return true;
  std::string lower(family);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) {
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  });
  return lower == "system";
}

// Splits at "\r\n", '\r' or '\n'. An empty line stays a line: it keeps its height.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  return lines;
}

// A single-line label shows its whole text on one line; a line break there has no glyph of its
// own, so it reads as a space.
std::string OneLine(const std::string& text) {
  std::string line;
  line.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      line += ' ';
    } else {
      line += c;
    }
  }
  return line;
}

void Combine(std::size_t& seed, std::size_t value) {
  seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
}

// Rendered labels kept while more than this many exist are dropped once unused for kStaleFrames.
constexpr std::size_t kKeptLabels = 64;
constexpr std::uint64_t kStaleFrames = 32;

}  // namespace

std::size_t TextRenderer::LabelHash::operator()(const LabelView& label) const {
  std::size_t seed = std::hash<std::string>()(label.text);
  Combine(seed, std::hash<std::string>()(label.font));
  for (int value : {label.rect.left, label.rect.top, label.rect.width, label.rect.height,
                    label.size, label.align}) {
    Combine(seed, std::hash<int>()(value));
  }
  Combine(seed, (static_cast<std::size_t>(label.color.red) << 16) |
                    (static_cast<std::size_t>(label.color.green) << 8) | label.color.blue);
  Combine(seed, (label.multiLine ? 1u : 0u) | (label.bold ? 2u : 0u) | (label.italic ? 4u : 0u) |
                    (label.underline ? 8u : 0u));
  return seed;
}

TextRenderer::~TextRenderer() {
  rendered_.clear();
  fonts_.clear();
  if (ttfStarted_) TTF_Quit();
}

void TextRenderer::ReportNoFont() {
  if (reported_) return;
  reported_ = true;
  std::fputs("lumorra: no usable font found; labels will not be drawn\n", stderr);
}

bool TextRenderer::StartTtf() {
  if (ttfStarted_) return true;
  if (ttfFailed_) return false;
  if (TTF_Init() != 0) {
    ttfFailed_ = true;
    ReportNoFont();
    return false;
  }
  ttfStarted_ = true;
  return true;
}

namespace {

// The font fontconfig picks for a family and style, or nil; the caller destroys it. The family
// goes in as a plain value rather than through the name parser, so that a name with '-' or ':'
// in it is not read as a size or a property.
FcPattern* MatchFont(const std::string& family, bool bold, bool italic) {
  if (!FcInit()) return nullptr;
  const std::string name = IsSystemFamily(family) ? "sans-serif" : family;
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return nullptr;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);  // TTF draws outlines only
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  return match;
}

}  // namespace

TextRenderer::Face TextRenderer::FaceOf(FcPattern* match, bool bold, bool italic) {
  Face face;
  FcChar8* file = nullptr;
  if (FcPatternGetString(match, FC_FILE, 0, &file) != FcResultMatch || !file) return face;
  face.file = reinterpret_cast<const char*>(file);
  face.found = true;
  int index = 0;
  if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch) face.index = index;
  // When the family has no bold or slanted face, TTF makes one up from the plain face.
  int weight = FC_WEIGHT_REGULAR;
  FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
  if (bold && weight < FC_WEIGHT_DEMIBOLD) face.style |= TTF_STYLE_BOLD;
  int slant = FC_SLANT_ROMAN;
  FcPatternGetInteger(match, FC_SLANT, 0, &slant);
  if (italic && slant == FC_SLANT_ROMAN) face.style |= TTF_STYLE_ITALIC;
  return face;
}

const TextRenderer::Face& TextRenderer::Resolve(const std::string& family, bool bold, bool italic) {
  const auto key = std::make_tuple(family, bold, italic);
  if (auto it = faces_.find(key); it != faces_.end()) return it->second;

  Face face;
  if (FcPattern* match = MatchFont(family, bold, italic)) {
    face = FaceOf(match, bold, italic);
    FcPatternDestroy(match);
  }
  return faces_.emplace(key, std::move(face)).first->second;
}

TTF_Font* TextRenderer::FontFor(const LabelView& label) {
  if (!StartTtf()) return nullptr;
  const Face& face = Resolve(label.font, label.bold, label.italic);
  if (!face.found) {
    ReportNoFont();
    return nullptr;
  }
  // Sizes are points, taken as pixels: the framework these labels come from lays text out at
  // 72 dots per inch, which is also what TTF assumes for a plain point size.
  const int size = std::max(1, label.size);
  const int style = face.style | (label.underline ? TTF_STYLE_UNDERLINE : 0);
  const auto key = std::make_tuple(face.file, face.index, size, style);
  auto it = fonts_.find(key);
  if (it == fonts_.end()) {
    FontPtr font(TTF_OpenFontIndex(face.file.c_str(), size, face.index));
    if (font) {
      TTF_SetFontStyle(font.get(), style);
    } else {
      ReportNoFont();
    }
    // A face that failed to open is remembered too, so it is not tried again every frame.
    it = fonts_.emplace(key, std::move(font)).first;
  }
  return it->second.get();
}

// Renders the label's lines in `font`, placed in its rectangle, as far as they fit.
void TextRenderer::LayOut(TTF_Font* font, const LabelView& label, std::vector<Line>& lines) {
  const Rect& rect = label.rect;
  const std::vector<std::string> texts =
      label.multiLine ? SplitLines(label.text) : std::vector<std::string>{OneLine(label.text)};
  const SDL_Color color{label.color.red, label.color.green, label.color.blue, 255};
  // Lines are at least 1.25 times the point size apart, the spacing the windows were laid
  // out for: controls placed over the gaps between lines must find the gaps where they are.
  const int skip = std::max(TTF_FontLineSkip(font), (std::max(1, label.size) * 5 + 3) / 4);
  int y = rect.top;
  for (const std::string& line : texts) {
    if (y >= rect.top + rect.height) break;  // the rest is clipped away
    if (!line.empty()) {
      SurfacePtr pixels(TTF_RenderUTF8_Blended(font, line.c_str(), color));
      if (pixels) {
        int x = rect.left;
        if (label.align == 1) x += (rect.width - pixels->w) / 2;
        if (label.align == 2) x += rect.width - pixels->w;
        const SDL_Rect where{x, y, pixels->w, pixels->h};
        SDL_SetSurfaceBlendMode(pixels.get(), SDL_BLENDMODE_BLEND);
        lines.push_back(Line{std::move(pixels), where});
      }
    }
    y += skip;
  }
}

const TextRenderer::Rendered& TextRenderer::Render(const LabelView& label) {
  if (auto it = rendered_.find(label); it != rendered_.end()) {
    it->second.lastUsed = frame_;
    return it->second;
  }
  Rendered rendered;
  rendered.lastUsed = frame_;
  const Rect& rect = label.rect;
  TTF_Font* font =
      (label.text.empty() || rect.width <= 0 || rect.height <= 0) ? nullptr : FontFor(label);
  if (font) LayOut(font, label, rendered.lines);
  return rendered_.emplace(label, std::move(rendered)).first->second;
}

void TextRenderer::Draw(SDL_Surface* target, const LabelView& label) {
  const Rendered& rendered = Render(label);
  if (rendered.lines.empty()) return;
  const SDL_Rect clip{label.rect.left, label.rect.top, label.rect.width, label.rect.height};
  SDL_SetClipRect(target, &clip);
  for (const Line& line : rendered.lines) {
    SDL_Rect where = line.where;  // the blit overwrites it with the clipped rectangle
    SDL_BlitSurface(line.pixels.get(), nullptr, target, &where);
  }
  SDL_SetClipRect(target, nullptr);
}

void TextRenderer::EndFrame() {
  ++frame_;
  if (rendered_.size() <= kKeptLabels) return;
  std::erase_if(rendered_, [this](const auto& entry) {
    return entry.second.lastUsed + kStaleFrames < frame_;
  });
}

}  // namespace host::sdl
