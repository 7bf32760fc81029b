#include "artwork.h"

#include <QColor>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPixmap>
#include <QRadialGradient>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

using namespace Qt::Literals::StringLiterals;

namespace {

// All icons are drawn on a 32x32 grid and scaled, so the 64 px version is the
// same picture with twice the detail. Outlines are 1 unit: one device pixel at
// 32 px, which keeps the small icons crisp.
constexpr qreal kGrid = 32.0;
constexpr qreal kOutline = 1.0;
constexpr qreal kGap = 1.0; // clear space around a shape laid over another

namespace palette {
const QColor blue{0x3b, 0x82, 0xf6};
const QColor green{0x22, 0xc5, 0x5e};
const QColor red{0xef, 0x44, 0x44};
const QColor orange{0xf5, 0x9e, 0x0b};
const QColor amber{0xfb, 0xbf, 0x24};
const QColor yellow{0xfa, 0xcc, 0x15};
const QColor teal{0x14, 0xb8, 0xa6};
const QColor cyan{0x06, 0xb6, 0xd4};
const QColor pink{0xec, 0x48, 0x99};
const QColor cream{0xff, 0xf7, 0xed};
const QColor tan{0xd6, 0xa4, 0x6a};
const QColor slate{0x47, 0x55, 0x69};
const QColor grey{0x94, 0xa3, 0xb8};
const QColor wood{0xd9, 0x77, 0x06};
const QColor white{0xff, 0xff, 0xff};
} // namespace palette

QColor outlineFor(const QColor& fill)
{
    return fill.darker(165);
}

QPen outlinePen(const QColor& colour, qreal width = kOutline)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// Fill, then optional detail clipped to the shape, then the outline on top so
// the detail never spills over the edge.
void shape(QPainter& p, const QPainterPath& path, const QColor& fill,
           const std::function<void()>& detail = {})
{
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPath(path);
    if (detail) {
        p.save();
        p.setClipPath(path, Qt::IntersectClip);
        detail();
        p.restore();
    }
    p.setPen(outlinePen(outlineFor(fill)));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.restore();
}

// Clears a margin around a shape that is about to be drawn over others, so
// overlapping parts stay separate even at 32 px.
void punch(QPainter& p, const QPainterPath& path)
{
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.setPen(outlinePen(Qt::black, kOutline + 2 * kGap));
    p.setBrush(Qt::black);
    p.drawPath(path);
    p.restore();
}

QPainterPath roundedRect(const QRectF& r, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

QPainterPath circle(QPointF centre, qreal radius)
{
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return path;
}

QPainterPath thickLine(const QPainterPath& centreLine, qreal width, Qt::PenCapStyle cap = Qt::RoundCap)
{
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(cap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(centreLine).simplified();
}

// A curved shaft with a triangular head at its end, as one closed outline.
QPainterPath arrow(const QPainterPath& shaft, qreal width, qreal headLength, qreal headWidth)
{
    const QPointF end = shaft.pointAtPercent(1.0);
    const qreal angle = shaft.angleAtPercent(1.0) * std::numbers::pi / 180.0;
    const QPointF dir(std::cos(angle), -std::sin(angle)); // angles count up-positive
    const QPointF normal(-dir.y(), dir.x());

    QPainterPath head;
    head.moveTo(end + dir * headLength);
    head.lineTo(end + normal * (headWidth / 2));
    head.lineTo(end - normal * (headWidth / 2));
    head.closeSubpath();

    return thickLine(shaft, width, Qt::FlatCap).united(head).simplified();
}

// The member card, shared by every icon that shows one so it reads the same
// everywhere: rounded, with a dark stripe and two text lines.
void card(QPainter& p, const QRectF& r, const QColor& colour)
{
    const QPainterPath path = roundedRect(r, 2.0);
    shape(p, path, colour, [&] {
        p.fillRect(QRectF(r.left(), r.top() + r.height() * 0.22, r.width(), r.height() * 0.2),
                   colour.darker(190));
        p.setPen(outlinePen(QColor(255, 255, 255, 230), r.height() * 0.11));
        const qreal y1 = r.top() + r.height() * 0.64;
        const qreal y2 = r.top() + r.height() * 0.82;
        const qreal x0 = r.left() + r.width() * 0.15;
        p.drawLine(QPointF(x0, y1), QPointF(r.left() + r.width() * 0.55, y1));
        p.drawLine(QPointF(x0, y2), QPointF(r.left() + r.width() * 0.38, y2));
    });
}

// A round sign in the lower right corner (plus, minus, snowflake ...).
void badge(QPainter& p, QPointF centre, qreal radius, const QColor& colour,
           const std::function<void()>& glyph)
{
    const QPainterPath path = circle(centre, radius);
    punch(p, path);
    shape(p, path, colour);
    p.save();
    p.setPen(outlinePen(palette::white, 2.2));
    glyph();
    p.restore();
}

const QPointF kBadgeCentre(24.0, 24.0);
constexpr qreal kBadgeRadius = 6.5;

void plusBadge(QPainter& p)
{
    badge(p, kBadgeCentre, kBadgeRadius, palette::green, [&] {
        const qreal a = kBadgeRadius * 0.55;
        p.drawLine(kBadgeCentre - QPointF(a, 0), kBadgeCentre + QPointF(a, 0));
        p.drawLine(kBadgeCentre - QPointF(0, a), kBadgeCentre + QPointF(0, a));
    });
}

void minusBadge(QPainter& p)
{
    badge(p, kBadgeCentre, kBadgeRadius, palette::red, [&] {
        const qreal a = kBadgeRadius * 0.55;
        p.drawLine(kBadgeCentre - QPointF(a, 0), kBadgeCentre + QPointF(a, 0));
    });
}

void drawAddPoints(QPainter& p)
{
    // Shopping bag with a green plus.
    const QRectF bag(3.5, 10.5, 20, 18);
    shape(p, roundedRect(bag, 2.5), palette::orange,
          [&] { p.fillRect(QRectF(bag.left(), bag.top(), bag.width(), 3.5), palette::amber); });
    QPainterPath handle;
    handle.moveTo(9.0, 15.0);
    handle.cubicTo(9.0, 4.0, 18.0, 4.0, 18.0, 15.0);
    shape(p, thickLine(handle, 1.8), palette::slate);
    p.setPen(Qt::NoPen);
    p.setBrush(palette::slate);
    p.drawEllipse(QPointF(9.0, 15.0), 1.3, 1.3);
    p.drawEllipse(QPointF(18.0, 15.0), 1.3, 1.3);
    plusBadge(p);
}

void drawReturnPoints(QPainter& p)
{
    // Parcel sent back: a box with an arrow curling back to the left.
    const QRectF box(3.5, 15.5, 19, 13);
    shape(p, roundedRect(box, 1.5), palette::tan, [&] {
        p.fillRect(QRectF(box.left(), box.top(), box.width(), 3.0), palette::tan.darker(115));
        p.fillRect(QRectF(box.center().x() - 1.8, box.top(), 3.6, box.height()), palette::cream);
    });
    QPainterPath shaft;
    shaft.moveTo(21.0, 14.0);
    shaft.cubicTo(21.0, 5.0, 10.0, 3.5, 7.5, 8.5);
    shape(p, arrow(shaft, 2.6, 4.0, 7.0), palette::blue);
    minusBadge(p);
}

void drawRedeem(QPainter& p)
{
    // Gift box with a gold ribbon and bow.
    const QPainterPath bowLeft = [] {
        QPainterPath path;
        path.moveTo(16.0, 10.5);
        path.cubicTo(10.0, 1.0, 4.0, 7.5, 9.0, 10.5);
        path.closeSubpath();
        return path;
    }();
    const QPainterPath bowRight = [] {
        QPainterPath path;
        path.moveTo(16.0, 10.5);
        path.cubicTo(22.0, 1.0, 28.0, 7.5, 23.0, 10.5);
        path.closeSubpath();
        return path;
    }();
    shape(p, bowLeft, palette::yellow);
    shape(p, bowRight, palette::yellow);

    const QRectF body(5.5, 16.5, 21, 12);
    const QRectF lid(3.5, 10.5, 25, 6);
    const auto ribbon = [&](const QRectF& r) {
        p.fillRect(QRectF(14.0, r.top(), 4.0, r.height()), palette::yellow);
    };
    shape(p, roundedRect(body, 1.5), palette::red, [&] {
        p.fillRect(QRectF(body.left(), body.top(), body.width(), 1.5), palette::red.darker(125));
        ribbon(body);
    });
    shape(p, roundedRect(lid, 1.5), palette::red, [&] { ribbon(lid); });
    shape(p, circle(QPointF(16.0, 10.0), 2.0), palette::yellow);
}

void drawMembers(QPainter& p)
{
    // A member (head and shoulders) with the card in front.
    shape(p, circle(QPointF(12.0, 8.5), 5.0), palette::teal);
    QPainterPath body;
    body.moveTo(2.5, 27.5);
    body.cubicTo(2.5, 18.0, 6.0, 15.5, 12.0, 15.5);
    body.cubicTo(18.0, 15.5, 21.5, 18.0, 21.5, 27.5);
    body.closeSubpath();
    shape(p, body, palette::teal);

    const QRectF r(14.5, 17.5, 15, 11);
    punch(p, roundedRect(r, 2.0));
    card(p, r, palette::blue);
}

void drawMemberQuery(QPainter& p)
{
    // Magnifier held over the card.
    card(p, QRectF(2.5, 5.5, 22, 15), palette::blue);

    const QPointF centre(19.0, 18.5);
    const qreal radius = 6.5;
    QPainterPath handleLine;
    handleLine.moveTo(centre + QPointF(4.8, 4.8));
    handleLine.lineTo(28.0, 28.0);
    const QPainterPath handle = thickLine(handleLine, 3.6);
    const QPainterPath lens = circle(centre, radius);
    punch(p, lens);
    punch(p, handle);
    shape(p, handle, palette::slate);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xe0, 0xf2, 0xfe, 215));
    p.drawPath(lens);
    p.setPen(outlinePen(QColor(255, 255, 255, 220), 1.4));
    p.drawArc(QRectF(centre.x() - 4.0, centre.y() - 4.0, 8.0, 8.0), 100 * 16, 70 * 16);
    p.restore();
    // The rim as a thick ring with its own thin outline.
    QPainterPath ring = circle(centre, radius + 1.1).subtracted(circle(centre, radius - 1.1));
    shape(p, ring, palette::slate);
}

void drawVerbalLoss(QPainter& p)
{
    // Card frozen over the phone: the card with a snowflake sign.
    card(p, QRectF(2.5, 6.5, 22, 15), palette::blue);
    const QPointF c = kBadgeCentre;
    const qreal r = kBadgeRadius + 0.5;
    badge(p, c, r, palette::cyan, [&] {
        // Side branches only where there are pixels enough to show them.
        const bool detailed = p.transform().m11() >= 1.5;
        p.setPen(outlinePen(palette::white, detailed ? 1.2 : 1.5));
        const qreal arm = r * 0.72;
        for (int i = 0; i < 6; ++i) {
            const qreal a = i * std::numbers::pi / 3.0 + std::numbers::pi / 2.0;
            const QPointF d(std::cos(a), std::sin(a));
            p.drawLine(c, c + d * arm);
            if (!detailed)
                continue;
            const QPointF mid = c + d * (arm * 0.58);
            for (const qreal side : {-1.0, 1.0}) {
                const qreal b = a + side * std::numbers::pi / 4.0;
                p.drawLine(mid, mid + QPointF(std::cos(b), std::sin(b)) * (r * 0.3));
            }
        }
    });
}

void drawCardLoss(QPainter& p)
{
    // Old card swapped for a new one.
    card(p, QRectF(2.5, 3.5, 17, 12), palette::grey);
    const QRectF fresh(12.5, 16.5, 17, 12);
    punch(p, roundedRect(fresh, 2.0));
    card(p, fresh, palette::blue);

    QPainterPath forward;
    forward.moveTo(21.5, 6.0);
    forward.cubicTo(25.5, 6.0, 27.0, 8.0, 27.0, 11.5);
    shape(p, arrow(forward, 2.2, 3.0, 5.8), palette::green);
    QPainterPath back;
    back.moveTo(10.5, 26.0);
    back.cubicTo(6.5, 26.0, 5.0, 24.0, 5.0, 20.5);
    shape(p, arrow(back, 2.2, 3.0, 5.8), palette::green);
}

void drawBirthday(QPainter& p)
{
    // Cake with one candle.
    QPainterPath flame;
    flame.moveTo(16.0, 1.5);
    flame.cubicTo(19.5, 5.5, 18.5, 8.5, 16.0, 8.5);
    flame.cubicTo(13.5, 8.5, 12.5, 5.5, 16.0, 1.5);
    shape(p, flame, palette::orange, [&] {
        p.setPen(Qt::NoPen);
        p.setBrush(palette::yellow);
        p.drawEllipse(QPointF(16.0, 6.6), 1.2, 1.6);
    });
    const QRectF candle(14.5, 9.5, 3, 7);
    shape(p, roundedRect(candle, 0.8), palette::blue, [&] {
        p.setPen(outlinePen(palette::white, 0.9));
        p.drawLine(QPointF(14.0, 12.5), QPointF(18.0, 10.5));
        p.drawLine(QPointF(14.0, 15.5), QPointF(18.0, 13.5));
    });

    shape(p, roundedRect(QRectF(2.5, 26.5, 27, 3), 1.5), palette::grey);
    const QRectF cake(4.5, 16.5, 23, 10.5);
    shape(p, roundedRect(cake, 2.0), palette::pink, [&] {
        // Icing that drips over the top edge.
        QPainterPath icing;
        icing.moveTo(cake.left(), cake.top());
        icing.lineTo(cake.right(), cake.top());
        icing.lineTo(cake.right(), cake.top() + 3.0);
        const int drips = 4;
        const qreal w = cake.width() / drips;
        for (int i = drips - 1; i >= 0; --i) {
            const qreal x0 = cake.left() + (i + 1) * w;
            const qreal x1 = cake.left() + i * w;
            const qreal depth = (i % 2 == 0) ? 6.0 : 4.5;
            icing.cubicTo(x0 - w * 0.1, cake.top() + depth, x1 + w * 0.1, cake.top() + depth, x1,
                          cake.top() + 3.0);
        }
        icing.closeSubpath();
        p.setPen(outlinePen(palette::pink.darker(140), kOutline));
        p.setBrush(palette::cream);
        p.drawPath(icing);
        p.setPen(Qt::NoPen);
        p.setBrush(palette::yellow);
        for (const qreal x : {8.0, 16.0, 24.0})
            p.drawEllipse(QPointF(x, 23.5), 1.0, 1.0);
    });
}

void drawHelp(QPainter& p)
{
    // Blue disc with a question mark, built from strokes so it does not
    // depend on which fonts are installed.
    const QPointF c(16.0, 16.0);
    shape(p, circle(c, 13.5), palette::blue, [&] {
        p.setPen(Qt::NoPen);
        p.setBrush(palette::blue.lighter(118));
        p.drawEllipse(QPointF(16.0, 10.0), 12.0, 8.0);
    });
    QPainterPath mark;
    mark.moveTo(11.6, 12.2);
    mark.cubicTo(11.6, 7.2, 20.4, 7.2, 20.4, 12.0);
    mark.cubicTo(20.4, 15.4, 16.0, 15.6, 16.0, 19.0);
    p.save();
    p.setPen(outlinePen(palette::white, 3.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(mark);
    p.setPen(Qt::NoPen);
    p.setBrush(palette::white);
    p.drawEllipse(QPointF(16.0, 23.8), 1.9, 1.9);
    p.restore();
}

void drawAwayLock(QPainter& p)
{
    // Padlock.
    QPainterPath shackle;
    shackle.moveTo(10.0, 15.0);
    shackle.lineTo(10.0, 10.0);
    shackle.cubicTo(10.0, 2.5, 22.0, 2.5, 22.0, 10.0);
    shackle.lineTo(22.0, 15.0);
    shape(p, thickLine(shackle, 3.2, Qt::FlatCap), palette::grey);

    const QRectF body(5.5, 13.5, 21, 15);
    shape(p, roundedRect(body, 2.5), palette::amber,
          [&] { p.fillRect(QRectF(body.left(), body.top(), body.width(), 3.0), palette::yellow); });
    QPainterPath hole = circle(QPointF(16.0, 19.5), 2.2);
    QPainterPath slot;
    slot.moveTo(14.8, 20.5);
    slot.lineTo(17.2, 20.5);
    slot.lineTo(17.8, 25.0);
    slot.lineTo(14.2, 25.0);
    slot.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(palette::amber.darker(230));
    p.drawPath(hole.united(slot));
}

void drawExit(QPainter& p)
{
    // Open door with an arrow leading out.
    const QRectF frame(3.5, 3.5, 15, 25);
    shape(p, roundedRect(frame, 1.0), palette::slate);

    QPainterPath door;
    door.moveTo(3.5, 3.5);
    door.lineTo(11.5, 6.0);
    door.lineTo(11.5, 30.5);
    door.lineTo(3.5, 28.5);
    door.closeSubpath();
    shape(p, door, palette::wood);
    p.setPen(Qt::NoPen);
    p.setBrush(palette::yellow);
    p.drawEllipse(QPointF(9.6, 17.5), 1.1, 1.1);

    QPainterPath out;
    out.moveTo(13.0, 16.5);
    out.lineTo(24.0, 16.5);
    const QPainterPath a = arrow(out, 4.2, 5.5, 10.5);
    punch(p, a);
    shape(p, a, palette::red);
}

void paintArt(QPainter& p, ToolbarArt art)
{
    switch (art) {
    case ToolbarArt::AddPoints:
        return drawAddPoints(p);
    case ToolbarArt::ReturnPoints:
        return drawReturnPoints(p);
    case ToolbarArt::Redeem:
        return drawRedeem(p);
    case ToolbarArt::Members:
        return drawMembers(p);
    case ToolbarArt::MemberQuery:
        return drawMemberQuery(p);
    case ToolbarArt::VerbalLoss:
        return drawVerbalLoss(p);
    case ToolbarArt::CardLoss:
        return drawCardLoss(p);
    case ToolbarArt::Birthday:
        return drawBirthday(p);
    case ToolbarArt::Help:
        return drawHelp(p);
    case ToolbarArt::AwayLock:
        return drawAwayLock(p);
    case ToolbarArt::Exit:
        return drawExit(p);
    }
}

QPixmap render(const std::function<void(QPainter&)>& draw, int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(side / kGrid, side / kGrid);
    draw(p);
    p.end();
    return QPixmap::fromImage(image);
}

QPixmap renderArt(ToolbarArt art, int side)
{
    return render([art](QPainter& p) { paintArt(p, art); }, side);
}

// Sedan side view, nose to the right, wheels resting on y = 0, 100 units long.
// Windows and the gaps round the wheels are cut out so the shape reads as a car
// even when it is only a faint tint.
QPainterPath carSilhouette()
{
    // Sketched on a unit length but stored at 100: path boolean operations
    // flatten curves with a fixed tolerance, so at unit scale the wheels would
    // come out as polygons.
    const auto u = [](qreal x, qreal y) { return QPointF(x * 100, y * 100); };
    QPainterPath body;
    body.moveTo(u(0.00, -0.08));
    body.cubicTo(u(0.00, -0.15), u(0.03, -0.17), u(0.10, -0.18));
    body.lineTo(u(0.24, -0.20));
    body.cubicTo(u(0.31, -0.29), u(0.38, -0.33), u(0.50, -0.33));
    body.cubicTo(u(0.60, -0.33), u(0.66, -0.29), u(0.74, -0.21));
    body.lineTo(u(0.92, -0.18));
    body.cubicTo(u(0.98, -0.17), u(1.00, -0.13), u(1.00, -0.09));
    body.lineTo(u(1.00, -0.06));
    body.lineTo(u(0.00, -0.06));
    body.closeSubpath();

    QPainterPath windows;
    windows.moveTo(u(0.29, -0.205));
    windows.cubicTo(u(0.35, -0.27), u(0.40, -0.30), u(0.48, -0.30));
    windows.lineTo(u(0.48, -0.205));
    windows.closeSubpath();
    windows.moveTo(u(0.51, -0.30));
    windows.cubicTo(u(0.59, -0.30), u(0.63, -0.27), u(0.69, -0.205));
    windows.lineTo(u(0.51, -0.205));
    windows.closeSubpath();

    QPainterPath arches;
    arches.addEllipse(u(0.20, -0.065), 8.5, 8.5);
    arches.addEllipse(u(0.80, -0.065), 8.5, 8.5);
    QPainterPath wheels;
    wheels.addEllipse(u(0.20, -0.065), 6.5, 6.5);
    wheels.addEllipse(u(0.80, -0.065), 6.5, 6.5);

    return body.subtracted(windows).subtracted(arches).united(wheels);
}

// The program icon as layers on a 64-unit grid, painted in order. A layer has a fill, an
// outline or both; gradients are linear with stops, which SVG says the same way.
struct IconLayer
{
    QPainterPath path;
    QBrush fill = Qt::NoBrush;
    QColor outline;
    qreal outlineWidth = 0;
};
constexpr qreal kIconGrid = 64.0;

QPainterPath star(QPointF centre, qreal outer, qreal inner)
{
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const qreal r = i % 2 == 0 ? outer : inner;
        const qreal a = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        const QPointF pt = centre + QPointF(std::cos(a), std::sin(a)) * r;
        if (i == 0)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    path.closeSubpath();
    return path;
}

QList<IconLayer> programIconLayers()
{
    QList<IconLayer> layers;
    // The card, tilted a little as if held out at the counter.
    QTransform tilt;
    tilt.translate(30, 28);
    tilt.rotate(-9);
    tilt.translate(-30, -28);
    const QRectF cardRect(5, 11, 50, 34);
    QPainterPath card;
    card.addRoundedRect(cardRect, 5, 5);
    QLinearGradient cardFill(tilt.map(cardRect.topLeft()), tilt.map(cardRect.bottomRight()));
    cardFill.setColorAt(0, QColor(0x14, 0xb8, 0xa6));
    cardFill.setColorAt(1, QColor(0x1d, 0x4e, 0xd8));
    layers.append({tilt.map(card), cardFill, {}, 0});
    // The stripe runs between the straight parts of the sides, clear of the round corners.
    QPainterPath stripe;
    stripe.addRect(QRectF(cardRect.left(), cardRect.top() + 6, cardRect.width(), 6));
    layers.append({tilt.map(stripe), QColor(0x0f, 0x2a, 0x5c, 200), {}, 0});
    layers.append({tilt.map(card), Qt::NoBrush, QColor(0x1e, 0x3a, 0x8a), 1.5});
    // The car on the card's lower left, clear of the coin.
    QTransform carPlace;
    carPlace.translate(8, cardRect.bottom() - 3.5);
    carPlace.scale(0.25, 0.25);
    layers.append({(carPlace * tilt).map(carSilhouette()), QColor(255, 255, 255, 235), {}, 0});

    // The points coin over the corner, ringed in white so it stands apart from the card.
    const QPointF coinCentre(47, 42);
    QPainterPath coin;
    coin.addEllipse(coinCentre, 13, 13);
    QLinearGradient gold(coinCentre - QPointF(9, 9), coinCentre + QPointF(9, 9));
    gold.setColorAt(0, QColor(0xfd, 0xe0, 0x47));
    gold.setColorAt(1, QColor(0xf5, 0x9e, 0x0b));
    layers.append({coin, gold, QColor(255, 255, 255), 4.0});
    layers.append({coin, Qt::NoBrush, QColor(0xb4, 0x53, 0x09), 1.5});
    QPainterPath rim;
    rim.addEllipse(coinCentre, 9.5, 9.5);
    layers.append({rim, Qt::NoBrush, QColor(0xb4, 0x53, 0x09, 150), 1.0});
    layers.append({star(coinCentre + QPointF(0, 0.6), 7.0, 2.9), QColor(255, 255, 255), {}, 0});
    return layers;
}

QString svgNumber(qreal value)
{
    return QString::number(std::round(value * 1000) / 1000, 'g', 8);
}

QString svgPathData(const QPainterPath& path)
{
    QStringList parts;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        const auto point = [](const QPainterPath::Element& el) { return svgNumber(el.x) + u' ' + svgNumber(el.y); };
        if (e.isMoveTo()) {
            if (i > 0)
                parts << QStringLiteral("Z");
            parts << u'M' + point(e);
        } else if (e.isLineTo()) {
            parts << u'L' + point(e);
        } else if (e.isCurveTo()) {
            parts << u'C' + point(e) + u' ' + point(path.elementAt(i + 1)) + u' ' + point(path.elementAt(i + 2));
            i += 2;
        }
    }
    if (!parts.isEmpty())
        parts << QStringLiteral("Z");
    return parts.join(u' ');
}

} // namespace

QImage programIconImage(int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(side / kIconGrid, side / kIconGrid);
    for (const IconLayer& layer : programIconLayers()) {
        p.setBrush(layer.fill);
        p.setPen(layer.outlineWidth > 0 ? outlinePen(layer.outline, layer.outlineWidth) : QPen(Qt::NoPen));
        p.drawPath(layer.path);
    }
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

QByteArray programIconSvg()
{
    const auto attribute = [](const char* name, const QString& value) {
        return QStringLiteral(" %1=\"%2\"").arg(QLatin1StringView(name), value);
    };
    const auto paint = [&](const char* name, const QColor& colour) {
        QString text = attribute(name, colour.name(QColor::HexRgb));
        if (colour.alpha() < 255)
            text += attribute(name == QByteArrayView("fill") ? "fill-opacity" : "stroke-opacity",
                              svgNumber(colour.alphaF()));
        return text;
    };
    QString defs;
    QString body;
    int gradients = 0;
    for (const IconLayer& layer : programIconLayers()) {
        QString attributes;
        if (const QGradient* g = layer.fill.gradient(); g && g->type() == QGradient::LinearGradient) {
            const auto* linear = static_cast<const QLinearGradient*>(g);
            const QString id = QStringLiteral("g%1").arg(++gradients);
            defs += u"<linearGradient"_s + attribute("id", id) + attribute("gradientUnits", u"userSpaceOnUse"_s)
                + attribute("x1", svgNumber(linear->start().x())) + attribute("y1", svgNumber(linear->start().y()))
                + attribute("x2", svgNumber(linear->finalStop().x()))
                + attribute("y2", svgNumber(linear->finalStop().y())) + u'>';
            for (const QGradientStop& stop : linear->stops())
                defs += u"<stop"_s + attribute("offset", svgNumber(stop.first))
                    + attribute("stop-color", stop.second.name(QColor::HexRgb)) + u"/>"_s;
            defs += u"</linearGradient>"_s;
            attributes += attribute("fill", QStringLiteral("url(#%1)").arg(id));
        } else if (layer.fill.style() == Qt::SolidPattern) {
            attributes += paint("fill", layer.fill.color());
        } else {
            attributes += attribute("fill", u"none"_s);
        }
        if (layer.outlineWidth > 0) {
            attributes += paint("stroke", layer.outline) + attribute("stroke-width", svgNumber(layer.outlineWidth))
                + attribute("stroke-linejoin", u"round"_s) + attribute("stroke-linecap", u"round"_s);
        }
        attributes += attribute("fill-rule", layer.path.fillRule() == Qt::WindingFill ? u"nonzero"_s : u"evenodd"_s);
        body += u"<path"_s + attributes + attribute("d", svgPathData(layer.path)) + u"/>\n"_s;
    }
    return (u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"64\" height=\"64\" viewBox=\"0 0 64 64\">\n"
            "<defs>"_s
            + defs + u"</defs>\n"_s + body + u"</svg>\n"_s)
        .toUtf8();
}

QIcon toolbarIcon(ToolbarArt art)
{
    QIcon icon;
    icon.addPixmap(renderArt(art, 32));
    icon.addPixmap(renderArt(art, 64));
    return icon;
}

QIcon programIcon()
{
    QIcon icon;
    for (const int side : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(programIconImage(side)));
    return icon;
}

QImage defaultBackground(QSize size)
{
    if (size.isEmpty())
        return {};

    const qreal w = size.width();
    const qreal h = size.height();
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    // Soft sky: light blue at the top, nearly white through the middle where
    // captions and child windows sit.
    QLinearGradient sky(0, 0, 0, h);
    sky.setColorAt(0.00, QColor(0xc9, 0xe0, 0xf2));
    sky.setColorAt(0.45, QColor(0xf3, 0xf8, 0xfc));
    sky.setColorAt(0.75, QColor(0xfb, 0xfd, 0xfe));
    sky.setColorAt(1.00, QColor(0xe4, 0xee, 0xf6));
    p.fillRect(image.rect(), sky);

    // A faint glow behind the centre keeps it the lightest part of the picture.
    QRadialGradient glow(QPointF(w * 0.5, h * 0.48), std::max(w, h) * 0.45);
    glow.setColorAt(0.0, QColor(255, 255, 255, 150));
    glow.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.fillRect(image.rect(), glow);

    // Two broad, barely visible sweeps across the top.
    p.setPen(Qt::NoPen);
    QPainterPath sweep;
    sweep.moveTo(0, h * 0.10);
    sweep.cubicTo(w * 0.30, h * 0.28, w * 0.60, h * 0.02, w, h * 0.16);
    sweep.lineTo(w, 0);
    sweep.lineTo(0, 0);
    sweep.closeSubpath();
    p.setBrush(QColor(255, 255, 255, 70));
    p.drawPath(sweep);
    QPainterPath sweep2;
    sweep2.moveTo(0, h * 0.22);
    sweep2.cubicTo(w * 0.35, h * 0.08, w * 0.65, h * 0.30, w, h * 0.08);
    sweep2.lineTo(w, 0);
    sweep2.lineTo(0, 0);
    sweep2.closeSubpath();
    p.setBrush(QColor(0x9c, 0xc3, 0xe4, 28));
    p.drawPath(sweep2);

    // Gentle hills and a road along the bottom.
    const qreal roadTop = h * 0.90;
    QPainterPath hills;
    hills.moveTo(0, roadTop);
    hills.cubicTo(w * 0.20, h * 0.80, w * 0.40, h * 0.84, w * 0.55, h * 0.86);
    hills.cubicTo(w * 0.72, h * 0.88, w * 0.85, h * 0.79, w, h * 0.83);
    hills.lineTo(w, roadTop);
    hills.closeSubpath();
    p.setBrush(QColor(0x8f, 0xb8, 0xd8, 40));
    p.drawPath(hills);

    p.fillRect(QRectF(0, roadTop, w, h - roadTop), QColor(0x7f, 0x9d, 0xb8, 45));
    p.setBrush(QColor(255, 255, 255, 150));
    const qreal dash = h * 0.06;
    const qreal dashH = std::max(1.0, h * 0.006);
    const qreal laneY = roadTop + (h - roadTop) * 0.5 - dashH / 2;
    for (qreal x = dash * 0.5; x < w; x += dash * 2)
        p.drawRect(QRectF(x, laneY, dash, dashH));

    // One car on the road, right of centre, well away from the captions.
    const qreal carLength = h * 0.22;
    p.save();
    p.translate(w * 0.68, roadTop + (h - roadTop) * 0.32);
    p.scale(carLength / 100, carLength / 100);
    p.setBrush(QColor(0x5d, 0x80, 0xa3, 55));
    p.drawPath(carSilhouette());
    p.restore();

    p.end();
    return image;
}
