#include "cloud_map.h"

#include <QColor>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QSaveFile>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "colour_scale.h"

namespace quillmere::mapgen {
namespace {

constexpr Rgb kBackground{255, 255, 255};
constexpr Rgb kInk{20, 20, 20};        // text, frame, coastlines
constexpr Rgb kSoftInk{90, 90, 90};    // credit line
constexpr Rgb kGraticule{40, 40, 40};  // over the colours, faint
constexpr qreal kGraticuleOpacity = 0.3;

constexpr int kTitleSize = 19;
constexpr int kLabelSize = 12;
constexpr int kTextSize = 13;

QColor ToQColor(Rgb c) {
  return QColor(c.r, c.g, c.b);
}

enum class Align { kLeft, kCentre, kRight };

// Liberation Sans at a pixel size (the em in pixels), grey-antialiased and
// hinted vertically only, so that the letters keep their designed widths.
QFont MapFont(const MapFonts& fonts, int pixel_size, bool bold = false) {
  QFont font(fonts.family);
  font.setPixelSize(pixel_size);
  font.setBold(bold);
  font.setKerning(true);
  font.setHintingPreference(QFont::PreferVerticalHinting);
  font.setStyleStrategy(QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias |
                                             QFont::NoFontMerging));
  return font;
}

// `text` on the baseline `baseline_y`; `x` is its left end, centre or right
// end after `align`.
void DrawText(QPainter& painter, const QFont& font, int x, int baseline_y, const QString& text,
              Rgb colour, Align align = Align::kLeft) {
  const qreal width = QFontMetricsF(font, painter.device()).horizontalAdvance(text);
  qreal left = x;
  if (align == Align::kCentre) left -= std::round(width / 2);
  if (align == Align::kRight) left -= std::round(width);
  painter.setFont(font);
  painter.setPen(ToQColor(colour));
  painter.drawText(QPointF(left, baseline_y), text);
}

// One-pixel outline just inside `rect`.
void StrokeRect(QPainter& painter, const QRect& rect, Rgb colour) {
  const QColor c = ToQColor(colour);
  painter.fillRect(QRect(rect.x(), rect.y(), rect.width(), 1), c);
  painter.fillRect(QRect(rect.x(), rect.bottom(), rect.width(), 1), c);
  painter.fillRect(QRect(rect.x(), rect.y(), 1, rect.height()), c);
  painter.fillRect(QRect(rect.right(), rect.y(), 1, rect.height()), c);
}

QString DegreesLabel(int degrees, char positive, char negative) {
  QString label = QString::number(std::abs(degrees));
  if (degrees == 0 || std::abs(degrees) == 180) return label;
  return label + QLatin1Char(degrees > 0 ? positive : negative);
}

void DrawColours(QImage& image, const P840Grid& grid) {
  using namespace layout;
  for (int j = 0; j < kMapHeight; ++j) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(kMapTop + j)) + kMapLeft;
    for (int i = 0; i < kMapWidth; ++i) {
      const LonLat p = PixelLonLat(kMapLeft + i, kMapTop + j);
      const Rgb c = LiquidWaterColour(LiquidWaterAt(grid, p.lat, p.lon));
      row[i] = qRgb(c.r, c.g, c.b);
    }
  }
}

