#include "cli_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

const char* const kUsage =
    "usage: maskwright-cli render MODEL.3ds -o MASK.bmp [--size WxH] [--rotate X,Y,Z]... "
    "[--move DX,DY,DZ]... [--progress]\n"
    "       maskwright-cli export MODEL.3ds -o OUT.bmp|OUT.avi [--size WxH] [--frames N] "
    "[--turns X,Y,Z] [--scale-by xz] [--fps N] [--codec FOURCC] [--progress]\n";

const char* const kHelpText =
    "Renders 8-bit depth masks (grey level = nearness) from 3DS models.\n"
    "\n"
    "Commands:\n"
    "  render MODEL.3ds -o MASK.bmp   one depth mask of the model\n"
    "  export MODEL.3ds -o OUT.bmp    a turning animation as the BMP sequence\n"
    "                                 OUT.bmp0000.bmp, OUT.bmp0001.bmp, ...\n"
    "  export MODEL.3ds -o OUT.avi    the same animation as the frames of an AVI file\n"
    "\n"
    "Options:\n"
    "  -o, --output FILE    file to write (required)\n"
    "  --size WxH           mask size, 100..10000 each (default 640x480)\n"
    "  --rotate X,Y,Z       render: one turn of 0.05 rad about the axis (X, Y, Z); repeat to\n"
    "                       turn further\n"
    "  --move DX,DY,DZ      render: move the model by (DX, DY, DZ) scene units (+z is away\n"
    "                       from the observer); turns and moves apply in the order given\n"
    "  --frames N           export: number of frames, 2..10000 (default 60)\n"
    "  --turns X,Y,Z        export: turns per cycle about each axis, -100..100 each\n"
    "                       (default 0,1,0)\n"
    "  --scale-by AXES      export: the extents (letters of xyz, or none) that fix the depth\n"
    "                       range of the whole animation (default xz)\n"
    "  --fps N              export to .avi: frames per second, 1..1000 (default 25)\n"
    "  --codec FOURCC       export to .avi: codec by its four-character code (FFV1, HFYU,\n"
    "                       ULRG, X264, MJPG, H264, FMP4); uncompressed when not given\n"
    "  --progress           show a progress bar on standard error\n"
    "  -h, --help           show this help\n"
    "\n"
    "Exit status: 0 success, 1 a file could not be read or written, 2 usage error.\n";

namespace {

std::vector<std::string> SplitCommas(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const auto comma = text.find(',', start);
    parts.push_back(text.substr(start, comma - start));
    if (comma == std::string::npos) return parts;
    start = comma + 1;
  }
}

float ParseFloat(const std::string& text, const std::string& option) {
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || errno != 0 || !std::isfinite(v) || std::fabs(v) > 1e6)
    throw TUsageError(option + ": not a number: '" + text + "'");
  return static_cast<float>(v);
}

int ParseInt(const std::string& text, const std::string& option, int lo, int hi) {
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno != 0 || v < lo || v > hi)
    throw TUsageError(option + ": expected a whole number from " + std::to_string(lo) + " to " +
                      std::to_string(hi) + ", got '" + text + "'");
  return static_cast<int>(v);
}

std::vector<std::string> Triple(const std::string& text, const std::string& option) {
  auto parts = SplitCommas(text);
  if (parts.size() != 3) throw TUsageError(option + ": expected three values X,Y,Z");
  return parts;
}

void ParseSize(const std::string& text, TCliOptions& o) {
  const auto x = text.find_first_of("xX");
  if (x == std::string::npos) throw TUsageError("--size: expected WxH, got '" + text + "'");
  o.width = ParseInt(text.substr(0, x), "--size width", 100, 10000);
  o.height = ParseInt(text.substr(x + 1), "--size height", 100, 10000);
}

void ParseScaleBy(const std::string& text, TCliOptions& o) {
  o.byX = o.byY = o.byZ = false;
  if (text == "none") return;
  if (text.empty()) throw TUsageError("--scale-by: expected letters of xyz or 'none'");
  for (char c : text) {
    bool* flag = c == 'x' ? &o.byX : c == 'y' ? &o.byY : c == 'z' ? &o.byZ : nullptr;
    if (!flag || *flag)
      throw TUsageError("--scale-by: expected letters of xyz or 'none', got '" + text + "'");
    *flag = true;
  }
}

// Applies one option that takes a value.
void ApplyValue(const std::string& name, const std::string& value, TCliOptions& o) {
  const bool render = o.command == TCliOptions::kRender;
  auto renderOnly = [&] {
    if (!render) throw TUsageError(name + " applies to render only");
  };
  auto exportOnly = [&] {
    if (render) throw TUsageError(name + " applies to export only");
  };
  if (name == "-o" || name == "--output") {
    o.output = value;
  } else if (name == "--size") {
    ParseSize(value, o);
  } else if (name == "--rotate" || name == "--move") {
    renderOnly();
    const auto p = Triple(value, name);
    o.steps.push_back({name == "--rotate" ? TCliStep::kRotate : TCliStep::kMove,
                       ParseFloat(p[0], name), ParseFloat(p[1], name), ParseFloat(p[2], name)});
  } else if (name == "--frames") {
    exportOnly();
    o.frames = ParseInt(value, name, 2, 10000);
  } else if (name == "--turns") {
    exportOnly();
    const auto p = Triple(value, name);
    for (int i = 0; i < 3; ++i) o.turns[i] = ParseInt(p[i], name, -100, 100);
  } else if (name == "--scale-by") {
    exportOnly();
    ParseScaleBy(value, o);
  } else if (name == "--fps") {
    exportOnly();
    o.fps = ParseInt(value, name, 1, 1000);
  } else if (name == "--codec") {
    exportOnly();
    if (value.size() != 4)
      throw TUsageError("--codec: expected four characters, got '" + value + "'");
    o.codec = value;
  } else {
    throw TUsageError("unknown option '" + name + "'");
  }
}

}  // namespace

TCliOptions ParseCommandLine(const std::vector<std::string>& args) {
  TCliOptions o;
  for (const auto& a : args)
    if (a == "-h" || a == "--help") return o;
  if (args.empty()) throw TUsageError("no command given");
  if (args[0] == "render")
    o.command = TCliOptions::kRender;
  else if (args[0] == "export")
    o.command = TCliOptions::kExport;
  else
    throw TUsageError("unknown command '" + args[0] + "'");
  for (std::size_t i = 1; i < args.size(); ++i) {
    std::string name = args[i], value;
    if (name == "--progress") {
      o.progress = true;
      continue;
    }
    if (name.empty() || name[0] != '-' || name == "-") {
      if (!o.model.empty()) throw TUsageError("more than one model given");
      o.model = name;
      continue;
    }
    if (const auto eq = name.find('='); name.starts_with("--") && eq != std::string::npos) {
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
    } else {
      if (i + 1 >= args.size()) throw TUsageError(name + " needs a value");
      value = args[++i];
    }
    ApplyValue(name, value, o);
  }
  if (o.model.empty()) throw TUsageError("no model file given");
  if (o.output.empty()) throw TUsageError("no output file given (-o)");
  return o;
}
