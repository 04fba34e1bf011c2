// librsvg, loaded on first use rather than at start: it brings GLib, Pango, HarfBuzz and their
// kin (some twenty libraries), which only the logo twins of print output need, while every
// process that draws a PNG would pay for loading them.
#pragma once

#include <librsvg/rsvg.h>

namespace tolvex {

// The few entries of librsvg the logo twins use; each null when the library cannot be loaded.
struct RsvgLibrary {
  RsvgHandle* (*newFromData)(const guint8* data, gsize length, GError** error) = nullptr;
  gboolean (*renderDocument)(RsvgHandle* handle, cairo_t* context, const RsvgRectangle* viewport,
                             GError** error) = nullptr;
  void (*unref)(gpointer object) = nullptr;
  void (*freeError)(GError* error) = nullptr;

  [[nodiscard]] bool loaded() const {
    return newFromData != nullptr && renderDocument != nullptr && unref != nullptr && freeError != nullptr;
  }
};

// Loads librsvg once for the process (safe from several threads); later calls give the same.
const RsvgLibrary& rsvg_library();

}  // namespace tolvex