void DrawGraticule(QPainter& painter, const MapFonts& fonts) {
  using namespace layout;
  // The lines are whole pixels inside the frame; as one path filled with
  // the winding rule, a crossing is tinted once, not twice.
  QPainterPath lines;
  lines.setFillRule(Qt::WindingFill);
  const QFont font = MapFont(fonts, kLabelSize);
  // Meridians, labelled under the map.
  for (int lon = -180; lon <= 180; lon += kGraticuleDegrees) {
    const int x = static_cast<int>(std::lround(LonToX(lon)));
    if (lon != -180 && lon != 180) lines.addRect(x, kMapTop + 1, 1, kMapHeight - 2);
    DrawText(painter, font, x, kMapTop + kMapHeight + 15, DegreesLabel(lon, 'E', 'W'), kInk,
             Align::kCentre);
  }
  // Parallels, labelled on both sides.
  for (int lat = -60; lat <= 60; lat += kGraticuleDegrees) {
    const int y = static_cast<int>(std::lround(LatToY(lat)));
    lines.addRect(kMapLeft + 1, y, kMapWidth - 2, 1);
    const QString label = DegreesLabel(lat, 'N', 'S');
    DrawText(painter, font, kMapLeft - 4, y + 4, label, kInk, Align::kRight);
    DrawText(painter, font, kMapLeft + kMapWidth + 4, y + 4, label, kInk, Align::kLeft);
  }
  painter.save();
  painter.setOpacity(kGraticuleOpacity);
  painter.fillPath(lines, ToQColor(kGraticule));
  painter.restore();
}

void DrawCoastlines(QPainter& painter, const std::vector<Coastline>& coastlines) {
  // Map positions count from pixel centres, the painter's from pixel
  // corners.
  QPainterPath shores;
  for (const Coastline& coast : coastlines) {
    const auto at = [](const LonLat& p) {
      return QPointF(static_cast<qreal>(LonToX(p.lon)) + 0.5,
                     static_cast<qreal>(LatToY(p.lat)) + 0.5);
    };
    shores.moveTo(at(coast.points.front()));
    for (size_t k = 1; k < coast.points.size(); ++k) shores.lineTo(at(coast.points[k]));
  }
  // The outline of all shores as one area, filled once: where the segments
  // of a shore meet, or two shores cross, a pixel is not darkened twice, as
  // stroking each segment on its own would.
  QPainterPathStroker stroker;
  stroker.setWidth(1);
  stroker.setCapStyle(Qt::RoundCap);
  stroker.setJoinStyle(Qt::RoundJoin);
  QPainterPath outline = stroker.createStroke(shores);
  outline.setFillRule(Qt::WindingFill);
  painter.save();
  painter.setClipRect(layout::kMap);
  painter.fillPath(outline, ToQColor(kInk));
  painter.restore();
}

void DrawLegend(QPainter& painter, const MapFonts& fonts) {
  using namespace layout;
  const QRect& bar = kScaleBar;
  // Each column shows the amount at its centre.
  for (int i = 0; i < bar.width(); ++i) {
    const Real v = kScaleTop * (i + 0.5L) / bar.width();
    painter.fillRect(QRect(bar.x() + i, bar.y(), 1, bar.height()), ToQColor(LiquidWaterColour(v)));
  }
  painter.fillRect(kFourOrMoreBox, ToQColor(kFourOrMoreColour));
  StrokeRect(painter, bar.adjusted(-1, -1, 1, 1), kInk);
  StrokeRect(painter, kFourOrMoreBox.adjusted(-1, -1, 1, 1), kInk);

  const QFont label_font = MapFont(fonts, kLabelSize);
  const int tick_top = bar.y() + bar.height() + 1;
  const int label_baseline = tick_top + 19;
  for (int k = 0; k <= 8; ++k) {
    const Real v = 0.5L * k;
    const int x = bar.x() + static_cast<int>(std::lround(v / kScaleTop * bar.width()));
    const int tick_x = std::min(x, bar.x() + bar.width() - 1);
    painter.fillRect(QRect(tick_x, tick_top, 1, 5), ToQColor(kInk));
    DrawText(painter, label_font, tick_x, label_baseline,
             QString::number(static_cast<double>(v), 'f', 1), kInk, Align::kCentre);
  }
  const int box_centre = kFourOrMoreBox.x() + kFourOrMoreBox.width() / 2;
  DrawText(painter, label_font, box_centre, label_baseline, QStringLiteral("4 or more"), kInk,
           Align::kCentre);
  DrawText(painter, MapFont(fonts, kTextSize), bar.x() - 10, bar.y() + 18,
           QString::fromUtf8("kg/m²"), kInk, Align::kRight);
}

}  // namespace

