// Pictures for print: where a picture lands on its page, and the compact SVG and PDF of the
// plain code, written here rather than by cairo so that they are small and the same in every run.
#pragma once

#include <optional>
#include <string>

#include "image/picture.h"
#include "image/vector_logo.h"

namespace tolvex {

// The page and the picture's place on it, in points, measured from the page's top-left corner.
struct PageGeometry {
  double pageWidth = 0.0;
  double pageHeight = 0.0;
  double x = 0.0;
  double y = 0.0;
  double width = 0.0;  // the picture's size on the page
  double height = 0.0;
};

// The sheet's size in points, portrait.
[[nodiscard]] PageGeometry paper_size(Paper paper);

// Without paper, a page of the picture's size: its physical size, or one point a pixel. On
// paper, the picture at its point or position. nullopt when it does not fit on the page or the
// paper is none of the four.
[[nodiscard]] std::optional<PageGeometry> page_geometry(const Picture& picture);

// The plain picture as SVG: the modules as one stroked path of horizontal runs with relative
// moves, in module units under a viewBox; width and height in the physical unit or in pixels;
// the title and description as <title> and <desc>. No ids, so the same picture gives the same
// bytes in every run.
[[nodiscard]] std::string svg_compact(const Picture& picture);

// The logo picture as SVG in the same manner: the logo's element at its place (the twin, or the
// PNG embedded), the code as one path in module units scaled into its box, the background only
// where the logo leaves some of it to be seen. The same bytes in every run and process.
[[nodiscard]] std::string svg_logo_compact(const Picture& picture, const VectorLogo& logo, bool background);

// The picture as a one-page PDF on its page geometry: the modules as one filled path in a
// compressed content stream, tagged as a figure whose alternate text is the description (else
// the title); /Title and /Subject in the document information. With a logo (its form, prepared
// once), the logo as a form XObject at its place, and the background only where asked. nullopt
// when the picture does not fit its page or compression fails.
[[nodiscard]] std::optional<std::string> pdf_compact(const Picture& picture,
                                                     const VectorLogo::PdfForm* logo = nullptr,
                                                     bool background = true);

// A text as a literal PDF string: in PDFDocEncoding where every character is one of its Latin-1
// ones, else UTF-16BE with its byte order mark. Bytes that are no UTF-8 become U+FFFD.
[[nodiscard]] std::string pdf_text_string(std::string_view utf8);

}  // namespace tolvex
