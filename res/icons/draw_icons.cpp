// Draws the program's tool-bar, menu and window images into PNG files: every
// bar image on a 16 by 15 grid at 1x and 2x ("name.png", "name@2x.png"), the
// action bar's hover images ("name_hot.png"), and the window and document
// icons at 32 and 64 pixels. Run it in res/icons after changing a drawing:
//   cmake --build build --target tenvix_draw_icons && (cd res/icons && ../../build/tenvix_draw_icons)

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <functional>

namespace {

struct Pal {
    bool hot = false;
    QColor c(int r, int g, int b) const
    {
        QColor col(r, g, b);
        if (hot)
            return col;
        // Resting images are a little quieter than under the pointer.
        float h, s, l, a;
        col.getHslF(&h, &s, &l, &a);
        return QColor::fromHslF(h, s * 0.7f, l, a);
    }
};

const QColor kInk(40, 40, 48);
const QColor kPaper(255, 255, 255);

using Draw = std::function<void(QPainter&, const Pal&)>;

void Page(QPainter& p, QRectF r, bool fold = true)
{
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - (fold ? 3 : 0), r.top());
    path.lineTo(r.right(), r.top() + (fold ? 3 : 0));
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawPath(path);
    if (fold) {
        p.setBrush(QColor(220, 220, 228));
        QPainterPath f;
        f.moveTo(r.right() - 3, r.top());
        f.lineTo(r.right() - 3, r.top() + 3);
        f.lineTo(r.right(), r.top() + 3);
        p.drawPath(f);
    }
}

void Lines(QPainter& p, QRectF r, int n, QColor col)
{
    p.setPen(QPen(col, 1));
    for (int i = 0; i < n; ++i)
        p.drawLine(QPointF(r.left(), r.top() + 2 * i), QPointF(r.right(), r.top() + 2 * i));
}

void Triangle(QPainter& p, QPointF a, QPointF b, QPointF c, QColor fill)
{
    QPainterPath t;
    t.moveTo(a);
    t.lineTo(b);
    t.lineTo(c);
    t.closeSubpath();
    p.setPen(QPen(fill.darker(150), 1));
    p.setBrush(fill);
    p.drawPath(t);
}

// Arrows of the move commands: `dir` -1 points left, +1 right; `bar` adds the
// end stop of First and Last.
void MoveArrow(QPainter& p, const Pal& pal, int dir, bool bar)
{
    const QColor fill = pal.c(40, 120, 220);
    const double cx = bar ? (dir < 0 ? 9.5 : 6.5) : 8.0;
    if (dir < 0)
        Triangle(p, {cx - 4, 7.5}, {cx + 3, 2.5}, {cx + 3, 12.5}, fill);
    else
        Triangle(p, {cx + 4, 7.5}, {cx - 3, 2.5}, {cx - 3, 12.5}, fill);
    if (bar) {
        p.setPen(Qt::NoPen);
        p.setBrush(fill.darker(150));
        p.drawRect(QRectF(dir < 0 ? 2.5 : 11.5, 2.5, 2, 10));
    }
}

void Numeral(QPainter& p, const QString& text, QRectF r, QColor col, int px)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(px);
    f.setBold(true);
    p.setFont(f);
    p.setPen(col);
    p.drawText(r, Qt::AlignCenter, text);
}

