#include "image/rsvg_library.h"

#include <dlfcn.h>

namespace tolvex {
namespace {

// The soname of librsvg 2, whose interface these entries belong to.
constexpr const char* kRsvgSoname = "librsvg-2.so.2";

template <typename Function>
void resolve(void* library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(dlsym(library, name));
}

RsvgLibrary load() {
  RsvgLibrary entries;
  // Never closed: its GLib types are registered for the life of the process.
  void* library = dlopen(kRsvgSoname, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) return entries;
  resolve(library, "rsvg_handle_new_from_data", entries.newFromData);
  resolve(library, "rsvg_handle_render_document", entries.renderDocument);
  resolve(library, "g_object_unref", entries.unref);
  resolve(library, "g_error_free", entries.freeError);
  return entries;
}

}  // namespace

const RsvgLibrary& rsvg_library() {
  static const RsvgLibrary library = load();
  return library;
}

}  // namespace tolvex
