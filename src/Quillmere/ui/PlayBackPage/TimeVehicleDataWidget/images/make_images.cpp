// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the pictures of the vehicle status panel into the folder given on the
// command line (car/, satellite/ and the lamp pictures) and writes the
// resource list beside them. Run once when the pictures change:
//   g++ -fPIC make_images.cpp $(pkg-config --cflags --libs Qt5Gui) -o make_images
//   QT_QPA_PLATFORM=offscreen ./make_images .
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>
#include <QTextStream>

namespace {

const QColor kLit("#5ab0ee");
const QColor kDim(255, 255, 255, 70);
const QColor kRed("#ff5a36");
const QColor kGreen("#3ccf6e");
QStringList g_files;
QString g_root;

QImage canvas(int w, int h) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

void save(const QImage& image, const QString& name) {
    image.save(g_root + "/" + name, "PNG", 9);
    g_files << name;
}

void car(int angle) {
    QImage image = canvas(32, 32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(16, 16);
    p.rotate(-angle);  // the car points along the x axis at angle 0
    QPainterPath body;
    body.addRoundedRect(QRectF(-12, -6.5, 22, 13), 4, 4);
    p.fillPath(body, kLit);
    QPainterPath nose;
    nose.moveTo(9, -5);
    nose.lineTo(14, 0);
    nose.lineTo(9, 5);
    nose.closeSubpath();
    p.fillPath(nose, kLit);
    p.fillRect(QRectF(1, -5, 5, 10), QColor(33, 38, 43, 200));  // windscreen
    p.fillRect(QRectF(-10, -4, 3, 8), QColor(33, 38, 43, 160));  // rear window
    save(image, QString("car/Car_%1.png").arg(angle));
}

void satellite(int n) {
    QImage image = canvas(65, 19);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Dish
    p.setPen(QPen(n > 0 ? kLit : kDim, 1.5));
    p.drawArc(QRectF(1, 3, 12, 12), 200 * 16, 140 * 16);
    p.drawLine(QPointF(7, 9), QPointF(11, 5));
    // Twelve bars, n of them lit
    for (int i = 0; i < 12; ++i) {
        const double h = 3 + i;
        p.fillRect(QRectF(16 + i * 4, 18 - h, 3, h), i < n ? kLit : kDim);
    }
    save(image, QString("satellite/Satellite_%1.png").arg(n));
}

void arrow(const QString& name, bool left, bool on) {
    QImage image = canvas(20, 18);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.moveTo(2, 9);
    path.lineTo(10, 2);
    path.lineTo(10, 6);
    path.lineTo(18, 6);
    path.lineTo(18, 12);
    path.lineTo(10, 12);
    path.lineTo(10, 16);
    path.closeSubpath();
    if (!left) p.setTransform(QTransform(-1, 0, 0, 1, 20, 0));
    p.fillPath(path, on ? kGreen : kDim);
    save(image, name);
}

void letter(const QString& name, const QString& text, int w, int h, const QColor& color) {
    QImage image = canvas(w, h);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(color, 1.5));
    p.drawRoundedRect(QRectF(1, 1, w - 2, h - 2), 4, 4);
    QFont font;
    font.setBold(true);
    font.setPixelSize(h - 8);
    p.setFont(font);
    p.drawText(QRect(0, 0, w, h), Qt::AlignCenter, text);
    save(image, name);
}

void bell(const QString& name, const QColor& color) {
    QImage image = canvas(32, 32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.moveTo(8, 23);
    path.cubicTo(10, 20, 9, 8, 16, 7);
    path.cubicTo(23, 8, 22, 20, 24, 23);
    path.closeSubpath();
    p.fillPath(path, color);
    p.setBrush(color);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(16, 25.5), 2.5, 2.5);
    save(image, name);
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    g_root = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString(".");
    QDir().mkpath(g_root + "/car");
    QDir().mkpath(g_root + "/satellite");
    for (int a = 0; a < 360; a += 5) car(a);
    for (int n = 0; n <= 12; ++n) satellite(n);
    arrow("left_on.png", true, true);
    arrow("left_off.png", true, false);
    arrow("right_on.png", false, true);
    arrow("right_off.png", false, false);
    letter("P.png", "P", 32, 22, kLit);
    letter("P_sel.png", "P", 32, 22, kDim);
    letter("!_sel.png", "!", 32, 22, kRed);
    letter("!.png", "!", 32, 22, kDim);
    letter("R.png", "R", 32, 32, kLit);
    letter("R-nor.png", "R", 32, 32, kDim);
    bell("alarm_on.png", kRed);
    bell("alarm_off.png", kDim);

    QFile qrc(g_root + "/../vehicledata.qrc");
    if (!qrc.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 1;
    QTextStream out(&qrc);
    out << "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n"
        << "  <qresource prefix=\"/Quillmere/Images/PlayBack/VehicleData\">\n";
    for (const QString& file : g_files) out << "    <file alias=\"" << file << "\">images/" << file << "</file>\n";
    out << "  </qresource>\n</RCC>\n";
    return 0;
}
