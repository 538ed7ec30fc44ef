// The trees' image list: marks and item icons drawn at any scale.

#include "ui/images.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include "config/cfgitem.h"

namespace ui {
namespace {

const QColor kRed(210, 20, 20);

void NoEntry(QPainter& p) {
    p.setPen(QPen(Qt::white, 0.8));
    p.setBrush(kRed);
    p.drawEllipse(QRectF(0.5, 8.5, 7, 7));
    p.fillRect(QRectF(1.8, 11.3, 4.4, 1.4), Qt::white);
}

void Warning(QPainter& p) {
    QPolygonF tri({QPointF(4, 7.5), QPointF(8, 15.5), QPointF(0, 15.5)});
    p.setPen(QPen(QColor(120, 90, 0), 0.8));
    p.setBrush(QColor(250, 210, 0));
    p.drawPolygon(tri);
    p.setPen(QPen(Qt::black, 1.2));
    p.drawLine(QPointF(4, 10), QPointF(4, 13));
    p.drawPoint(QPointF(4, 14.5));
}

void FilledCircle(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(kRed);
    p.drawEllipse(QRectF(0.5, 8.5, 7, 7));
}

void HollowCircle(QPainter& p) {
    p.setPen(QPen(kRed, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(1.3, 9.3, 5.4, 5.4));
}

void Section(QPainter& p) {
    // A closed book: the section file.
    p.setPen(QPen(QColor(60, 40, 20), 1));
    p.setBrush(QColor(150, 90, 40));
    p.drawRoundedRect(QRectF(2.5, 1.5, 11, 13), 1, 1);
    p.fillRect(QRectF(4, 3, 8, 2), QColor(245, 230, 200));
    p.drawLine(QPointF(4.5, 1.5), QPointF(4.5, 14.5));
}

void Folder(QPainter& p) {
    p.setPen(QPen(QColor(150, 110, 10), 1));
    p.setBrush(QColor(245, 200, 70));
    QPainterPath path;
    path.moveTo(1.5, 4.5);
    path.lineTo(6, 4.5);
    path.lineTo(7.5, 3);
    path.lineTo(14.5, 3);
    path.lineTo(14.5, 13.5);
    path.lineTo(1.5, 13.5);
    path.closeSubpath();
    p.drawPath(path);
    p.drawLine(QPointF(1.5, 6.5), QPointF(14.5, 6.5));
}

void PulseTrain(QPainter& p) {
    p.setPen(QPen(QColor(30, 30, 30), 1.2));
    QPolygonF line;
    const double lo = 12.5, hi = 4.5;
    line << QPointF(0.5, lo);
    for (double x : {2.5, 7.5, 12.5}) {
        line << QPointF(x, lo) << QPointF(x, hi) << QPointF(x + 2.5, hi) << QPointF(x + 2.5, lo);
    }
    line << QPointF(15.5, lo);
    p.drawPolyline(line);
}

void BandSpectrum(QPainter& p, const QColor& band) {
    p.fillRect(QRectF(6, 1, 5, 14), band);
    p.setPen(QPen(QColor(20, 20, 20), 1));
    p.drawLine(QPointF(0.5, 15.5), QPointF(15.5, 15.5));
    const double peaks[] = {11, 7, 12, 3, 5, 10, 13, 9};
    for (int i = 0; i < 8; ++i) {
        const double x = 1.5 + i * 2;
        p.drawLine(QPointF(x, 15.5), QPointF(x, peaks[i]));
    }
}

// The mode buttons' glyphs, dark on any button face.
void ButtonGlyph(QPainter& p, int resourceId) {
    const QColor ink(40, 60, 110);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    switch (resourceId) {
        case kIconModeAdd:
            p.drawRect(QRectF(7, 3, 2, 10));
            [[fallthrough]];
        case kIconModeDelete:
            p.drawRect(QRectF(3, 7, 10, 2));
            break;
        case kIconModeUp:
            p.drawPolygon(QPolygonF({QPointF(8, 3), QPointF(13.5, 9), QPointF(2.5, 9)}));
            p.drawRect(QRectF(6.5, 9, 3, 4));
            break;
        case kIconModeDown:
            p.drawPolygon(QPolygonF({QPointF(8, 13), QPointF(13.5, 7), QPointF(2.5, 7)}));
            p.drawRect(QRectF(6.5, 3, 3, 4));
            break;
        default:
            break;
    }
}

}  // namespace

QIcon ButtonIcon(int resourceId) {
    if (resourceId < kIconModeAdd || resourceId > kIconModeUp) return {};
    QIcon icon;
    for (qreal dpr : {1.0, 2.0}) {
        QPixmap pm(QSize(16, 16) * dpr);
        pm.setDevicePixelRatio(dpr);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        ButtonGlyph(p, resourceId);
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

QPixmap TreeImage(int index, qreal dpr) {
    QPixmap pm(QSize(16, 16) * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    switch (index) {
        case 1:
            NoEntry(p);
            break;
        case 2:
            Warning(p);
            break;
        case 3:
            FilledCircle(p);
            break;
        case 4:
            HollowCircle(p);
            break;
        case kImageSection:
            Section(p);
            break;
        case kImageFolder:
            Folder(p);
            break;
        case kImageTacho:
            PulseTrain(p);
            break;
        case kImageTrackingBand:
            BandSpectrum(p, QColor(90, 140, 240));
            break;
        case kImageFixedBand:
            BandSpectrum(p, QColor(80, 200, 90));
            break;
        default:
            break;
    }
    return pm;
}

int ImageForKind(int kind) {
    switch (kind) {
        case CfgItemRoot:
            return kImageSection;
        case CfgItemFolder:
            return kImageFolder;
        case CfgItemTacho:
            return kImageTacho;
        case CfgItemTrackingBand:
            return kImageTrackingBand;
        case CfgItemFixedBand:
            return kImageFixedBand;
        default:
            return 0;
    }
}

QIcon ImageList::Icon(int image, int overlay) const {
    QIcon icon;
    for (qreal dpr : {1.0, 2.0}) {
        QPixmap pm = TreeImage(image, dpr);
        if (overlay >= 1 && overlay <= 4) {
            QPainter p(&pm);
            p.drawPixmap(0, 0, TreeImage(overlay, dpr));
        }
        icon.addPixmap(pm);
    }
    return icon;
}

QPixmap ImageList::Strip(qreal dpr) const {
    QPixmap pm(QSize(16 * kImageCount, 16) * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(QColor(0, 255, 255));  // the strip's mask colour
    QPainter p(&pm);
    for (int i = 0; i < kImageCount; ++i) p.drawPixmap(16 * i, 0, TreeImage(i, dpr));
    return pm;
}

}  // namespace ui
