// Draws the sample map shipped in data/maps: a graticule from 50.5 N to 51.5 N and 1.5 W to 0.5 E,
// labelled every half degree, with its information file beside it.
//   QT_QPA_PLATFORM=offscreen varnock_samplemap data/maps
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <cstdio>
#include <utility>

namespace {

constexpr double kNorth = 51.5;
constexpr double kSouth = 50.5;
constexpr double kWest = -1.5;
constexpr double kEast = 0.5;
constexpr int kWidth = 840; // a degree of longitude is about 0.63 of one of latitude here
constexpr int kHeight = 666;

QPointF pixel(double lat, double lon)
{
    return {(lon - kWest) / (kEast - kWest) * kWidth, (kNorth - lat) / (kNorth - kSouth) * kHeight};
}

QString degrees(double value, char positive, char negative)
{
    return QStringLiteral("%1%2").arg(std::fabs(value), 0, 'f', 1).arg(QLatin1Char(value < 0 ? negative : positive));
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: varnock_samplemap FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));

    QImage map(kWidth, kHeight, QImage::Format_RGB32);
    map.fill(QColor(236, 242, 228));
    QPainter painter(&map);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font = painter.font();
    font.setPixelSize(13);
    painter.setFont(font);
    // A line every tenth of a degree, stronger and labelled every half degree inside the map.
    const auto graticule = [&](int steps, const auto &ends, const auto &label) {
        for (int i = 0; i <= steps; ++i) {
            const bool major = i % 5 == 0;
            painter.setPen(QPen(major ? QColor(90, 110, 140) : QColor(190, 200, 210), major ? 1.5 : 1));
            const auto [from, to] = ends(i * 0.1);
            painter.drawLine(from, to);
            if (major && i > 0 && i < steps)
                label(i * 0.1, from);
        }
    };
    graticule(
        20, [](double step) { return std::pair(pixel(kNorth, kWest + step), pixel(kSouth, kWest + step)); },
        [&](double step, QPointF top) {
            painter.drawText(QPointF(top.x(), kHeight) + QPointF(4, -6), degrees(kWest + step, 'E', 'W'));
        });
    graticule(
        10, [](double step) { return std::pair(pixel(kSouth + step, kWest), pixel(kSouth + step, kEast)); },
        [&](double step, QPointF left) { painter.drawText(left + QPointF(6, -4), degrees(kSouth + step, 'N', 'S')); });
    painter.setPen(QColor(60, 60, 60));
    font.setPixelSize(16);
    painter.setFont(font);
    painter.drawText(QRectF(0, 8, kWidth, 24), Qt::AlignHCenter, QStringLiteral("Varnock sample map"));
    painter.end();

    QFile inf(folder.filePath(QStringLiteral("sample.inf")));
    if (!map.save(folder.filePath(QStringLiteral("sample.png"))) || !inf.open(QIODevice::WriteOnly)
        || inf.write("51.30.00N,001.30.00W\r\n50.30.00N,000.30.00E\r\n\"Varnock sample map\"\r\n") < 0) {
        std::fprintf(stderr, "could not write the sample map into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
