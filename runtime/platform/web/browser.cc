// What a browser gives the program around its canvas: always a display,
// tasks run from the page's event loop (there are no threads), a canvas
// that the browser shows whenever the program waits, and downloads for the
// files a player asks for.
#include <emscripten.h>
#include <sys/stat.h>

#include <memory>

#include "runtime/core/system.h"

namespace {

// Emscripten reports a file-creation mask of 0777, which its file system
// never applies; files given modes worked out from it (the runtime's own
// writes) could not be read back. The usual mask of a desktop replaces it
// before anything runs.
[[maybe_unused]] const int kUsualMask = (umask(022), 0);

void RunTask(void* task) {
  std::unique_ptr<std::function<void()>> owned(static_cast<std::function<void()>*>(task));
  (*owned)();
}

}  // namespace

// The page may also want the file (its tests take F12 pictures this way).
EM_JS(void, OfferDownload, (const char* path), {
  var name = UTF8ToString(path);
  var data;
  try {
    data = FS.readFile(name);
  } catch (e) {
    console.log('Cannot offer ' + name + ' as a download: ' + e);
    return;
  }
  if (Module['onFileHandedOver']) Module['onFileHandedOver'](name, data);
  var link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([data], {type: 'application/octet-stream'}));
  link.download = name.substring(name.lastIndexOf('/') + 1);
  document.body.appendChild(link);
  link.click();
  setTimeout(function() {
    URL.revokeObjectURL(link.href);
    link.remove();
  }, 1000);
});

bool DisplayAvailable() { return true; }

std::string_view HiddenRunVideoDriver() { return ""; }

void RunLater(int ms, std::function<void()> task) {
  auto owned = std::make_unique<std::function<void()>>(std::move(task));
  emscripten_async_call(RunTask, owned.release(), ms > 0 ? ms : 0);
}

WindowContext WindowContextKind() { return WindowContext::kEmbedded2; }

bool WindowShowsUnfinishedFrames() { return true; }

void HandFileToUser(const std::string& path) { OfferDownload(path.c_str()); }
