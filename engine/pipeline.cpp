#include "engine/pipeline.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "engine/fit_mask.h"
#include "engine/renderer.h"
#include "engine/texture.h"
#include "platform/bmp.h"
#include "platform/errors.h"
#include "platform/gif.h"
#include "platform/jpeg.h"
#include "platform/palette.h"
#include "platform/png.h"

namespace {

// A directory or an entry we may not stat counts as missing, as it would for the user.
bool FileExists(const std::string& name) {
  if (name.empty()) return false;
  std::error_code ec;
  return std::filesystem::is_regular_file(std::filesystem::path(name), ec);
}

std::string LowerExtension(const std::string& name) {
  std::string ext = std::filesystem::path(name).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

// The halftone palette for an 8-bit texture; palettised pictures move to its nearest entries so
// that they keep their colours under the new table.
TDIB ToHalftone(TDIB picture) {
  const TColorTable halftone = HalftonePalette();
  if (picture.BitCount() > 8) {
    picture.SetColorTable(halftone);
    return picture;
  }
  std::uint8_t map[256];
  for (int e = 0; e < 256; ++e) {
    const TRGBQuad& q = picture.ColorTable()[e];
    map[e] =
        static_cast<std::uint8_t>(NearestPaletteIndex(halftone, q.rgbRed, q.rgbGreen, q.rgbBlue));
  }
  TDIB out;
  out.SetColorTable(halftone);
  out.SetSize(picture.Width(), picture.Height(), 8);
  for (int y = 0; y < picture.Height(); ++y) {
    std::uint8_t* dst = out.ScanLine(y);
    for (int x = 0; x < picture.Width(); ++x) dst[x] = map[picture.PixelValue(x, y) & 255];
  }
  return out;
}

TDIB ReadPicture(const std::string& fileName, int bitRate) {
  const std::string ext = LowerExtension(fileName);
  if (ext == ".jpg") return ReadJpeg(fileName, bitRate == 8);
  if (ext == ".gif") return ReadGif(fileName);
  TDIB picture = ext == ".png" ? ReadPng(fileName) : ReadBmp(fileName);
  return bitRate == 8 ? ToHalftone(std::move(picture)) : picture;
}

void Status(TRenderHost& host, int panel, const std::string& text) {
  host.SetStatusText(panel, host.Localize(text));
}

// Busy from the first change to the last, whatever way the pipeline ends.
class TBusy {
 public:
  explicit TBusy(TEngine& engine) : engine_(engine) { engine_.host().LockCommands(true); }
  ~TBusy() {
    engine_.RenderInProgress = false;
    engine_.host().LockCommands(false);
  }
  TBusy(const TBusy&) = delete;
  TBusy& operator=(const TBusy&) = delete;

 private:
  TEngine& engine_;
};

void LoadMask(TEngine& engine) {
  // Always as in true-colour mode: an 8-bit mask's values are its depths and must not be remapped.
  const std::string& name = engine.Params.MaskFileName;
  if (LoadInDib(engine.MaskImage, name, 24) && engine.MaskImage.Empty())
    throw TFileError(name, "the picture is empty");
}

void LoadTexture(TEngine& engine) {
  TRenderHost& host = engine.host();
  Status(host, 0, "Preparing texture...");
  host.ProcessMessages();
  LoadInDib(engine.PatternImage, engine.Params.FonFileName, engine.Params.BitRate);
  engine.OutputImage.SetColorTable(engine.PatternImage.ColorTable());
  host.ProcessMessages();
}

void RenderPattern(TEngine& engine) {
  const TStereoParams& p = engine.Params;
  if (!p.Randm) {
    if (!engine.PatternImage.Empty()) Render(engine);
    return;
  }
  RenderDotweave(engine);
  if (p.BitRate == 8) engine.OutputImage.SetColorTable(engine.PatternImage.ColorTable());
}

void ReportResult(TEngine& engine) {
  TRenderHost& host = engine.host();
  const TStereoParams& p = engine.Params;
  if (engine.CancelRequested) {
    Status(host, 2, "Rendering was canceled by user");
    return;
  }
  const std::string format = host.Localize("%dx%d %d color bits image");
  host.SetStatusText(2, FormatNumbers(format, {p.PWidth, p.PHeight, p.BitRate}));
}

}  // namespace

bool LoadInDib(TDIB& picture, const std::string& fileName, int bitRate) {
  if (!FileExists(fileName)) return false;
  picture = ReadPicture(fileName, bitRate);
  return true;
}

void ReloadPix(TEngine& engine, bool reloadMask) {
  const TStereoParams& p = engine.Params;
  if (reloadMask && !FileExists(p.MaskFileName)) return;
  if (!p.Randm && !FileExists(p.FonFileName)) return;
  TRenderHost& host = engine.host();
  TBusy busy(engine);
  engine.PatternImage = TDIB();
  engine.OutputImage = TDIB();
  Status(host, 0, "Loading 3d mask...");
  if (reloadMask) LoadMask(engine);
  const int width = std::max(0, p.PWidth), height = std::max(0, p.PHeight);
  FitMask(engine.MaskImage, p.PerSent, width, height);
  host.ProcessMessages();
  engine.OutputImage.SetSize(width, height, RenderBitCount(p));
  if (!p.Randm) LoadTexture(engine);
  Status(host, 0, "Rendering...");
  if (!host.AnimationDialogOpen()) Status(host, 2, "Press Esc to interrupt.");
  host.SetProgress(0);
  RenderPattern(engine);
  host.SetProgress(0);
  ReportResult(engine);
}

std::string FormatNumbers(const std::string& format, std::initializer_list<int> numbers) {
  std::string out;
  auto next = numbers.begin();
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size()) {
      if (format[i + 1] == '%') {
        out += '%';
        ++i;
        continue;
      }
      if (format[i + 1] == 'd' && next != numbers.end()) {
        out += std::to_string(*next++);
        ++i;
        continue;
      }
    }
    out += format[i];
  }
  return out;
}
