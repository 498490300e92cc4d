#include "shell/exports.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <algorithm>
#include <cctype>

#include "data/survey_source.h"
#include "render/offscreen_frame.h"
#include "render/scene_cache.h"
#include "render/vector_frame.h"
#include "shell/file_dialogs.h"
#include "shell/gif_writer.h"

namespace mv {

namespace {

ExportResult Done() {
  ExportResult r;
  r.ok = true;
  return r;
}
ExportResult Failed(const QString& why) {
  ExportResult r;
  r.error = why;
  return r;
}
ExportResult Cancelled() {
  ExportResult r = Failed("cancelled");
  r.cancelled = true;
  return r;
}

// Why writing `out` failed. A write cut short by a full disk leaves the
// device with no reason but the default one.
QString WriteFailure(const QSaveFile& out) {
  const QString why = out.errorString();
  if (why.isEmpty() || why == QBuffer().errorString())
    return "the file could not be written whole (is the disk full?)";
  return why;
}

constexpr ExportKind kExportKinds[] = {
    {ExportFormat::Png, ".png", "a picture", "Zapisz obraz", "Obraz PNG (*.png)", nullptr,
     "Błąd zapisu obrazu!", "obrazu"},
    {ExportFormat::Gif, ".gif", "one turn", "Zapisz animację obrotu", "Animacja GIF (*.gif)",
     "Zapisywanie animacji obrotu...", "Błąd zapisu animacji!", "animacji"},
    {ExportFormat::Svg, ".svg", "a drawing", "Zapisz rysunek SVG", "Rysunek SVG (*.svg)", nullptr,
     "Błąd zapisu rysunku!", "rysunku"},
};

// ".png, .gif or .svg"
QString ExportExtensions() {
  std::vector<std::string> extensions;
  for (const ExportKind& k : kExportKinds) extensions.emplace_back(k.extension);
  return QString::fromStdString(OneOf(extensions));
}

}  // namespace

std::span<const ExportKind> ExportKinds() {
  return kExportKinds;
}

const ExportKind& ExportKindOf(ExportFormat format) {
  for (const ExportKind& k : kExportKinds)
    if (k.format == format) return k;
  return kExportKinds[0];
}

std::optional<ExportFormat> ExportFormatOf(const std::filesystem::path& file) {
  std::string ext = file.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (const ExportKind& k : kExportKinds)
    if (ext == k.extension) return k.format;
  return std::nullopt;
}

QString ExportTargetProblem(const std::filesystem::path& file) {
  std::error_code ec;
  if (file.empty()) return "no file name given";
  if (std::filesystem::is_directory(file, ec)) return "it is a folder";
  return {};
}

QString ExportNameProblem(const std::filesystem::path& file) {
  if (QString problem = ExportTargetProblem(file); !problem.isEmpty()) return problem;
  if (file.extension().empty())
    return QString("the name has no extension to tell the format (%1)").arg(ExportExtensions());
  if (!ExportFormatOf(file))
    return QString("unknown picture format '%1' (%2)")
        .arg(QString::fromStdString(file.extension().string()), ExportExtensions());
  return {};
}

ExportResult WriteAtomically(const std::filesystem::path& file,
                             const std::function<ExportResult(QIODevice&)>& write) {
  QSaveFile out(PathText(file));
  if (!out.open(QIODevice::WriteOnly)) return Failed(out.errorString());
  ExportResult r = write(out);
  if (!r.ok) {
    // The file knows better why a write failed (a full disk, say) than the
    // format's writer does.
    if (!r.cancelled && (out.error() != QFileDevice::NoError || r.error == QBuffer().errorString()))
      r.error = WriteFailure(out);
    out.cancelWriting();
    return r;
  }
  if (!out.commit()) return Failed(WriteFailure(out));
  return r;
}

ExportResult WritePng(QIODevice& out, const QImage& picture) {
  if (picture.isNull()) return Failed("there is no picture to save");
  // The framebuffer's alpha means nothing in the saved picture.
  QImageWriter writer(&out, "png");
  if (!writer.write(picture.convertToFormat(QImage::Format_RGB32)))
    return Failed(writer.errorString());
  return Done();
}

ExportResult WriteSvg(QIODevice& out, const ExportScene& s) {
  const PictureGeometry& g = s.picture;
  // Drawn into memory first: the generator does not say when a write to
  // its device fails, a single write of the whole does.
  QBuffer drawing;
  drawing.open(QIODevice::WriteOnly);
  QSvgGenerator svg;
  svg.setOutputDevice(&drawing);
  svg.setSize(QSize(g.width, g.height));
  // At 96 dots an inch, a pixel of the picture is a pixel of a browser's.
  svg.setResolution(96);
  svg.setViewBox(QRect(0, 0, g.width, g.height));
  svg.setTitle("Morvalka Vendra");
  svg.setDescription("Rysunek jaskini");
  QPainter p;
  if (!p.begin(&svg)) return Failed("the drawing could not be started");
  SceneCache cache;
  PaintVectorFrame(p, s.view, s.survey, cache, g);
  p.end();
  // The generator gives the size in millimetres, which a browser rounds to
  // a pixel more or less; the picture's pixels say it exactly.
  QByteArray bytes = drawing.data();
  const qsizetype head = bytes.indexOf("<svg");
  const qsizetype width = bytes.indexOf(" width=\"", head),
                  height = bytes.indexOf(" height=\"", head);
  if (head >= 0 && width > head && height > head) {
    const auto replace = [&bytes](qsizetype at, const QByteArray& attribute, int value) {
      const qsizetype end = bytes.indexOf('"', at + attribute.size() + 3);
      bytes.replace(at, end + 1 - at, " " + attribute + "=\"" + QByteArray::number(value) + "\"");
    };
    replace(height, "height", g.height);  // the later one first: the offsets stay right
    replace(width, "width", g.width);
  }
  // A short write says nothing; the one after it says why.
  for (qsizetype done = 0; done < bytes.size();) {
    const qint64 n = out.write(bytes.constData() + done, bytes.size() - done);
    if (n <= 0) return Failed(out.errorString());
    done += n;
  }
  return Done();
}

ExportResult WriteSpinGif(QIODevice& out, OffscreenGl& gl, const ExportScene& s,
                          const ExportProgress& progress, int frames) {
  const PictureGeometry& g = s.picture;
  if (!gl.Error().empty()) return Failed(QString::fromStdString(gl.Error()));
  ViewState v = s.view;
  const long double turn0 = s.view.TurnAngle;
  const long double way = static_cast<long double>(s.view.SpinStep) < 0 ? -1 : 1;
  const auto frame = [&](int i) {
    v.TurnAngle = turn0 + way * 360.0L * i / frames;
    return gl.Frame(v, s.survey, &g);
  };
  const int steps = 2 * frames;
  // First pass: every colour of every frame, for one palette.
  ColourCounts counts;
  for (int i = 0; i < frames; ++i) {
    if (progress && !progress(i, steps)) return Cancelled();
    const QImage image = frame(i);
    if (image.isNull()) return Failed("the frame could not be drawn");
    counts.Add(image);
  }
  // Black and the element colours stay exact; the depth colours and the
  // legend's blends share the rest.
  PaletteMap map(
      MakePalette(counts.Seen(), {0, Rgb24(v.LineColor), Rgb24(v.AxisColor), Rgb24(v.ScaleColor)}));
  GifWriter gif(out, gl.Width(), gl.Height(), map.Palette(), kSpinFrameDelay);
  std::vector<uint8_t> indices;
  for (int i = 0; i < frames; ++i) {
    if (progress && !progress(frames + i, steps)) return Cancelled();
    const QImage image = frame(i);
    if (image.isNull()) return Failed("the frame could not be drawn");
    map.Map(image, indices);
    if (!gif.Add(indices)) return Failed(gif.Error());
  }
  if (!gif.Finish()) return Failed(gif.Error());
  if (progress) progress(steps, steps);
  return Done();
}

ExportResult ExportPicture(const std::filesystem::path& file, ExportFormat format,
                           const ExportScene& s, const ExportProgress& progress) {
  if (const QString problem = ExportTargetProblem(file); !problem.isEmpty()) return Failed(problem);
  const PictureGeometry& g = s.picture;
  if (format == ExportFormat::Svg)
    return WriteAtomically(file, [&s](QIODevice& out) { return WriteSvg(out, s); });
  // The pictures are drawn before the file is touched: without OpenGL there
  // is nothing to write.
  OffscreenGl gl(static_cast<int>(g.width * g.pixelRatio),
                 static_cast<int>(g.height * g.pixelRatio));
  if (!gl.Error().empty()) {
    ExportResult r = Failed(QString::fromStdString(gl.Error()));
    r.noOpenGl = !gl.HasOpenGl();
    return r;
  }
  if (format == ExportFormat::Png) {
    const QImage picture = gl.Frame(s.view, s.survey, &g);
    if (picture.isNull()) return Failed("the picture could not be drawn");
    return WriteAtomically(file, [&picture](QIODevice& out) { return WritePng(out, picture); });
  }
  return WriteAtomically(file, [&](QIODevice& out) { return WriteSpinGif(out, gl, s, progress); });
}

}  // namespace mv
