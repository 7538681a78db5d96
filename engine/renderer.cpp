#include "engine/renderer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "engine/random_dots.h"
#include "platform/palette.h"

namespace {

// Link arrays hold positions in 16 bits; a longer row lowers the oversampling.
constexpr int kMaxRowPositions = 65535;

// The settings of one render, held within the ranges the row loops rely on.
struct TSetup {
  int width = 0, height = 0;  // PWidth, PHeight
  int base = 0, ov = 1;       // Base, Oversampling
  int W = 0, P = 0;           // oversampled row width and period
  int bits = 24;
  int algorithm = 2;
};

TSetup Normalize(const TStereoParams& p) {
  TSetup s;
  s.width = p.PWidth;
  s.height = p.PHeight;
  s.bits = RenderBitCount(p);
  s.algorithm = p.Algorithm;
  if (s.width <= 0 || s.height <= 0) return s;
  s.base = RenderBase(p);
  s.ov = std::clamp(p.Oversampling, 1, std::max(1, kMaxRowPositions / s.width));
  s.W = s.width * s.ov;
  s.P = s.base * s.ov;
  return s;
}

// Exact n div d for n < 2^24 and 0 < d < 2^16, without a hardware divide per channel.
struct TDivider {
  std::uint64_t m;
  explicit TDivider(int d) : m(((std::uint64_t{1} << 40) + d - 1) / static_cast<unsigned>(d)) {}
  unsigned operator()(unsigned n) const { return static_cast<unsigned>((n * m) >> 40); }
};

// The depth of a pixel of a mask that is not 8-bit: the nearest GreyRamp entry (lowest on ties).
std::uint8_t NearestGrey(TColor c) {
  return static_cast<std::uint8_t>((ColorR(c) + ColorG(c) + ColorB(c) + 1) / 3);
}

int PositiveMod(long long v, int m) {
  const long long r = v % m;
  return static_cast<int>(r < 0 ? r + m : r);
}

void Reduce24(const std::uint8_t* row, int ov, std::uint8_t* out, int width) {
  if (ov == 2) {
    for (int i = 0; i < 3 * width; i += 3, row += 6)
      for (int c = 0; c < 3; ++c)
        out[i + c] = static_cast<std::uint8_t>((row[c] + row[c + 3]) >> 1);
    return;
  }
  const TDivider div(ov);
  for (int i = 0; i < width; ++i, row += 3 * ov) {
    unsigned sum[3] = {0, 0, 0};
    for (int k = 0; k < 3 * ov; k += 3)
      for (int c = 0; c < 3; ++c) sum[c] += row[k + c];
    for (int c = 0; c < 3; ++c) out[3 * i + c] = static_cast<std::uint8_t>(div(sum[c]));
  }
}

void Reduce8(const std::uint8_t* row, int ov, TDIB& output, std::uint8_t* out) {
  const TColorTable& table = output.ColorTable();
  TNearestPalette& nearest = output.Nearest();
  const TDivider div(ov);
  for (int i = 0; i < output.Width(); ++i, row += ov) {
    unsigned r = 0, g = 0, b = 0;
    for (int k = 0; k < ov; ++k) {
      const TRGBQuad& q = table[row[k]];
      r += q.rgbRed;
      g += q.rgbGreen;
      b += q.rgbBlue;
    }
    out[i] = nearest.Find(std::min(255u, div(r)), std::min(255u, div(g)), std::min(255u, div(b)));
  }
}

// Twofold oversampling mixes pairs of entries. The nearest entry of each pair's mean is kept per
// pair (the mean does not depend on the order).
class TPairReducer {
 public:
  void Reduce(const std::uint8_t* row, TDIB& output, std::uint8_t* out) {
    if (!grid_) {
      grid_ = std::make_unique<TNearestGrid>(output.ColorTable());
      memo_.assign(std::size_t{1} << 16, kUnknown);
      same_.fill(kUnknown);
    }
    const TColorTable& table = output.ColorTable();
    for (int i = 0; i < output.Width(); ++i, row += 2) {
      const unsigned a = std::min(row[0], row[1]), b = std::max(row[0], row[1]);
      // Equal pairs, the common case, hit a small slice of the memo that stays in cache.
      std::uint16_t& known = a == b ? same_[a] : memo_[a << 8 | b];
      if (known == kUnknown) {
        const TRGBQuad &p = table[a], &q = table[b];
        known = grid_->Find((p.rgbRed + q.rgbRed) >> 1, (p.rgbGreen + q.rgbGreen) >> 1,
                            (p.rgbBlue + q.rgbBlue) >> 1);
      }
      out[i] = static_cast<std::uint8_t>(known);
    }
  }

