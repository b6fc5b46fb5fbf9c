// The log "Debug.txt": one line per event, no time stamps.
#include "engine.h"

namespace engine {

// A log that could not be created leaves LogStream at 0, and the run goes on
// without one.
void LogLine(const Text& text) {
  if (LogStream != 0) fw_write_line(LogStream, text);
}

void LogLines(std::initializer_list<Text> lines) {
  for (const Text& line : lines) LogLine(line);
}

void LogFileLeftUnread(const Text& name) {
  LogLine(u"\t" + name + u" could not be read (too large or unreadable); it is left as it is");
}

}  // namespace engine
