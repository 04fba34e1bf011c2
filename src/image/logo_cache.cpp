#include "image/logo_cache.h"

#include <algorithm>
#include <filesystem>
#include <new>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace tolvex {
namespace {

struct LogoCacheEntry {
  std::string path;
  SurfacePtr surface;  // the cache's own reference; compositions take their own
  std::shared_ptr<const VectorLogo> vector;  // made by the first SVG or PDF of the logo
  std::uint32_t useCount = 1;
  std::int32_t size = 0;  // of the PNG file, and of the vector logo's text once it is kept
  std::vector<std::pair<std::string, std::shared_ptr<const LogoPngParts>>> parts;
};

// Parts for more backgrounds or layouts of one logo than this make room for newer ones.
constexpr std::size_t kPartsPerLogo = 4;

struct LogoCache {
  std::int32_t budget = 0;
  std::optional<std::vector<LogoCacheEntry>> entries;  // none while the cache is off
};

thread_local LogoCache cache;

SurfacePtr share(cairo_surface_t* surface) { return SurfacePtr(cairo_surface_reference(surface)); }

// Removes the least used entry (the earliest among equals) and gives its size back to the
// budget. With nothing left to remove the cache turns itself off.
bool logo_cache_evict() {
  if (!cache.entries || cache.entries->empty()) {
    cache.budget = 0;
    cache.entries.reset();
    return false;
  }
  auto& entries = *cache.entries;
  const auto victim = std::min_element(entries.begin(), entries.end(),
                                       [](const auto& a, const auto& b) { return a.useCount < b.useCount; });
  cache.budget += victim->size;
  entries.erase(victim);
  return true;
}

void logo_cache_add(const std::string& path, cairo_surface_t* surface) {
  std::error_code error;
  std::uintmax_t fileSize = 0;
  try {
    fileSize = std::filesystem::file_size(path, error);
  } catch (const std::bad_alloc&) {
    return;
  }
  // A size that cannot be measured, or one beyond any budget, is simply not cached.
  if (error || fileSize > static_cast<std::uintmax_t>(INT32_MAX)) return;
  const auto size = static_cast<std::int32_t>(fileSize);
  while (cache.budget <= size) {
    if (!logo_cache_evict()) break;
  }
  if (cache.budget == 0 || !cache.entries) return;
  try {
    cache.entries->push_back(LogoCacheEntry{path, share(surface), nullptr, 1, size, {}});
  } catch (const std::bad_alloc&) {
    return;  // a picture the cache has no room for is simply not cached
  }
  cache.budget -= size;
}

}  // namespace

void logo_cache_set_budget(std::int32_t bytes) {
  cache = LogoCache{};
  if (bytes > 0) {
    cache.budget = bytes;
    cache.entries.emplace();
  }
}

void logo_cache_free() { cache = LogoCache{}; }

SurfacePtr logo_cache_load(const std::string& path) {
  if (cache.entries) {
    for (LogoCacheEntry& entry : *cache.entries) {
      if (entry.path == path) {
        ++entry.useCount;
        return share(entry.surface.get());
      }
    }
  }
  SurfacePtr surface(cairo_image_surface_create_from_png(path.c_str()));
  if (cache.entries && cairo_surface_status(surface.get()) == CAIRO_STATUS_SUCCESS) {
    logo_cache_add(path, surface.get());
  }
  return surface;
}

namespace {

LogoCacheEntry* cached(cairo_surface_t* logo) {
  if (!cache.entries || logo == nullptr) return nullptr;
  for (LogoCacheEntry& entry : *cache.entries) {
    if (entry.surface.get() == logo) return &entry;
  }
  return nullptr;
}

}  // namespace

std::shared_ptr<const LogoPngParts> logo_cache_parts(cairo_surface_t* logo, const std::string& key) {
  if (const LogoCacheEntry* entry = cached(logo)) {
    for (const auto& [partsKey, parts] : entry->parts) {
      if (partsKey == key) return parts;
    }
  }
  return nullptr;
}

void logo_cache_keep_parts(cairo_surface_t* logo, const std::string& key,
                           std::shared_ptr<const LogoPngParts> parts) {
  LogoCacheEntry* entry = cached(logo);
  if (entry == nullptr) return;
  try {
    if (entry->parts.size() >= kPartsPerLogo) entry->parts.erase(entry->parts.begin());
    entry->parts.emplace_back(key, std::move(parts));
  } catch (const std::bad_alloc&) {
    return;  // parts that do not fit are made again next time
  }
}

std::shared_ptr<const VectorLogo> logo_cache_vector(const std::string& pngPath, int width, int height) {
  LogoCacheEntry* kept = nullptr;
  if (cache.entries) {
    for (LogoCacheEntry& entry : *cache.entries) {
      if (entry.path == pngPath) kept = &entry;
    }
  }
  if (kept != nullptr && kept->vector) return kept->vector;
  std::shared_ptr<const VectorLogo> vector = vector_logo_prepare(pngPath, width, height);
  // Kept beside its PNG while the budget holds its text too; the drawing is about as large.
  if (kept != nullptr && vector) {
    const std::size_t size = vector->svgOpen.size() + vector->svgRest.size();
    if (size < static_cast<std::size_t>(cache.budget)) {
      kept->vector = vector;
      kept->size += static_cast<std::int32_t>(size);
      cache.budget -= static_cast<std::int32_t>(size);
    }
  }
  return vector;
}

LogoCacheState logo_cache_state() {
  return {cache.entries.has_value(), cache.budget,
          cache.entries ? static_cast<std::uint32_t>(cache.entries->size()) : 0u};
}

std::uint32_t logo_cache_use_count(const std::string& path) {
  if (!cache.entries) return 0;
  for (const LogoCacheEntry& entry : *cache.entries) {
    if (entry.path == path) return entry.useCount;
  }
  return 0;
}

}  // namespace tolvex
