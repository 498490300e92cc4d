#include "shell/gif_writer.h"

#include <gif_lib.h>

#include <QIODevice>
#include <algorithm>
#include <array>
#include <limits>

namespace mv {

namespace {

int Channel(uint32_t rgb, int c) {
  return static_cast<int>((rgb >> (16 - 8 * c)) & 0xFF);
}

int WriteToDevice(GifFileType* gif, const GifByteType* data, int length) {
  auto* out = static_cast<QIODevice*>(gif->UserData);
  return out->write(reinterpret_cast<const char*>(data), length) == length ? length : 0;
}

// A box of the median cut: a run of colours and the count they stand for.
struct Box {
  size_t begin, end;
  int widest = 0;  // the channel with the largest range
  int range = 0;
};

Box Measure(const std::vector<std::pair<uint32_t, uint64_t>>& c, size_t begin, size_t end) {
  Box b{begin, end};
  for (int ch = 0; ch < 3; ++ch) {
    int lo = 255, hi = 0;
    for (size_t i = begin; i < end; ++i) {
      lo = std::min(lo, Channel(c[i].first, ch));
      hi = std::max(hi, Channel(c[i].first, ch));
    }
    if (hi - lo > b.range) b.range = hi - lo, b.widest = ch;
  }
  return b;
}

uint32_t Mean(const std::vector<std::pair<uint32_t, uint64_t>>& c, const Box& b) {
  double sum[3] = {0, 0, 0}, n = 0;
  for (size_t i = b.begin; i < b.end; ++i) {
    const double w = static_cast<double>(c[i].second);
    for (int ch = 0; ch < 3; ++ch) sum[ch] += w * Channel(c[i].first, ch);
    n += w;
  }
  uint32_t rgb = 0;
  for (int ch = 0; ch < 3; ++ch)
    rgb = rgb << 8 | static_cast<uint32_t>(std::clamp(static_cast<int>(sum[ch] / n + 0.5), 0, 255));
  return rgb;
}

}  // namespace

ColourCounts::ColourCounts() : count_(size_t{1} << 24, 0) {}

void ColourCounts::Add(const QImage& picture) {
  for (int y = 0; y < picture.height(); ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(picture.constScanLine(y));
    for (int x = 0; x < picture.width(); ++x) {
      uint32_t& n = count_[row[x] & 0xFFFFFF];
      if (n < std::numeric_limits<uint32_t>::max()) ++n;
    }
  }
}

std::vector<std::pair<uint32_t, uint64_t>> ColourCounts::Seen() const {
  std::vector<std::pair<uint32_t, uint64_t>> out;
  for (uint32_t rgb = 0; rgb < count_.size(); ++rgb)
    if (count_[rgb]) out.emplace_back(rgb, count_[rgb]);
  return out;
}

std::vector<uint32_t> MakePalette(const std::vector<std::pair<uint32_t, uint64_t>>& counts,
                                  const std::vector<uint32_t>& exact, int size) {
  std::vector<uint32_t> palette;
  for (const uint32_t e : exact)
    if (std::find(palette.begin(), palette.end(), e) == palette.end() &&
        static_cast<int>(palette.size()) < size)
      palette.push_back(e);
  std::vector<std::pair<uint32_t, uint64_t>> rest;
  for (const auto& c : counts)
    if (std::find(palette.begin(), palette.end(), c.first) == palette.end()) rest.push_back(c);
  const size_t room = static_cast<size_t>(size) - palette.size();
  if (rest.size() <= room) {
    for (const auto& c : rest) palette.push_back(c.first);
    return palette;
  }
  if (room == 0) return palette;
  // Median cut: split the box of the widest range at the median of its
  // colours' counts along that range, until there is a box for every entry.
  std::vector<Box> boxes{Measure(rest, 0, rest.size())};
  while (boxes.size() < room) {
    const auto widest = std::max_element(
        boxes.begin(), boxes.end(), [](const Box& a, const Box& b) { return a.range < b.range; });
    if (widest->range == 0) break;
    const Box b = *widest;
    std::sort(rest.begin() + static_cast<ptrdiff_t>(b.begin),
              rest.begin() + static_cast<ptrdiff_t>(b.end), [&b](const auto& x, const auto& y) {
                return Channel(x.first, b.widest) < Channel(y.first, b.widest);
              });
    uint64_t total = 0, half = 0;
    for (size_t i = b.begin; i < b.end; ++i) total += rest[i].second;
    size_t cut = b.begin + 1;
    for (size_t i = b.begin; i + 1 < b.end; ++i) {
      half += rest[i].second;
      cut = i + 1;
      if (2 * half >= total) break;
    }
    *widest = Measure(rest, b.begin, cut);
    boxes.push_back(Measure(rest, cut, b.end));
  }
  for (const Box& b : boxes) palette.push_back(Mean(rest, b));
  return palette;
}

PaletteMap::PaletteMap(std::vector<uint32_t> palette)
    : palette_(std::move(palette)), index_(size_t{1} << 24, 0xFFFF) {}

uint8_t PaletteMap::IndexOf(uint32_t rgb) {
  uint16_t& slot = index_[rgb & 0xFFFFFF];
  if (slot != 0xFFFF) return static_cast<uint8_t>(slot);
  int best = 0, bestDistance = std::numeric_limits<int>::max();
  for (size_t i = 0; i < palette_.size(); ++i) {
    int d = 0;
    for (int ch = 0; ch < 3; ++ch) {
      const int e = Channel(rgb, ch) - Channel(palette_[i], ch);
      d += e * e;
    }
    if (d < bestDistance) bestDistance = d, best = static_cast<int>(i);
  }
  slot = static_cast<uint16_t>(best);
  return static_cast<uint8_t>(best);
}

void PaletteMap::Map(const QImage& picture, std::vector<uint8_t>& out) {
  out.resize(static_cast<size_t>(picture.width()) * static_cast<size_t>(picture.height()));
  uint8_t* o = out.data();
  for (int y = 0; y < picture.height(); ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(picture.constScanLine(y));
    for (int x = 0; x < picture.width(); ++x) *o++ = IndexOf(row[x]);
  }
}

GifWriter::GifWriter(QIODevice& out, int w, int h, const std::vector<uint32_t>& palette, int delay)
    : out_(out), width_(w), height_(h), delay_(delay) {
  int code = 0;
  gif_ = EGifOpen(&out_, &WriteToDevice, &code);
  if (!gif_) {
    Fail(code);
    return;
  }
  EGifSetGifVersion(gif_, true);
  // The palette's size is a power of two, 2 to 256; the unused entries black.
  int entries = 2;
  while (entries < static_cast<int>(palette.size()) && entries < 256) entries *= 2;
  std::vector<GifColorType> colours(static_cast<size_t>(entries), GifColorType{0, 0, 0});
  for (size_t i = 0; i < palette.size() && i < colours.size(); ++i)
    colours[i] = {static_cast<GifByteType>(Channel(palette[i], 0)),
                  static_cast<GifByteType>(Channel(palette[i], 1)),
                  static_cast<GifByteType>(Channel(palette[i], 2))};
  ColorMapObject* map = GifMakeMapObject(entries, colours.data());
  const bool ok = map && EGifPutScreenDesc(gif_, w, h, 8, 0, map) == GIF_OK;
  GifFreeMapObject(map);
  if (!ok) {
    Fail(gif_->Error);
    return;
  }
  // Loop for ever: the NETSCAPE2.0 block with a count of 0.
  static const GifByteType kLoop[3] = {1, 0, 0};
  if (EGifPutExtensionLeader(gif_, APPLICATION_EXT_FUNC_CODE) != GIF_OK ||
      EGifPutExtensionBlock(gif_, 11, "NETSCAPE2.0") != GIF_OK ||
      EGifPutExtensionBlock(gif_, 3, kLoop) != GIF_OK || EGifPutExtensionTrailer(gif_) != GIF_OK)
    Fail(gif_->Error);
}

GifWriter::~GifWriter() {
  if (gif_) EGifCloseFile(gif_, nullptr);
}

bool GifWriter::Fail(int code) {
  if (error_.isEmpty()) {
    error_ = out_.errorString();
    if (error_.isEmpty() || error_ == "Unknown error") {
      const char* text = GifErrorString(code);
      error_ = text ? QString::fromLatin1(text) : QString("GIF error %1").arg(code);
    }
  }
  return false;
}

bool GifWriter::Add(const std::vector<uint8_t>& indices) {
  if (!gif_ || !error_.isEmpty()) return false;
  // Only the rectangle that changed since the frame before; the rest of the
  // picture stays from it.
  int left = 0, top = 0, right = width_ - 1, bottom = height_ - 1;
  if (previous_.size() == indices.size()) {
    left = width_, top = height_, right = -1, bottom = -1;
    for (int y = 0; y < height_; ++y) {
      const size_t row = static_cast<size_t>(y) * static_cast<size_t>(width_);
      for (int x = 0; x < width_; ++x)
        if (indices[row + static_cast<size_t>(x)] != previous_[row + static_cast<size_t>(x)]) {
          left = std::min(left, x), right = std::max(right, x);
          top = std::min(top, y), bottom = std::max(bottom, y);
        }
    }
    if (right < 0) left = top = right = bottom = 0;  // unchanged: one pixel
  }
  GraphicsControlBlock control{DISPOSE_DO_NOT, false, delay_, NO_TRANSPARENT_COLOR};
  GifByteType extension[4];
  EGifGCBToExtension(&control, extension);
  if (EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, 4, extension) != GIF_OK ||
      EGifPutImageDesc(gif_, left, top, right - left + 1, bottom - top + 1, false, nullptr) !=
          GIF_OK)
    return Fail(gif_->Error);
  std::vector<GifPixelType> line(static_cast<size_t>(right - left + 1));
  for (int y = top; y <= bottom; ++y) {
    const uint8_t* from = indices.data() + static_cast<size_t>(y) * static_cast<size_t>(width_) +
                          static_cast<size_t>(left);
    std::copy(from, from + line.size(), line.begin());
    if (EGifPutLine(gif_, line.data(), static_cast<int>(line.size())) != GIF_OK)
      return Fail(gif_->Error);
  }
  previous_ = indices;
  return true;
}

bool GifWriter::Finish() {
  if (!gif_) return false;
  int code = 0;
  const bool closed = EGifCloseFile(gif_, &code) == GIF_OK;
  gif_ = nullptr;
  if (!closed) Fail(code);
  return error_.isEmpty();
}

}  // namespace mv
