// maskwright-cli: depth masks and turning animations from 3DS models, without a display.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli_options.h"
#include "maskwright/core/animation.h"
#include "maskwright/core/mask_core.h"
#include "maskwright/core/mask_host.h"
#include "maskwright/core/placement.h"
#include "maskwright/core/rasterizer.h"
#include "maskwright/core/reader_3ds.h"
#include "platform/bmp.h"
#include "platform/errors.h"
#include "shared/avi_video.h"

namespace {

// A failure the user must see, already worded; exit status 1.
struct TCliError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class TProgressBar {
 public:
  explicit TProgressBar(bool enabled) : enabled_(enabled) {}
  ~TProgressBar() { Finish(); }
  void Show(int percent) {
    if (!enabled_) return;
    percent = std::clamp(percent, 0, 100);
    if (percent == last_) return;
    last_ = percent;
    const int filled = percent * 40 / 100;
    std::fprintf(stderr, "\r[%s%s] %3d%%", std::string(filled, '#').c_str(),
                 std::string(40 - filled, ' ').c_str(), percent);
    std::fflush(stderr);
    drawn_ = true;
  }
  void Finish() {
    if (drawn_) std::fputc('\n', stderr);
    drawn_ = false;
    last_ = -1;
  }

 private:
  bool enabled_;
  bool drawn_ = false;
  int last_ = -1;
};

// Keeps the reader's message for the error line; shows the rasterizer's progress when asked.
struct TCliHost : TQuietMaskHost {
  TProgressBar* bar = nullptr;
  bool showRenderProgress = false;
  std::string lastError;
  void ShowError(const std::string& text) override { lastError = text; }
  void SetProgress(int position) override {
    if (showRenderProgress && bar && position > 0) bar->Show(position);
  }
};

void LoadOrFail(TMaskCore& core, TCliHost& host, const std::string& name) {
  if (!Has3dsExtension(name)) throw TCliError(name + ": " + kUnsupportedInputType);
  try {
    if (!LoadModel(core, host, name))
      throw TCliError(name + ": " + (host.lastError.empty() ? kParseError : host.lastError));
  } catch (const TFileError& e) {
    throw TCliError(e.what());
  }
  core.ModelLoaded = true;
  CaptureLoadedModel(core);
}

void Save(const TDIB& mask, const std::string& path) {
  try {
    WriteBmp(mask, path);
  } catch (const TFileError& e) {
    throw TCliError(e.what());
  }
}

void Render(const TCliOptions& o, TMaskCore& core, TCliHost& host) {
  for (const TCliStep& step : o.steps) {
    if (step.kind == TCliStep::kRotate)
      RotateModel(core, host, step.x, step.y, step.z);
    else
      MoveModel(core, host, step.x, step.y, step.z);
  }
  host.showRenderProgress = true;
  RenderObject(core, host);
  host.bar->Show(100);
  host.bar->Finish();
  Save(core.Mask, o.output);
}

bool EndsWith(const std::string& name, const char* wanted) {
  if (name.size() < 4) return false;
  std::string ext = name.substr(name.size() - 4);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext == wanted;
}

// The same turning animation as the frames of one AVI file.
void ExportAvi(const TCliOptions& o, TMaskCore& core, TCliHost& host) {
  TVideoWriter writer;
  TCompressOptions options;
  if (!o.codec.empty())
    options.fccHandler = MakeFourCC(o.codec[0], o.codec[1], o.codec[2], o.codec[3]);
  writer.SetCompressOptions(options);
  std::string name;
  writer.CodecName(name);
  if (options.fccHandler != 0 && name == "UNCOMPRESSED")
    std::fprintf(stderr, "maskwright-cli: codec %s is not available; writing uncompressed frames\n",
                 o.codec.c_str());
  writer.SetFrameRate(static_cast<std::uint16_t>(o.fps));
  core.ExportOpen = true;
  GetMaxBox(core, o.byX, o.byY, o.byZ);
  PrepareRotation(core, o.turns[0], o.turns[1], o.turns[2], o.frames);
  std::string error;
  for (int i = 0; i < o.frames; ++i) {
    RenderFrame(core, host);
    if (i == 0 && !writer.OpenOutput(&core.Mask, o.output)) {
      writer.ErrorText(error);
      if (!error.empty()) error = " (" + error + ")";
      throw TCliError(o.output + ": cannot create file" + error);
    }
    if (!writer.WriteFrame(core.Mask.Bits(), i)) {
      writer.ErrorText(error);
      writer.CloseOutput();
      throw TCliError(o.output + ": Error writing rendered frame: " + error);
    }
    host.bar->Show((i + 1) * 100 / o.frames);
  }
  host.bar->Finish();
  if (!writer.CloseOutput()) throw TCliError(o.output + ": Error writing file");
}

void Export(const TCliOptions& o, TMaskCore& core, TCliHost& host) {
  core.ExportOpen = true;
  GetMaxBox(core, o.byX, o.byY, o.byZ);
  PrepareRotation(core, o.turns[0], o.turns[1], o.turns[2], o.frames);
  for (int i = 0; i < o.frames; ++i) {
    RenderFrame(core, host);
    Save(core.Mask, SequenceFileName(o.output, i));
    host.bar->Show((i + 1) * 100 / o.frames);
  }
  host.bar->Finish();
}

int Run(const TCliOptions& o) {
  const bool avi = o.command == TCliOptions::kExport && EndsWith(o.output, ".avi");
  if (o.command == TCliOptions::kExport && !avi && !EndsWith(o.output, ".bmp"))
    throw TUsageError(
        "export: OUT must end in .bmp (the sequence is OUT0000.bmp, OUT0001.bmp, ...) or .avi");
  TProgressBar bar(o.progress);
  TCliHost host;
  host.bar = &bar;
  TMaskCore core;
  core.PicWidth = o.width;
  core.PicHeight = o.height;
  LoadOrFail(core, host, o.model);
  if (o.command == TCliOptions::kRender)
    Render(o, core, host);
  else if (avi)
    ExportAvi(o, core, host);
  else
    Export(o, core, host);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const TCliOptions o = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (o.command == TCliOptions::kHelp) {
      std::fputs(kUsage, stdout);
      std::fputs("\n", stdout);
      std::fputs(kHelpText, stdout);
      return 0;
    }
    return Run(o);
  } catch (const TUsageError& e) {
    std::fprintf(stderr, "maskwright-cli: %s\n%s", e.what(), kUsage);
    return 2;
  } catch (const TCliError& e) {
    std::fprintf(stderr, "maskwright-cli: %s\n", e.what());
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "maskwright-cli: %s\n", e.what());
    return 1;
  }
}
