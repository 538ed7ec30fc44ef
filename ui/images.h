#pragma once
// The image list of the trees: ten 16 x 16 images drawn at any scale.
// 0 empty; overlays 1 no-entry mark, 2 warning triangle, 3 red filled
// circle, 4 red hollow circle; icons 5 section, 6 folder, 7 tacho item,
// 8 tracking band, 9 fixed band.

#include <QIcon>
#include <QPixmap>

namespace ui {

inline constexpr int kImageCount = 10;
inline constexpr int kImageSection = 5;
inline constexpr int kImageFolder = 6;
inline constexpr int kImageTacho = 7;
inline constexpr int kImageTrackingBand = 8;
inline constexpr int kImageFixedBand = 9;

// One image at 16 x 16 logical pixels and the given device-pixel ratio.
QPixmap TreeImage(int index, qreal dpr = 1.0);
// The node icon for a kind of frequency-base node (0 for no such kind).
int ImageForKind(int kind);

// Icons of the report page's mode buttons by resource id: 224 plus,
// 225 arrow down, 226 minus, 227 arrow up. A null icon for other ids.
inline constexpr int kIconModeAdd = 224;
inline constexpr int kIconModeDown = 225;
inline constexpr int kIconModeDelete = 226;
inline constexpr int kIconModeUp = 227;
QIcon ButtonIcon(int resourceId);

// Icon of a tree item: the image with an overlay (0 none, 1..4) drawn over
// it, at 1x and 2x.
class ImageList {
  public:
    QIcon Icon(int image, int overlay) const;
    // The whole strip, as the bitmap resource would hold it.
    QPixmap Strip(qreal dpr = 1.0) const;
};

}  // namespace ui