 private:
  static constexpr std::uint16_t kUnknown = 0xFFFF;
  std::unique_ptr<TNearestGrid> grid_;
  std::vector<std::uint16_t> memo_;
  std::array<std::uint16_t, 256> same_;
};

}  // namespace

int DepthShift(int p, int depth, int dDepth, int renderDirection) {
  if (dDepth == 0) dDepth = 1;  // a divisor; only a hand-edited file holds 0
  const long double v = static_cast<long double>(p) * 7.26L * depth / dDepth * 0.0025L;
  const long double limit = std::numeric_limits<int>::max();
  const long long s = static_cast<long long>(std::clamp(std::nearbyint(v), -limit, limit));
  return static_cast<int>(std::clamp(s * renderDirection, -static_cast<long long>(limit),
                                     static_cast<long long>(limit)));
}

int RenderBase(const TStereoParams& params) {
  const int width = std::max(1, params.PWidth);
  return std::clamp(params.Base, std::min(2, width), width);
}

int RenderBitCount(const TStereoParams& params) { return params.BitRate == 8 ? 8 : 24; }

void ReduceRow(const std::uint8_t* row, int oversampling, TDIB& output, int y) {
  if (oversampling < 1 || y < 0 || y >= output.Height()) return;
  if (output.BitCount() == 8)
    Reduce8(row, oversampling, output, output.ScanLine(y));
  else if (output.BitCount() == 24)
    Reduce24(row, oversampling, output.ScanLine(y), output.Width());
}

namespace {

// Builds the oversampled rows of one render. N is the bytes per pixel, Link the type of the
// link arrays. Buffers are allocated once per render and reused row after row.
template <int N, typename Link>
class TRowBuilder {
 public:
  TRowBuilder(TEngine& engine, const TSetup& s);
  // Builds row y into the row buffer (the output row itself without oversampling) and reduces it.
  void Render(int y, TRenderHost& host);

 private:
  static void Put(std::uint8_t* row, int x, const std::uint8_t* px) {
    std::memcpy(row + N * x, px, N);
  }
  const std::uint8_t* Pat(int k) const { return ppat_.data() + N * k; }
  int Shift(const std::uint8_t* m, int column) const {
    return shift_[m[std::clamp(column, 0, s_.width - 1)]];
  }
  void LoadPattern(int y);
  const std::uint8_t* PatternPixel(int x, int y, std::uint8_t* scratch) const;
  const std::uint8_t* DepthRow(int y);
  void FromLeft(std::uint8_t* row, const std::uint8_t* m) const;
  void FromCenter(std::uint8_t* row, const std::uint8_t* m) const;
  void LinkRow(std::uint8_t* row, const std::uint8_t* m);
  void LinkPositions(const std::uint8_t* m);
  void FillFromLinks(std::uint8_t* row) const;

