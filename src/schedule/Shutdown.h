// The one operation through which every shutdown goes.
#pragma once

namespace varnel {

struct Program;
class SettingsFile;

enum class ShutdownMode { NormalShutdown, ForcedShutdown };

ShutdownMode readShutdownMode(const SettingsFile& settings);
// Reads the mode afresh and asks Windows to turn the computer off; returns at
// once, true when Windows accepted the request.
bool requestShutdown(Program& program);

}  // namespace varnel
