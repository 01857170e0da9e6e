// Draws the pictures of the windows (logos, button and navigator pictures) into the PNG files of
// src/ui/resources. It is not part of the build; the PNG files it wrote are. To draw them again, from the
// top of the source tree:
//   g++ -std=c++20 -fPIC tools/draw-pictures.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/draw-pictures
//   QT_QPA_PLATFORM=offscreen /tmp/draw-pictures src/ui/resources packaging/icons
// The second directory, when given, receives the window icon drawn again at the sizes of the desktop menu
// (envio-precios-<size>.png), which the package installs.
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <string>

static QString out;
static QImage canvas(int w, int h) {
    QImage i(w, h, QImage::Format_ARGB32);
    i.fill(Qt::transparent);
    return i;
}
static void save(const QImage& i, const char* name) {
    i.save(out + "/" + name, "PNG");
}
static void aa(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
}

static void tag(QPainter& p, QRectF r, QColor c) {
    QPainterPath path;
    const double n = r.height() / 2;
    path.moveTo(r.left() + n, r.top());
    path.lineTo(r.right(), r.top());
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left() + n, r.bottom());
    path.lineTo(r.left(), r.center().y());
    path.closeSubpath();
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, c.lighter(130));
    g.setColorAt(1, c.darker(115));
    p.setBrush(g);
    p.setPen(QPen(c.darker(160), 1.5));
    p.drawPath(path);
    p.setBrush(Qt::white);
    p.setPen(QPen(c.darker(160), 1));
    const double hr = r.height() * 0.11;
    p.drawEllipse(QPointF(r.left() + n * 0.9, r.center().y()), hr, hr);
}