  TEngine& engine_;
  const TSetup s_;
  int shift_[256];
  std::vector<std::uint8_t> buffer_;  // the oversampled row
  std::vector<std::uint8_t> ppat_;    // one period of the pattern row, oversampled
  std::vector<std::uint8_t> depth_;   // mask row when the mask cannot be read in place
  std::vector<Link> lookLeft_, lookRight_, identity_;
  TPairReducer pairs_;
};

template <int N, typename Link>
TRowBuilder<N, Link>::TRowBuilder(TEngine& engine, const TSetup& s)
    : engine_(engine), s_(s), ppat_(static_cast<std::size_t>(N) * s.P) {
  const TStereoParams& p = engine.Params;
  // A link always moves at least one position and less than two periods.
  for (int d = 0; d < 256; ++d)
    shift_[d] = std::clamp(DepthShift(s.P, d, p.DDepth, p.RenderDirection), 1 - s.P, s.P - 1);
  if (s.ov > 1) buffer_.resize(static_cast<std::size_t>(N) * s.W);
  if (s.algorithm == 2) {
    identity_.resize(s.W);
    for (int i = 0; i < s.W; ++i) identity_[i] = static_cast<Link>(i);
    lookLeft_.resize(s.W);
    lookRight_.resize(s.W);
  }
}

template <int N, typename Link>
void TRowBuilder<N, Link>::Render(int y, TRenderHost& host) {
  std::uint8_t* row = s_.ov > 1 ? buffer_.data() : engine_.OutputImage.ScanLine(y);
  if (s_.algorithm >= 0 && s_.algorithm <= 2) {
    LoadPattern(y);
    const std::uint8_t* m = DepthRow(y);
    if (s_.algorithm == 0) FromLeft(row, m);
    if (s_.algorithm == 1) FromCenter(row, m);
    if (s_.algorithm == 2) LinkRow(row, m);
  }
  if (s_.ov > 1) {
    host.ProcessMessages();
    if (N == 1 && s_.ov == 2)
      pairs_.Reduce(row, engine_.OutputImage, engine_.OutputImage.ScanLine(y));
    else
      ReduceRow(row, s_.ov, engine_.OutputImage, y);
  }
}

// A pattern of another size repeats; one of another depth is converted.
template <int N, typename Link>
const std::uint8_t* TRowBuilder<N, Link>::PatternPixel(int x, int y, std::uint8_t* scratch) const {
  const TDIB& pat = engine_.PatternImage;
  x %= pat.Width();
  y %= pat.Height();
  if (pat.BitCount() == 8 * N) return pat.ScanLine(y) + N * x;
  const TColor c = pat.PixelColor(x, y);
  if (N == 1) {
    scratch[0] = engine_.OutputImage.NearestIndex(ColorR(c), ColorG(c), ColorB(c));
  } else {
    scratch[0] = static_cast<std::uint8_t>(ColorB(c));
    scratch[1] = static_cast<std::uint8_t>(ColorG(c));
    scratch[2] = static_cast<std::uint8_t>(ColorR(c));
  }
  return scratch;
}

// ppat_[k] = pat[k div Ov]: the pattern pixel of any position x is ppat_[(x + origin) mod P].
template <int N, typename Link>
void TRowBuilder<N, Link>::LoadPattern(int y) {
  std::uint8_t scratch[3];
  for (int c = 0; c < s_.base; ++c) {
    const std::uint8_t* px = PatternPixel(c, y, scratch);
    for (int k = 0; k < s_.ov; ++k) Put(ppat_.data(), c * s_.ov + k, px);
  }
}

template <int N, typename Link>
const std::uint8_t* TRowBuilder<N, Link>::DepthRow(int y) {
  const TDIB& mask = engine_.MaskImage;
  if (mask.BitCount() == 8 && mask.Width() >= s_.width && y < mask.Height())
    return mask.ScanLine(y);
  depth_.assign(s_.width, 0);  // what the mask does not cover is background
  if (y < mask.Height()) {
    for (int x = 0; x < std::min(s_.width, mask.Width()); ++x)
      depth_[x] = mask.BitCount() == 8 ? mask.ScanLine(y)[x] : NearestGrey(mask.PixelColor(x, y));
  }
  return depth_.data();
}

// "From Left to Right": the first period is the pattern, every later position repeats its left
// partner, the depth read half a period to the left. Left of 0 the pattern continues.
template <int N, typename Link>
void TRowBuilder<N, Link>::FromLeft(std::uint8_t* row, const std::uint8_t* m) const {
  const int P = s_.P, half = s_.base / 2;
  std::memcpy(row, ppat_.data(), static_cast<std::size_t>(N) * P);
  for (int i = s_.base, x = P; i < s_.width; ++i) {
    const int dist = P - shift_[m[i - half]];
    for (int k = 0; k < s_.ov; ++k, ++x) {
      const int src = x - dist;
      Put(row, x, src >= 0 ? row + N * src : Pat(src + P));
    }
  }
}

// "From Center": the strip sits in the middle, copies run right from it and then left from the
// middle. Positions the row has not written yet supply the pattern pixel, never old data.
template <int N, typename Link>
void TRowBuilder<N, Link>::FromCenter(std::uint8_t* row, const std::uint8_t* m) const {
  const int W = s_.W, P = s_.P, ov = s_.ov;
  const int c0 = W / 2 - P / 2, c1 = W / 2 + P / 2;
  const long long origin = static_cast<long long>(s_.base / 2 - s_.width / 2) * ov;
  auto pattern = [&](int x) { return Pat(PositiveMod(x + origin, P)); };
  for (int x = c0, k = PositiveMod(c0 + origin, P); x < c1; ++x, k = k + 1 == P ? 0 : k + 1)
    Put(row, x, Pat(k));

  int i = c1 / ov, k = c1 % ov;
  int dist = P - Shift(m, i - s_.base / 2);
  for (int x = c1; x < W; ++x) {
    const int src = x - dist;
    Put(row, x, src >= c0 ? row + N * src : pattern(src));
    if (++k == ov) k = 0, ++i, dist = P - Shift(m, i - s_.base / 2);
  }
  i = (W / 2) / ov, k = (W / 2) % ov;
  dist = P - Shift(m, i + s_.base / 3);
  for (int x = W / 2; x >= 0; --x) {
    const int src = x + dist;
    Put(row, x, src < W ? row + N * src : pattern(src));
    if (k-- == 0) k = ov - 1, --i, dist = P - Shift(m, i + s_.base / 3);
  }
}

// "Extra Correction": records every link of the row, keeping the shorter of two that meet, then
// fills the row from the middle outwards.
template <int N, typename Link>
void TRowBuilder<N, Link>::LinkRow(std::uint8_t* row, const std::uint8_t* m) {
  std::copy(identity_.begin(), identity_.end(), lookLeft_.begin());
  std::copy(identity_.begin(), identity_.end(), lookRight_.begin());
  LinkPositions(m);
  FillFromLinks(row);
}

template <int N, typename Link>
void TRowBuilder<N, Link>::LinkPositions(const std::uint8_t* m) {
  Link* ll = lookLeft_.data();
  Link* lr = lookRight_.data();
  const int W = s_.W;
  for (int i = 0, x = 0; i < s_.width; ++i) {
    const int a = s_.P - shift_[m[i]];
    for (int k = 0; k < s_.ov; ++k, ++x) {
      const int left = x - a / 2, right = left + a;
      if (left < 0 || right >= W) continue;
      bool visible = true;
      const int l = ll[right];
      if (l != right) {
        if (l < left) {
          lr[l] = static_cast<Link>(l);
          ll[right] = static_cast<Link>(right);
        } else {
          visible = false;
        }
      }
      const int r = lr[left];
      if (r != left) {
        if (r > right) {
          ll[r] = static_cast<Link>(r);
          lr[left] = static_cast<Link>(left);
        } else {
          visible = false;
        }
      }
      if (visible) ll[right] = static_cast<Link>(left), lr[left] = static_cast<Link>(right);
    }
  }
}

// Pattern column 0 lies at mid; a free position right after a copied run repeats its neighbour.
template <int N, typename Link>
void TRowBuilder<N, Link>::FillFromLinks(std::uint8_t* row) const {
  const Link* ll = lookLeft_.data();
  const Link* lr = lookRight_.data();
  const int W = s_.W, P = s_.P, mid = W / 2 - P / 2;
  int h = -10;
  for (int x = mid, k = 0; x < W; ++x, k = k + 1 == P ? 0 : k + 1) {
    const int l = ll[x];
    if (l != x && l >= mid) {
      Put(row, x, row + N * l);
      h = x;
    } else {
      Put(row, x, x - 1 == h ? row + N * (x - 1) : Pat(k));
    }
  }
  h = -10;
  for (int x = mid - 1, k = P - 1; x >= 0; --x, k = k == 0 ? P - 1 : k - 1) {
    const int r = lr[x];
    if (r != x) {
      Put(row, x, row + N * r);
      h = x;
    } else {
      Put(row, x, x + 1 == h ? row + N * (x + 1) : Pat(k));
    }
  }
}

// False when cancelled.
template <int N, typename Link>
bool RenderRowsAs(TEngine& engine, const TSetup& s) {
  TRowBuilder<N, Link> builder(engine, s);
  TRenderHost& host = engine.host();
  for (int y = 0; y < s.height; ++y) {
    if (y % 50 == 0) host.SetProgress(static_cast<int>(y * 100LL / s.height));
    builder.Render(y, host);
    if (engine.CancelRequested) {
      host.SetStatusText(0, "");
      host.SetStatusText(2, "");
      host.SetProgress(0);
      return false;
    }
    host.ProcessMessages();
  }
  return true;
}

bool RenderRows(TEngine& engine, const TSetup& s) {
  const bool narrow = s.W <= kMaxRowPositions;
  if (s.bits == 8)
    return narrow ? RenderRowsAs<1, std::uint16_t>(engine, s)
                  : RenderRowsAs<1, std::uint32_t>(engine, s);
  return narrow ? RenderRowsAs<3, std::uint16_t>(engine, s)
                : RenderRowsAs<3, std::uint32_t>(engine, s);
}

// The platform's blur turns an 8-bit picture grey while its pixels stay indices of the pattern's
// table; mix as true colour and keep the stereogram's palette instead.
void BlurOutput(TDIB& output, int radius) {
  radius = std::min(radius, std::max(output.Width(), output.Height()));
  if (output.BitCount() != 8) {
    output.Blur(radius);
    return;
  }
  TDIB colour = output.ToTrueColor();
  colour.Blur(radius);
  TNearestGrid nearest(output.ColorTable());
  for (int y = 0; y < output.Height(); ++y) {
    const std::uint8_t* src = colour.ScanLine(y);
    std::uint8_t* dst = output.ScanLine(y);
    for (int x = 0; x < output.Width(); ++x, src += 3)
      dst[x] = nearest.Find(src[2], src[1], src[0]);
  }
}

void ShowResult(TRenderHost& host) {
  host.SetStatusText(0, host.Localize("Drawing..."));
  host.ProcessMessages();
  if (!host.AnimationDialogOpen()) host.ShowPreview();
  host.ProcessMessages();
  host.SetStatusText(0, "");
  host.SetProgress(0);
}

// Clears RenderInProgress on every way out, exceptions included.
struct TInProgress {
  bool& flag;
  explicit TInProgress(bool& f) : flag(f) { flag = true; }
  ~TInProgress() { flag = false; }
};

}  // namespace

void RenderDotweave(TEngine& engine) {
  {
    TInProgress busy(engine.RenderInProgress);
    engine.CancelRequested = false;
    const TSetup s = Normalize(engine.Params);
    if (s.W > 0) {
      if (engine.Params.Randm) {
        MakeRandomPattern(engine);
        if (s.bits == 8) engine.OutputImage.SetColorTable(engine.PatternImage.ColorTable());
      }
      TDIB& out = engine.OutputImage;
      if (out.Width() != s.width || out.Height() != s.height || out.BitCount() != s.bits)
        out.SetSize(s.width, s.height, s.bits);
      if (!engine.PatternImage.Empty() && !RenderRows(engine, s)) return;
    }
  }
  if (engine.Params.Blur > 0) BlurOutput(engine.OutputImage, engine.Params.Blur);
  ShowResult(engine.host());
}