LonLat PixelLonLat(int x, int y) {
  using namespace layout;
  return {-180 + (x - kMapLeft) * kDegreesPerPixel, 90 - (y - kMapTop) * kDegreesPerPixel};
}

Real LonToX(Real lon) {
  return layout::kMapLeft + (lon + 180) / layout::kDegreesPerPixel;
}
Real LatToY(Real lat) {
  return layout::kMapTop + (90 - lat) / layout::kDegreesPerPixel;
}

std::string PercentText(Real percent_of_year) {
  char text[16];
  std::snprintf(text, sizeof text, "%.1Lf", percent_of_year);
  return text;
}

MapFonts LoadMapFonts(const std::filesystem::path& font_dir) {
  MapFonts fonts;
  for (const char* name : {"LiberationSans-Regular.ttf", "LiberationSans-Bold.ttf"}) {
    const std::filesystem::path file = font_dir / name;
    const int id = QFontDatabase::addApplicationFont(QString::fromStdString(file.string()));
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (id < 0 || families.isEmpty()) {
      throw std::runtime_error(file.string() + ": not a font file Qt can load");
    }
    fonts.family = families.front();
  }
  return fonts;
}

QImage RenderCloudMap(const P840Grid& grid, const std::vector<Coastline>& coastlines,
                      const MapFonts& fonts) {
  using namespace layout;
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  image.fill(ToQColor(kBackground));
  DrawColours(image, grid);

  QPainter painter(&image);
  painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
  // The viewer's "Close" button covers the top right corner (x 936..1010,
  // y 8..32): the title stays centred and well left of it.
  const QString title = QString::fromUtf8(
                            "Cloud liquid water exceeded for %1 % of an average "
                            "year (kg/m²)")
                            .arg(QString::fromStdString(PercentText(grid.percent_of_year)));
  DrawText(painter, MapFont(fonts, kTitleSize, true), kWidth / 2, 32, title, kInk, Align::kCentre);

  DrawGraticule(painter, fonts);
  DrawCoastlines(painter, coastlines);
  StrokeRect(painter, kMap, kInk);
  DrawLegend(painter, fonts);

  const QFont text_font = MapFont(fonts, kTextSize);
  DrawText(painter, text_font, kWidth / 2, 676,
           QStringLiteral("Find your location, match its colour on the scale, and set that value "
                          "on the Cloud columnar content slider."),
           kInk, Align::kCentre);
  DrawText(painter, text_font, kWidth / 2, 698,
           QString::fromUtf8("Reduced cloud liquid water content of ITU-R P.840-4 on its 1.125° "
                             "grid, interpolated bilinearly between grid points (ITU-R P.1144)."),
           kInk, Align::kCentre);
  DrawText(
      painter, MapFont(fonts, kLabelSize), kWidth / 2, 752,
      QStringLiteral("Data: ITU-R P.840-4 via ITU-Rpy (MIT); coastlines: GSHHG 2.3.7 (LGPL-3)"),
      kSoftInk, Align::kCentre);
  painter.end();
  return image;
}

void WriteMapJpeg(const QImage& image, const std::filesystem::path& file, int quality) {
  // QSaveFile writes beside the target and renames only a complete file, so
  // a failed or interrupted run never leaves a half-written map.
  QSaveFile out(QString::fromStdString(file.string()));
  QString reason;
  if (!out.open(QIODevice::WriteOnly)) {
    reason = out.errorString();
  } else {
    QImageWriter writer(&out, "jpeg");
    writer.setQuality(quality);
    writer.setOptimizedWrite(true);
    if (!writer.write(image)) {
      reason = writer.errorString();
      out.cancelWriting();
    } else if (!out.commit()) {
      reason = out.errorString();
    }
  }
  if (!reason.isEmpty()) {
    throw std::runtime_error(file.string() + ": cannot write the map: " + reason.toStdString());
  }
}

}  // namespace quillmere::mapgen
