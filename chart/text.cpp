#include "chart/text.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <memory>
#include <numbers>

#include "font/embedded_fonts.h"

namespace {

// The two faces, read once from the program's own bytes by FreeType and
// kept for the life of the process.
struct EmbeddedFaces {
  FT_Library library = nullptr;
  cairo_font_face_t* regular = nullptr;
  cairo_font_face_t* bold = nullptr;
};

cairo_font_face_t* FaceFromMemory(FT_Library library, const unsigned char* bytes, std::size_t size) {
  FT_Face face = nullptr;
  if (FT_New_Memory_Face(library, bytes, static_cast<FT_Long>(size), 0, &face) != 0) return nullptr;
  cairo_font_face_t* cairoFace = cairo_ft_font_face_create_for_ft_face(face, 0);
  // The FreeType face goes when cairo lets go of its own.
  static const cairo_user_data_key_t kFaceKey{};
  if (cairo_font_face_set_user_data(cairoFace, &kFaceKey, face,
                                    [](void* f) { FT_Done_Face(static_cast<FT_Face>(f)); }) != CAIRO_STATUS_SUCCESS) {
    cairo_font_face_destroy(cairoFace);
    FT_Done_Face(face);
    return nullptr;
  }
  return cairoFace;
}

const EmbeddedFaces& Faces() {
  static const EmbeddedFaces faces = [] {
    EmbeddedFaces f;
    if (FT_Init_FreeType(&f.library) != 0) return f;
    f.regular = FaceFromMemory(f.library, kDejaVuSansFont, kDejaVuSansFontSize);
    f.bold = FaceFromMemory(f.library, kDejaVuSansBoldFont, kDejaVuSansBoldFontSize);
    return f;
  }();
  return faces;
}

struct FontOptionsFree {
  void operator()(cairo_font_options_t* o) const { cairo_font_options_destroy(o); }
};

}  // namespace

void SetFont(cairo_t* cr, double size, bool bold) {
  std::unique_ptr<cairo_font_options_t, FontOptionsFree> options(cairo_font_options_create());
  cairo_font_options_set_antialias(options.get(), CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
  cairo_set_font_options(cr, options.get());
  cairo_font_face_t* face = bold ? Faces().bold : Faces().regular;
  if (face != nullptr) {
    cairo_set_font_face(cr, face);
  } else {
    // FreeType could not read the built-in bytes (no memory): the machine's
    // own DejaVu Sans, if it has one, rather than no text.
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  }
  cairo_set_font_size(cr, size);
}

double TextWidth(cairo_t* cr, const std::string& text) {
  cairo_text_extents_t extents;
  cairo_text_extents(cr, text.c_str(), &extents);
  return extents.x_advance;
}

void ShowText(cairo_t* cr, const std::string& text, double x, double baseline, Align align) {
  double left = x;
  if (align == Align::kCentre) left -= TextWidth(cr, text) / 2;
  if (align == Align::kRight) left -= TextWidth(cr, text);
  cairo_move_to(cr, left, baseline);
  cairo_show_text(cr, text.c_str());
}

void ShowUprightText(cairo_t* cr, const std::string& text, double x, double middle) {
  cairo_save(cr);
  cairo_translate(cr, x, middle);
  cairo_rotate(cr, -std::numbers::pi / 2);
  ShowText(cr, text, 0, 0, Align::kCentre);
  cairo_restore(cr);
}
