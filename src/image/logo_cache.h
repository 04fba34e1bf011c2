// A per-thread cache of decoded logo pictures for callers that compose many codes.
//
// Off unless a budget is set. The budget counts bytes of the PNG files as stored; a picture is
// kept only while it fits what is left, and the least used pictures make room first.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "image/cairo_ptr.h"
#include "image/vector_logo.h"
#include "tolvex/picture_options.hpp"

namespace tolvex {

// The decoded picture of the PNG file at path, from the cache when it holds it. A picture that
// could not be loaded comes back with its cairo error status and is never cached.
SurfacePtr logo_cache_load(const std::string& path);

// Parts of PNG files prepared for a cached logo picture (image/png_compose.h), kept with the
// picture and dropped with it, a few for each: under a key that says what they were made for.
// None when the cache does not hold the picture or no parts under the key.
struct LogoPngParts;
[[nodiscard]] std::shared_ptr<const LogoPngParts> logo_cache_parts(cairo_surface_t* logo,
                                                                   const std::string& key);
// Keeps the parts beside the cached picture, the oldest parts making room; nothing when the
// cache does not hold the picture.
void logo_cache_keep_parts(cairo_surface_t* logo, const std::string& key,
                           std::shared_ptr<const LogoPngParts> parts);

// The logo of the PNG at pngPath (width x height pixels) as SVG and PDF output use it, prepared
// once while the cache keeps that PNG (see vector_logo_prepare); nullptr when it cannot be read.
std::shared_ptr<const VectorLogo> logo_cache_vector(const std::string& pngPath, int width, int height);

// What the cache of the calling thread holds, for callers and tests that watch it.
struct LogoCacheState {
  bool on = false;
  std::int32_t budget = 0;
  std::uint32_t entries = 0;
};
LogoCacheState logo_cache_state();

// The use count of the cached picture at path, 0 when it is not cached.
std::uint32_t logo_cache_use_count(const std::string& path);

}  // namespace tolvex
