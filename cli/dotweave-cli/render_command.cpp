#include "render_command.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "engine/blender.h"
#include "engine/engine.h"
#include "engine/pipeline.h"
#include "engine/stereo_settings.h"
#include "platform/atomic_file.h"
#include "platform/bmp.h"
#include "platform/errors.h"
#include "platform/ini_file.h"
#include "platform/jpeg.h"
#include "platform/png.h"

namespace {

enum class TFormat { Bmp, Jpeg, Png };

TFormat OutputFormat(const std::string& path) {
  const std::size_t dot = path.find_last_of('.');
  const std::size_t slash = path.find_last_of('/');
  std::string ext = (dot == std::string::npos || (slash != std::string::npos && dot < slash))
                        ? std::string()
                        : path.substr(dot);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  if (ext == ".bmp") return TFormat::Bmp;
  if (ext == ".jpg" || ext == ".jpeg") return TFormat::Jpeg;
  if (ext == ".png") return TFormat::Png;
  throw TUsageError("the output must end in .bmp, .jpg or .png: " + path);
}

// Progress on standard error when asked for; otherwise silent.
class TCliHost : public TQuietHost {
 public:
  explicit TCliHost(bool progress) : progress_(progress) {}
  ~TCliHost() override { Finish(); }
  void SetProgress(int position) override {
    if (!progress_ || position <= last_) return;
    last_ = position;
    Draw(position);
  }
  void Finish() {
    if (progress_ && last_ >= 0) {
      Draw(100);
      std::fputc('\n', stderr);
      last_ = -1;
    }
  }

 private:
  static void Draw(int position) {
    const int filled = position * 40 / 100;
    std::fprintf(stderr, "\r[%.*s%*s] %3d%%", filled, "########################################",
                 40 - filled, "", position);
    std::fflush(stderr);
  }
  bool progress_;
  int last_ = -1;
};

TIniFile LoadSettings(const TRenderOptions& options) {
  TIniFile ini =
      TIniFile::FromText(options.config.empty() ? std::string() : ReadWholeFile(options.config));
  for (const auto& s : options.settings) ini.WriteString(s.section, s.key, s.value);
  return ini;
}

void RequireFile(const std::string& path) {
  if (!FileExists(path)) throw TFileError(path, "file not found");
}

void WriteOutput(const TDIB& picture, const std::string& path, TFormat format, int quality) {
  switch (format) {
    case TFormat::Bmp:
      WriteBmp(picture, path);
      break;
    case TFormat::Jpeg:
      WriteJpeg(picture, path, quality);
      break;
    case TFormat::Png:
      WritePng(picture, path);
      break;
  }
}

int Render(const TRenderOptions& options, std::ostream& err) {
  const TFormat format = OutputFormat(options.output);
  const TIniFile ini = LoadSettings(options);
  TEngine engine;
  TStereoParams& params = engine.Params;
  LoadStereoParams(ini, params);
  params.MaskFileName = options.mask;
  if (!options.texture.empty()) params.FonFileName = options.texture;
  RequireFile(params.MaskFileName);
  if (!params.Randm) {
    if (params.FonFileName.empty())
      throw TUsageError("no texture: give --texture FILE, or --set Randm=1 for random dots");
    RequireFile(params.FonFileName);
  }
  if (const std::string why = CheckRenderable(params); !why.empty()) {
    err << "dotweave-cli: invalid settings: " << why << "\n";
    return 1;
  }
  TCliHost host(options.progress);
  engine.Host = &host;
  ReloadPix(engine, true);
  host.Finish();
  if (engine.OutputImage.Empty()) {
    err << "dotweave-cli: nothing was rendered\n";
    return 1;
  }
  if (options.blend) {
    // As the blending dialog's Apply does: in place over the whole stereogram.
    TBlender blender;
    LoadBlending(ini, blender);
    blender.Preview = false;
    blender.ProgressBar = &host;
    blender.Blend(engine.OutputImage, engine.OutputImage);
    host.Finish();
  }
  WriteOutput(engine.OutputImage, options.output, format, params.JpegQual);
  return 0;
}

}  // namespace

int RunRender(const TRenderOptions& options, std::ostream& err) {
  try {
    return Render(options, err);
  } catch (const TUsageError& e) {
    err << "dotweave-cli: " << e.what() << "\n" << kUsage << "\n";
    return 2;
  } catch (const TFileError& e) {
    err << "dotweave-cli: " << e.what() << "\n";
    return 1;
  } catch (const std::bad_alloc&) {
    err << "dotweave-cli: not enough memory for this picture\n";
    return 1;
  } catch (const std::exception& e) {
    err << "dotweave-cli: " << e.what() << "\n";
    return 1;
  }
}