void Save(const QString& name, int w, int h, const Draw& draw, const Pal& pal, const QString& suffix = {})
{
    for (int scale : {1, 2}) {
        QImage img(w * scale, h * scale, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.scale(scale * w / 16.0, scale * w / 16.0); // drawings are on a 16-unit grid
        draw(p, pal);
        p.end();
        const QString file = name + suffix + (scale == 2 ? QStringLiteral("@2x.png") : QStringLiteral(".png"));
        if (!img.save(file))
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    }
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const Pal hot{true};
    const Pal rest{false};

    const std::vector<std::pair<QString, Draw>> bar = {
        {"new",
         [](QPainter& p, const Pal&) {
             Page(p, {3.5, 0.5, 9, 13});
         }},
        {"open",
         [](QPainter& p, const Pal& c) {
             p.setPen(QPen(c.c(150, 110, 20), 1));
             p.setBrush(c.c(240, 200, 80));
             p.drawRect(QRectF(0.5, 3.5, 12, 9));
             QPainterPath flap;
             flap.moveTo(0.5, 12.5);
             flap.lineTo(3.5, 6.5);
             flap.lineTo(15.5, 6.5);
             flap.lineTo(12.5, 12.5);
             flap.closeSubpath();
             p.setBrush(c.c(255, 225, 120));
             p.drawPath(flap);
             p.setBrush(c.c(240, 200, 80));
             p.drawRect(QRectF(0.5, 2.5, 5, 1));
         }},
        {"save",
         [](QPainter& p, const Pal& c) {
             p.setPen(QPen(kInk, 1));
             p.setBrush(c.c(50, 90, 170));
             p.drawRect(QRectF(1.5, 0.5, 13, 13));
             p.setBrush(kPaper);
             p.drawRect(QRectF(3.5, 0.5, 9, 6));
             p.setBrush(QColor(200, 200, 210));
             p.drawRect(QRectF(4.5, 9.5, 7, 4));
             p.setPen(Qt::NoPen);
             p.setBrush(kInk);
             p.drawRect(QRectF(9, 10, 2, 3));
         }},
        {"cut",
         [](QPainter& p, const Pal& c) {
             p.setPen(QPen(kInk, 1));
             p.drawLine(QPointF(4.5, 0.5), QPointF(10, 9));
             p.drawLine(QPointF(11.5, 0.5), QPointF(6, 9));
             p.setPen(QPen(c.c(200, 40, 40), 1.4));
             p.setBrush(Qt::NoBrush);
             p.drawEllipse(QPointF(4.5, 11.0), 2.6, 2.6);
             p.drawEllipse(QPointF(11.5, 11.0), 2.6, 2.6);
         }},
        {"copy",
         [](QPainter& p, const Pal& c) {
             Page(p, {0.5, 0.5, 8, 10}, false);
             Lines(p, {2.5, 3.5, 4, 0}, 3, c.c(120, 120, 140));
             Page(p, {6.5, 4.5, 8, 10}, false);
             Lines(p, {8.5, 7.5, 4, 0}, 3, c.c(120, 120, 140));
         }},
        {"paste",
         [](QPainter& p, const Pal& c) {
             p.setPen(QPen(c.c(110, 70, 30), 1));
             p.setBrush(c.c(190, 140, 70));
             p.drawRect(QRectF(0.5, 1.5, 10, 12));
             p.setBrush(QColor(200, 200, 210));
             p.drawRect(QRectF(3.5, 0.5, 4, 2));
             Page(p, {6.5, 5.5, 8, 9}, false);
             Lines(p, {8.5, 8.5, 4, 0}, 3, c.c(120, 120, 140));
         }},
        {"analysis",
         [](QPainter& p, const Pal& c) {
             p.setPen(QPen(kInk, 1));
             p.setBrush(kPaper);
             p.drawRect(QRectF(0.5, 0.5, 15, 14));
             p.setPen(QPen(c.c(200, 200, 215), 1));
             for (double y : {4.5, 8.5})
                 p.drawLine(QPointF(1, y), QPointF(15, y));
             p.setPen(QPen(c.c(200, 50, 50), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
             p.drawPolyline(QPolygonF({{2.5, 12}, {6, 7.5}, {9, 9.5}, {13.5, 3}}));
         }},
        {"about",
         [](QPainter& p, const Pal& c) {
             p.setPen(QPen(c.c(30, 80, 170), 1));
             p.setBrush(c.c(60, 120, 220));
             p.drawEllipse(QPointF(8, 7.5), 6.8, 6.8);
             p.setPen(Qt::NoPen);
             p.setBrush(Qt::white);
             p.drawRect(QRectF(7, 6, 2, 5.5));
             p.drawEllipse(QPointF(8, 3.9), 1.2, 1.2);
         }},
        {"seek",
         [](QPainter& p, const Pal& c) {
             p.setPen(QPen(kInk, 1.4));
             p.setBrush(c.c(200, 230, 255));
             p.drawEllipse(QPointF(6.5, 6), 4.6, 4.6);
             p.setPen(QPen(c.c(110, 70, 30), 2.6, Qt::SolidLine, Qt::RoundCap));
             p.drawLine(QPointF(10, 9.5), QPointF(14, 13.5));
         }},
        {"first", [](QPainter& p, const Pal& c) { MoveArrow(p, c, -1, true); }},
        {"prev", [](QPainter& p, const Pal& c) { MoveArrow(p, c, -1, false); }},
        {"next", [](QPainter& p, const Pal& c) { MoveArrow(p, c, +1, false); }},
        {"last", [](QPainter& p, const Pal& c) { MoveArrow(p, c, +1, true); }},
        {"recsave",
         [](QPainter& p, const Pal& c) {
             Page(p, {1.5, 0.5, 10, 13});
             Lines(p, {3.5, 3.5, 5, 0}, 3, c.c(120, 120, 140));
             p.setPen(QPen(c.c(20, 150, 50), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
             p.drawPolyline(QPolygonF({{6.5, 10}, {9.5, 13}, {15, 6}}));
         }},
        {"add",
         [](QPainter& p, const Pal& c) {
             Page(p, {1.5, 0.5, 10, 13});
             p.setPen(Qt::NoPen);
             p.setBrush(c.c(20, 150, 50));
             p.drawRect(QRectF(11, 5, 2.4, 9));
             p.drawRect(QRectF(7.7, 8.3, 9, 2.4));
         }},
        {"delete",
         [](QPainter& p, const Pal& c) {
             p.setPen(QPen(c.c(210, 40, 40), 2.6, Qt::SolidLine, Qt::RoundCap));
             p.drawLine(QPointF(3.5, 3), QPointF(12.5, 12));
             p.drawLine(QPointF(12.5, 3), QPointF(3.5, 12));
         }},
        {"update",
         [](QPainter& p, const Pal& c) {
             const QColor g = c.c(30, 140, 70);
             p.setPen(QPen(g, 1.8, Qt::SolidLine, Qt::FlatCap));
             p.setBrush(Qt::NoBrush);
             p.drawArc(QRectF(2.5, 2, 11, 11), 20 * 16, 140 * 16);
             p.drawArc(QRectF(2.5, 2, 11, 11), 200 * 16, 140 * 16);
             Triangle(p, {13.8, 4.5}, {15.5, 8.8}, {10.8, 8.3}, g);
             Triangle(p, {2.2, 10.5}, {0.5, 6.2}, {5.2, 6.7}, g);
         }},
        {"run",
         [](QPainter& p, const Pal& c) {
             p.setPen(QPen(c.c(90, 55, 20), 1));
             p.setBrush(Qt::NoBrush);
             p.drawRect(QRectF(5.5, 1.5, 5, 2));
             p.setBrush(c.c(160, 100, 40));
             p.drawRect(QRectF(0.5, 3.5, 15, 10));
             p.drawLine(QPointF(0.5, 7.5), QPointF(15.5, 7.5));
             p.setBrush(c.c(240, 200, 80));
             p.drawRect(QRectF(6.5, 6.5, 3, 2));
         }},
        {"m2",
         [](QPainter& p, const Pal& c) {
             Numeral(p, QStringLiteral("M"), {0, 2, 11, 13}, c.c(40, 60, 140), 11);
             Numeral(p, QStringLiteral("2"), {10, 0, 6, 8}, c.c(200, 60, 40), 7);
         }},
        {"type1",
         [](QPainter& p, const Pal& c) {
             p.setPen(QPen(kInk, 1));
             p.setBrush(kPaper);
             p.drawRect(QRectF(1.5, 1.5, 13, 12));
             Numeral(p, QStringLiteral("I"), {1.5, 1.5, 13, 12}, c.c(40, 60, 140), 10);
         }},
        {"type2",
         [](QPainter& p, const Pal& c) {
             p.setPen(QPen(kInk, 1));
             p.setBrush(kPaper);
             p.drawRect(QRectF(1.5, 1.5, 13, 12));
             Numeral(p, QStringLiteral("II"), {1.5, 1.5, 13, 12}, c.c(40, 60, 140), 10);
         }},
    };
    const QStringList actionBar = {"first", "prev", "next", "last", "recsave", "add", "delete"};
    for (const auto& [name, draw] : bar) {
        const bool hover = actionBar.contains(name);
        Save(name, 16, 15, draw, hover ? rest : hot);
        if (hover)
            Save(name, 16, 15, draw, hot, QStringLiteral("_hot"));
    }

    // The window icon: a bond certificate with a rising yield line; the
    // document icon: a page with the same line.
    const Draw appIcon = [](QPainter& p, const Pal& c) {
        p.setPen(QPen(QColor(30, 60, 120), 0.6));
        p.setBrush(QColor(235, 242, 255));
        p.drawRoundedRect(QRectF(0.5, 1.5, 15, 12), 1.2, 1.2);
        p.setPen(QPen(QColor(180, 150, 60), 0.5));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(1.6, 2.6, 12.8, 9.8), 0.8, 0.8);
        p.setPen(QPen(c.c(200, 50, 50), 1.1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({{3, 10.5}, {6, 7.5}, {8.5, 8.5}, {13, 4}}));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 160, 40));
        p.drawEllipse(QPointF(12.5, 11), 1.6, 1.6);
    };
    const Draw docIcon = [](QPainter& p, const Pal& c) {
        Page(p, {2.5, 0.5, 11, 14.5});
        p.setPen(QPen(c.c(200, 50, 50), 1.1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({{4.5, 12}, {7, 8.5}, {9, 9.5}, {11.5, 5}}));
    };
    Save(
        QStringLiteral("app"), 32, 32, [&](QPainter& p, const Pal& c) { appIcon(p, c); }, hot);
    Save(
        QStringLiteral("document"), 32, 32, [&](QPainter& p, const Pal& c) { docIcon(p, c); }, hot);
    return 0;
}
