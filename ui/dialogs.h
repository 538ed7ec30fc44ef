#pragma once
// Windows built from resource templates: the dialog-unit mapping of the
// template font, one widget per control, lookup by control id.

#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>

#include "ui/res/resources.h"

class QLineEdit;
class QToolButton;

namespace ui {

// Pixel sizes of one horizontal and one vertical base unit: x dialog units
// are x * cx / 4 pixels, y units y * cy / 8.
struct DialogUnits {
    int cx = 6;
    int cy = 13;
};

// Dots per inch the template fonts are sized for (default 96).
void SetDialogDpi(int dpi);
int DialogDpi();

QFont TemplateFont(const res::DialogTemplate& t);
DialogUnits UnitsFor(const QFont& font);
QRect ToPixels(const res::Rect& r, const DialogUnits& u);

// Gives host the template's font and size and creates its controls as
// children of host. Returns false when the template is missing.
bool BuildFromTemplate(QWidget* host, int templateId);
void BuildFromTemplate(QWidget* host, const res::DialogTemplate& t);

// The control with the id among host's own children, or null.
QWidget* FindControl(const QWidget* host, int id);
template <class T>
T* Ctl(const QWidget* host, int id) {
    return qobject_cast<T*>(FindControl(host, id));
}

QString QStr(const std::string& utf8);
std::string StdStr(const QString& s);
// A string-table text as a QString.
QString Text(int stringId);

// The up-down control next to a number edit: its position lives in the
// buddy's text, clamped to the range when read.
class UpDown : public QWidget {
    Q_OBJECT
  public:
    explicit UpDown(QWidget* parent = nullptr);
    void SetBuddy(QLineEdit* buddy) { buddy_ = buddy; }
    QLineEdit* Buddy() const { return buddy_; }
    void SetRange(int lo, int hi);
    // The buddy's number clamped to the range.
    int Pos() const;
    void SetPos(int pos);
    void Step(int delta);

  protected:
    void resizeEvent(QResizeEvent*) override;

  private:
    QLineEdit* buddy_ = nullptr;
    QToolButton* up_;
    QToolButton* down_;
    int lo_ = 0;
    int hi_ = 100;
};

}  // namespace ui
