#include "app/gui/NodeIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace kelvarin {

namespace {

constexpr int Size = 16;

// A transparent 16x16 icon with whatever draw paints on it.
template <typename Draw>
QIcon Painted(Draw draw)
{
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    {
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        draw(p);
    }
    return QIcon(pixmap);
}

// A white bold letter in the middle of a badge.
void BadgeLetter(QPainter &p, const QString &letter)
{
    QFont font = p.font();
    font.setPixelSize(10);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, Size, Size), Qt::AlignCenter, letter);
}

void Badge(QPainter &p, const QColor &fill, const QString &letter)
{
    p.setPen(fill.darker(160));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 3, 3);
    BadgeLetter(p, letter);
}

void Folder(QPainter &p)
{
    const QColor fill(232, 192, 80);
    p.setPen(fill.darker(170));
    p.setBrush(fill.darker(115));
    p.drawRect(QRectF(1.5, 3.5, 6, 3));
    p.setBrush(fill);
    p.drawRect(QRectF(1.5, 5.5, 13, 8));
}

void Box(QPainter &p, bool marked)
{
    const QColor fill(176, 124, 72);
    p.setPen(fill.darker(170));
    p.setBrush(fill);
    p.drawRect(QRectF(2.5, 5.5, 11, 8));
    p.setBrush(fill.lighter(125));
    QPainterPath lid;
    lid.moveTo(2.5, 5.5);
    lid.lineTo(5.5, 2.5);
    lid.lineTo(13.5, 2.5);
    lid.lineTo(13.5, 5.5);
    lid.closeSubpath();
    p.drawPath(lid);
    if (marked) {
        p.setPen(QColor(120, 0, 0));
        p.setBrush(QColor(220, 30, 30));
        p.drawEllipse(QRectF(8.5, 8.5, 6.5, 6.5));
    }
}

void Document(QPainter &p, const QColor &accent, const QString &letter)
{
    p.setPen(QColor(90, 90, 90));
    p.setBrush(Qt::white);
    QPainterPath page;
    page.moveTo(3.5, 1.5);
    page.lineTo(10.5, 1.5);
    page.lineTo(13.5, 4.5);
    page.lineTo(13.5, 14.5);
    page.lineTo(3.5, 14.5);
    page.closeSubpath();
    p.drawPath(page);
    QFont font = p.font();
    font.setPixelSize(9);
    font.setBold(true);
    p.setFont(font);
    p.setPen(accent);
    p.drawText(QRect(3, 4, 11, 10), Qt::AlignCenter, letter);
}

// The class badge in grey with the tree's colour as a rim: its source is
// not at hand, only the compiled package.
void CompiledBadge(QPainter &p, int imageIndex)
{
    const QColor rim = imageIndex == 0 ? QColor(52, 101, 164) : QColor(78, 154, 6);
    p.setPen(QPen(rim, 2));
    p.setBrush(QColor(136, 138, 133));
    p.drawRoundedRect(QRectF(2, 2, 12, 12), 3, 3);
    BadgeLetter(p, QStringLiteral("u"));
}

void Draw(QPainter &p, int imageIndex)
{
    switch (imageIndex) {
    case 0:
        Badge(p, QColor(52, 101, 164), QStringLiteral("C"));
        break;
    case 1:
        Badge(p, QColor(78, 154, 6), QStringLiteral("C"));
        break;
    case 2:
        Folder(p);
        break;
    case 3:
        Box(p, false);
        break;
    case 4:
        Document(p, QColor(32, 74, 135), QStringLiteral("i"));
        break;
    case 5:
        Box(p, true);
        break;
    case 6:
        Document(p, QColor(92, 53, 102), QStringLiteral("c"));
        break;
    default:
        break;
    }
}

} // namespace

QIcon NodeIcons::Icon(int imageIndex)
{
    if (imageIndex < 0 || imageIndex >= Count)
        return QIcon();
    return Painted([imageIndex](QPainter &p) { Draw(p, imageIndex); });
}

QIcon NodeIcons::CompiledClassIcon(int imageIndex)
{
    if (imageIndex != 0 && imageIndex != 1)
        return QIcon();
    return Painted([imageIndex](QPainter &p) { CompiledBadge(p, imageIndex); });
}

} // namespace kelvarin
