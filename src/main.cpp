// The program: hands the library's entry to the platform.
#include "app/player.h"
#include "core/core.h"
#include "movie/movie_capture.h"
#include "platform/app.h"

int main(int argc, char** argv) {
  // A damaged movie gets the player's own line per unreadable frame, not FFmpeg's flood.
  movie::silenceDecoderLog();
  int code = plat::runApplication(argc, argv, [] { return programEntry(playerTask()); });
  // An abandoned worker may still hold library state: end without static destructors.
  plat::quickExit(code);
}
