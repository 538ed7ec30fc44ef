#pragma once
// What a picture says: a paint device that keeps the text of every
// drawText and nothing else, so a test reads the words a widget or a
// painter function draws, and a check of those words by script.

#include <QPaintDevice>
#include <QPaintEngine>
#include <QRegularExpression>
#include <QStringList>
#include <QTextItem>
#include <QWidget>
#include <cmath>
#include <memory>

namespace testutil {

class TextRecorder : public QPaintDevice {
  public:
    explicit TextRecorder(QSize size = {1600, 1000}) : size_(size), engine_(new Engine(this)) {}
    ~TextRecorder() override = default;
    QPaintEngine* paintEngine() const override { return engine_.get(); }
    // Every text drawn so far, in drawing order.
    QStringList texts;

  protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
            case PdmWidth:
                return size_.width();
            case PdmHeight:
                return size_.height();
            case PdmDpiX:
            case PdmDpiY:
            case PdmPhysicalDpiX:
            case PdmPhysicalDpiY:
                return 96;
            case PdmDepth:
                return 32;
            case PdmNumColors:
                return 0x7fffffff;
            case PdmDevicePixelRatio:
                return 1;
            case PdmDevicePixelRatioScaled:
                return static_cast<int>(devicePixelRatioFScale());
            default:
                return 0;
        }
    }

  private:
    class Engine : public QPaintEngine {
      public:
        explicit Engine(TextRecorder* owner) : QPaintEngine(AllFeatures), owner_(owner) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawPath(const QPainterPath&) override {}
        // A line of mixed scripts comes in runs, one a script: a run that
        // goes on where the last ended is joined to it.
        void drawTextItem(const QPointF& at, const QTextItem& item) override {
            const QPointF pos = state->transform().map(at);
            QStringList& texts = owner_->texts;
            if (!texts.isEmpty() && std::abs(pos.y() - end_.y()) < 0.5 &&
                std::abs(pos.x() - end_.x()) < 1.0)
                texts.back() += item.text();
            else
                texts << item.text();
            end_ = pos + QPointF(item.width(), 0);
        }
        Type type() const override { return User; }

      private:
        TextRecorder* owner_;
        QPointF end_;
    };
    QSize size_;
    std::unique_ptr<Engine> engine_;
};

// The texts a widget and its visible children draw.
inline QStringList DrawnTexts(QWidget* w) {
    TextRecorder r(w->size());
    w->render(&r);
    return r.texts;
}

// A text with English in a Russian window: a word of Latin letters (two or
// more: "A" or "t" is a symbol) that is not one of the allowed ones, e.g.
// "Cursor", or the unit "s" on its own, as in "t [s]".
inline bool HasForeignLatin(const QString& text, const QStringList& allowed) {
    static const QRegularExpression word("[A-Za-z]{2,}");
    static const QRegularExpression seconds("(^|[\\s\\[(\\d])s($|[\\s\\])])");
    for (auto it = word.globalMatch(text); it.hasNext();)
        if (!allowed.contains(it.next().captured())) return true;
    return text.contains(seconds);
}

inline bool HasCyrillic(const QString& text) {
    static const QRegularExpression cyrillic("[\\x{0400}-\\x{04FF}]");
    return text.contains(cyrillic);
}

}  // namespace testutil
