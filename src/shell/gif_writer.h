// Animated GIF through giflib: one palette for all frames, built from the
// colours the frames use, and a loop that never ends.
#pragma once

#include <QImage>
#include <QString>
#include <cstdint>
#include <vector>

class QIODevice;
struct GifFileType;

namespace mv {

// How often each colour (0xRRGGBB) appears in a set of pictures.
class ColourCounts {
 public:
  ColourCounts();
  void Add(const QImage& picture);  // Format_RGB32
  // The colours seen, each with its count.
  std::vector<std::pair<uint32_t, uint64_t>> Seen() const;

 private:
  std::vector<uint32_t> count_;  // one slot for every 24-bit colour
};

// At most `size` colours for `counts`: every colour of `exact` (the
// element colours, black) as it is, the rest cut by median cut, so that
// pictures with few colours keep all of them exactly.
std::vector<uint32_t> MakePalette(const std::vector<std::pair<uint32_t, uint64_t>>& counts,
                                  const std::vector<uint32_t>& exact, int size = 256);

// Each picture's pixels as indices into one palette: the nearest colour of
// the palette, found once per colour.
class PaletteMap {
 public:
  explicit PaletteMap(std::vector<uint32_t> palette);
  const std::vector<uint32_t>& Palette() const { return palette_; }
  uint8_t IndexOf(uint32_t rgb);
  void Map(const QImage& picture, std::vector<uint8_t>& out);  // Format_RGB32

 private:
  std::vector<uint32_t> palette_;
  std::vector<uint16_t> index_;  // 0xFFFF: not looked up yet
};

// Writes an animated GIF of w x h pixels to a device, frame by frame.
// Each frame after the first only where it differs from the one before.
class GifWriter {
 public:
  // `delay` between frames in hundredths of a second.
  GifWriter(QIODevice& out, int w, int h, const std::vector<uint32_t>& palette, int delay);
  ~GifWriter();
  GifWriter(const GifWriter&) = delete;
  GifWriter& operator=(const GifWriter&) = delete;

  // One frame of w x h palette indices, rows from the top.
  bool Add(const std::vector<uint8_t>& indices);
  // Ends the file. False when anything failed; Error() says what.
  bool Finish();
  const QString& Error() const { return error_; }

 private:
  bool Fail(int code);

  QIODevice& out_;
  int width_, height_, delay_;
  GifFileType* gif_ = nullptr;
  std::vector<uint8_t> previous_;
  QString error_;
};

}  // namespace mv