static void arrow(QPainter& p, QPointF from, QPointF to, QColor c, double w) {
    p.setPen(QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(from, to);
    const double a = std::atan2(to.y() - from.y(), to.x() - from.x());
    const double l = w * 2.4;
    QPolygonF head;
    head << to << QPointF(to.x() - l * std::cos(a - 0.5), to.y() - l * std::sin(a - 0.5))
         << QPointF(to.x() - l * std::cos(a + 0.5), to.y() - l * std::sin(a + 0.5));
    p.setBrush(c);
    p.drawPolygon(head);
}

static void cylinder(QPainter& p, QRectF r, QColor c) {
    const double e = r.height() * 0.22;
    QLinearGradient g(r.topLeft(), r.topRight());
    g.setColorAt(0, c.darker(120));
    g.setColorAt(0.5, c.lighter(135));
    g.setColorAt(1, c.darker(130));
    p.setPen(QPen(c.darker(170), 1.2));
    p.setBrush(g);
    QPainterPath body;
    body.moveTo(r.left(), r.top() + e / 2);
    body.lineTo(r.left(), r.bottom() - e / 2);
    body.arcTo(QRectF(r.left(), r.bottom() - e, r.width(), e), 180, 180);
    body.lineTo(r.right(), r.top() + e / 2);
    body.arcTo(QRectF(r.left(), r.top(), r.width(), e), 0, -180);
    p.drawPath(body);
    p.setBrush(c.lighter(150));
    p.drawEllipse(QRectF(r.left(), r.top(), r.width(), e));
}

// Window icon: a price tag with an arrow, drawn on a 32-unit square scaled to the requested size.
static QImage windowIcon(int size) {
    QImage i = canvas(size, size);
    QPainter p(&i);
    aa(p);
    p.scale(size / 32.0, size / 32.0);
    p.save();
    p.translate(15, 13);
    p.rotate(-20);
    tag(p, QRectF(-13, -7, 26, 14), QColor(242, 177, 52));
    p.restore();
    arrow(p, QPointF(4, 26), QPointF(28, 26), QColor(30, 100, 190), 2.6);
    return i;
}

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    out = argv[1];

    { // Login, upper picture: price tags on their way.
        QImage i = canvas(128, 150);
        QPainter p(&i);
        aa(p);
        QLinearGradient bg(0, 0, 0, 150);
        bg.setColorAt(0, QColor(28, 74, 128));
        bg.setColorAt(1, QColor(14, 40, 78));
        p.setPen(Qt::NoPen);
        p.setBrush(bg);
        p.drawRoundedRect(QRectF(2, 2, 124, 146), 10, 10);
        p.save();
        p.translate(64, 62);
        p.rotate(-18);
        tag(p, QRectF(-44, -20, 88, 40), QColor(242, 177, 52));
        p.restore();
        p.setPen(QColor(90, 50, 0));
        QFont f("DejaVu Sans", 15, QFont::Bold);
        p.setFont(f);
        p.save();
        p.translate(64, 62);
        p.rotate(-18);
        p.drawText(QRectF(-22, -16, 66, 32), Qt::AlignCenter, "$");
        p.restore();
        arrow(p, QPointF(22, 118), QPointF(106, 118), QColor(120, 200, 255), 4);
        p.setPen(QColor(220, 235, 250));
        QFont s("DejaVu Sans", 8, QFont::Bold);
        p.setFont(s);
        p.drawText(QRectF(0, 126, 128, 18), Qt::AlignCenter, "ENVIO PRECIOS");
        save(i, "logo_precios.png");
    }
    { // Login, lower picture: origin database to destinations.
        QImage i = canvas(128, 110);
        QPainter p(&i);
        aa(p);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(232, 238, 246));
        p.drawRoundedRect(QRectF(2, 2, 124, 106), 10, 10);
        cylinder(p, QRectF(10, 32, 34, 46), QColor(52, 120, 196));
        cylinder(p, QRectF(86, 10, 30, 38), QColor(58, 156, 92));
        cylinder(p, QRectF(86, 62, 30, 38), QColor(58, 156, 92));
        arrow(p, QPointF(48, 50), QPointF(80, 30), QColor(230, 130, 30), 3);
        arrow(p, QPointF(48, 62), QPointF(80, 80), QColor(230, 130, 30), 3);
        save(i, "logo_bases.png");
    }
    { // F2: Entrar — a green arrow into a door.
        QImage i = canvas(24, 24);
        QPainter p(&i);
        aa(p);
        p.setPen(QPen(QColor(90, 60, 30), 1.2));
        p.setBrush(QColor(196, 150, 96));
        p.drawRect(QRectF(12.5, 2.5, 9, 19));
        p.setBrush(QColor(90, 60, 30));
        p.drawEllipse(QPointF(14.8, 12), 0.9, 0.9);
        arrow(p, QPointF(1.5, 12), QPointF(11.5, 12), QColor(30, 150, 60), 2.6);
        save(i, "entrar.png");
    }
    { // ESC: Salir and the bottom bar's Salir — an open door and a red arrow out.
        QImage i = canvas(24, 24);
        QPainter p(&i);
        aa(p);
        p.setPen(QPen(QColor(90, 60, 30), 1.2));
        p.setBrush(QColor(60, 40, 20));
        p.drawRect(QRectF(2.5, 2.5, 9, 19));
        QPolygonF leaf;
        leaf << QPointF(2.5, 2.5) << QPointF(7.5, 5) << QPointF(7.5, 23) << QPointF(2.5, 21.5);
        p.setBrush(QColor(196, 150, 96));
        p.drawPolygon(leaf);
        arrow(p, QPointF(10, 12), QPointF(22.5, 12), QColor(200, 40, 40), 2.6);
        save(i, "salir.png");
    }
    { // Enviar — a paper plane.
        QImage i = canvas(24, 24);
        QPainter p(&i);
        aa(p);
        QPolygonF wing;
        wing << QPointF(1.5, 11) << QPointF(22.5, 2) << QPointF(14, 21.5) << QPointF(10.5, 13.5);
        p.setPen(QPen(QColor(20, 80, 150), 1.2));
        p.setBrush(QColor(110, 180, 240));
        p.drawPolygon(wing);
        p.drawLine(QPointF(10.5, 13.5), QPointF(22.5, 2));
        QPolygonF fold;
        fold << QPointF(10.5, 13.5) << QPointF(10.5, 20) << QPointF(13, 16.5);
        p.setBrush(QColor(60, 130, 200));
        p.drawPolygon(fold);
        save(i, "enviar.png");
    }
    { // Conectar — a plug and a socket.
        QImage i = canvas(24, 24);
        QPainter p(&i);
        aa(p);
        p.setPen(QPen(QColor(60, 60, 60), 1.2));
        p.setBrush(QColor(250, 200, 60));
        p.drawRoundedRect(QRectF(3, 8, 8, 8), 2, 2);
        p.setPen(QPen(QColor(80, 80, 80), 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(11, 10), QPointF(15, 10));
        p.drawLine(QPointF(11, 14), QPointF(15, 14));
        p.setPen(QPen(QColor(60, 60, 60), 1.2));
        p.setBrush(QColor(70, 160, 90));
        p.drawRoundedRect(QRectF(16, 6, 6, 12), 2, 2);
        p.setPen(QPen(QColor(60, 60, 60), 1.6));
        p.drawLine(QPointF(1, 12), QPointF(3, 12));
        save(i, "conectar.png");
    }
    { // Configurar — a list with a pencil.
        QImage i = canvas(24, 24);
        QPainter p(&i);
        aa(p);
        p.setPen(QPen(QColor(90, 90, 90), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2.5, 2.5, 15, 19));
        p.setPen(QPen(QColor(40, 100, 180), 1.6));
        for (int k = 0; k < 4; ++k)
            p.drawLine(QPointF(5, 7 + k * 4), QPointF(15, 7 + k * 4));
        p.save();
        p.translate(17, 15);
        p.rotate(45);
        p.setPen(QPen(QColor(120, 70, 10), 1));
        p.setBrush(QColor(240, 170, 40));
        p.drawRect(QRectF(-2, -9, 4, 13));
        QPolygonF tip;
        tip << QPointF(-2, 4) << QPointF(2, 4) << QPointF(0, 8);
        p.setBrush(QColor(250, 220, 170));
        p.drawPolygon(tip);
        p.restore();
        save(i, "configurar.png");
    }
    { // Pendientes — a clipboard with a clock.
        QImage i = canvas(24, 24);
        QPainter p(&i);
        aa(p);
        p.setPen(QPen(QColor(110, 70, 30), 1));
        p.setBrush(QColor(200, 150, 90));
        p.drawRoundedRect(QRectF(3, 3, 15, 19), 2, 2);
        p.setBrush(Qt::white);
        p.setPen(QPen(QColor(140, 140, 140), 0.8));
        p.drawRect(QRectF(5, 6, 11, 14));
        p.setBrush(QColor(120, 120, 120));
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(QRectF(7, 1.5, 7, 3.5), 1, 1);
        p.setPen(QPen(QColor(60, 110, 180), 1.3));
        for (int k = 0; k < 3; ++k)
            p.drawLine(QPointF(7, 9.5 + k * 3.3), QPointF(12, 9.5 + k * 3.3));
        p.setPen(QPen(QColor(150, 30, 30), 1.2));
        p.setBrush(QColor(255, 235, 120));
        p.drawEllipse(QPointF(17.5, 17.5), 5.5, 5.5);
        p.drawLine(QPointF(17.5, 17.5), QPointF(17.5, 14));
        p.drawLine(QPointF(17.5, 17.5), QPointF(20, 18.5));
        save(i, "pendientes.png");
    }
    { // Grabar — a floppy-like disk with a check.
        QImage i = canvas(24, 24);
        QPainter p(&i);
        aa(p);
        p.setPen(QPen(QColor(20, 50, 100), 1.2));
        p.setBrush(QColor(50, 100, 180));
        p.drawRoundedRect(QRectF(2.5, 2.5, 19, 19), 2, 2);
        p.setBrush(QColor(235, 240, 248));
        p.drawRect(QRectF(6, 3, 12, 7));
        p.setBrush(QColor(200, 210, 225));
        p.drawRect(QRectF(6, 14, 12, 7.5));
        p.setPen(QPen(QColor(30, 160, 60), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF() << QPointF(8.5, 17.5) << QPointF(11, 20) << QPointF(16, 15));
        save(i, "grabar.png");
    }
    // Navigator buttons, 16 x 16.
    auto nav = [&](const char* name, auto draw) {
        QImage i = canvas(16, 16);
        QPainter p(&i);
        aa(p);
        p.setPen(QPen(QColor(20, 60, 120), 0.8));
        p.setBrush(QColor(50, 110, 200));
        draw(p);
        save(i, name);
    };
    auto tri = [](QPainter& p, double x, bool left) {
        QPolygonF t;
        if (left)
            t << QPointF(x + 6, 3) << QPointF(x + 6, 13) << QPointF(x, 8);
        else
            t << QPointF(x, 3) << QPointF(x, 13) << QPointF(x + 6, 8);
        p.drawPolygon(t);
    };
    nav("nav_first.png", [&](QPainter& p) {
        p.drawRect(QRectF(3, 3, 2, 10));
        tri(p, 6, true);
    });
    nav("nav_prior.png", [&](QPainter& p) { tri(p, 5, true); });
    nav("nav_next.png", [&](QPainter& p) { tri(p, 5, false); });
    nav("nav_last.png", [&](QPainter& p) {
        tri(p, 4, false);
        p.drawRect(QRectF(11, 3, 2, 10));
    });
    nav("nav_insert.png", [&](QPainter& p) {
        p.setBrush(QColor(40, 150, 60));
        p.setPen(QPen(QColor(20, 90, 30), 0.8));
        p.drawRect(QRectF(6.5, 2.5, 3, 11));
        p.drawRect(QRectF(2.5, 6.5, 11, 3));
    });
    nav("nav_delete.png", [&](QPainter& p) {
        p.setBrush(QColor(200, 40, 40));
        p.setPen(QPen(QColor(120, 20, 20), 0.8));
        p.drawRect(QRectF(2.5, 6.5, 11, 3));
    });
    nav("nav_cancel.png", [&](QPainter& p) {
        p.setPen(QPen(QColor(190, 40, 40), 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
    });
    save(windowIcon(32), "icono.png");
    if (argc > 2) {
        out = argv[2];
        for (const int size : {16, 22, 24, 48, 64, 128, 256})
            save(windowIcon(size), ("envio-precios-" + std::to_string(size) + ".png").c_str());
    }
    return 0;
}
