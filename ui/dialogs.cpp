// Dialogs built from resource templates: dialog units, one widget per control, lookups.

#include "ui/dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTableWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <cmath>
#include <vector>

#include "platform/keyvalue.h"

namespace ui {
namespace {

int g_dpi = 96;
const char kIdProperty[] = "ctrlId";

// Radio buttons are grouped by hand from each group start to the next, so a
// pair can also show neither button set.
void LinkRadioGroup(const std::vector<QRadioButton*>& group) {
    for (QRadioButton* b : group) {
        QObject::connect(b, &QRadioButton::clicked, b, [b, group] {
            b->setChecked(true);
            for (QRadioButton* other : group)
                if (other != b) other->setChecked(false);
        });
    }
}

QWidget* MakeControl(QWidget* host, const res::Control& c, const QString& text) {
    using res::Kind;
    switch (c.kind) {
        case Kind::Label: {
            auto* w = new QLabel(text, host);
            w->setAlignment((c.style & res::kCentered ? Qt::AlignHCenter : Qt::AlignLeft) |
                            Qt::AlignTop);
            return w;
        }
        case Kind::Frame:
            return new QFrame(host);
        case Kind::GroupBox:
            return new QGroupBox(text, host);
        case Kind::Button:
        case Kind::DefButton: {
            auto* w = new QPushButton(text, host);
            w->setDefault(c.kind == Kind::DefButton);
            w->setAutoDefault(false);
            return w;
        }
        case Kind::CheckBox: {
            return new QCheckBox(text, host);
        }
        case Kind::Radio: {
            auto* w = new QRadioButton(text, host);
            w->setAutoExclusive(false);
            return w;
        }
        case Kind::Edit: {
            auto* w = new QLineEdit(text, host);
            if (c.style & res::kReadOnly) {
                // Read-only fields wear the window's colour, not an input's.
                w->setReadOnly(true);
                QPalette p = w->palette();
                p.setColor(QPalette::Base, p.color(QPalette::Window));
                w->setPalette(p);
            }
            // A text set from the program shows its start (names, long
            // descriptions), not its end. Setting a text clears the modified
            // flag that typing sets, so typing keeps its cursor.
            QObject::connect(w, &QLineEdit::textChanged, w, [w] {
                if (!w->isModified()) w->setCursorPosition(0);
            });
            if (c.style & res::kNumber)
                w->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), w));
            return w;
        }
        case Kind::DropList:
            return new QComboBox(host);
        case Kind::ComboBox: {
            auto* w = new QComboBox(host);
            w->setEditable(true);
            return w;
        }
        case Kind::ListView: {
            auto* w = new QListWidget(host);
            w->setSelectionMode(c.style & res::kMultiSel ? QAbstractItemView::ExtendedSelection
                                                         : QAbstractItemView::SingleSelection);
            return w;
        }
        case Kind::ReportView: {
            // Rows under a header of columns, selected whole, with grid lines.
            auto* w = new QTableWidget(host);
            w->setSelectionBehavior(QAbstractItemView::SelectRows);
            w->setSelectionMode(c.style & res::kMultiSel ? QAbstractItemView::ExtendedSelection
                                                         : QAbstractItemView::SingleSelection);
            w->setEditTriggers(QAbstractItemView::NoEditTriggers);
            w->setShowGrid(true);
            w->setWordWrap(false);
            w->verticalHeader()->hide();
            w->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
            w->verticalHeader()->setDefaultSectionSize(QFontMetrics(host->font()).height() + 4);
            w->horizontalHeader()->setStretchLastSection(false);
            w->horizontalHeader()->setHighlightSections(false);
            return w;
        }
        case Kind::TreeView: {
            auto* w = new QTreeWidget(host);
            w->setHeaderHidden(true);
            w->setColumnCount(1);
            w->setRootIsDecorated(true);
            return w;
        }
        case Kind::UpDown:
            return new UpDown(host);
        case Kind::Progress: {
            auto* w = new QProgressBar(host);
            w->setTextVisible(false);
            return w;
        }
    }
    return nullptr;
}

// A check box drawn on a group box's top edge hides the frame line behind it.
bool OnGroupEdge(const res::DialogTemplate& t, const res::Control& box) {
    for (const res::Control& g : t.controls) {
        if (g.kind != res::Kind::GroupBox) continue;
        const bool straddles = box.rect.y < g.rect.y && box.rect.y + box.rect.h > g.rect.y;
        const bool inside = box.rect.x >= g.rect.x && box.rect.x < g.rect.x + g.rect.w;
        if (straddles && inside) return true;
    }
    return false;
}

}  // namespace

void SetDialogDpi(int dpi) {
    g_dpi = dpi > 0 ? dpi : 96;
}
int DialogDpi() {
    return g_dpi;
}

QString QStr(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}
std::string StdStr(const QString& s) {
    return s.toUtf8().toStdString();
}
QString Text(int stringId) {
    return QStr(res::Str(stringId));
}

QFont TemplateFont(const res::DialogTemplate& t) {
    QFont f(QStr(t.font));
    f.setPixelSize(static_cast<int>(std::lround(t.pointSize * g_dpi / 72.0)));
    return f;
}

DialogUnits UnitsFor(const QFont& font) {
    // The average width of the 52 letters, as the platform's dialogs measure it.
    const QFontMetrics fm(font);
    const int w = fm.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return DialogUnits{(w / 26 + 1) / 2, fm.height()};
}

QRect ToPixels(const res::Rect& r, const DialogUnits& u) {
    return QRect(r.x * u.cx / 4, r.y * u.cy / 8, r.w * u.cx / 4, r.h * u.cy / 8);
}

void BuildFromTemplate(QWidget* host, const res::DialogTemplate& t) {
    const QFont font = TemplateFont(t);
    host->setFont(font);
    const DialogUnits u = UnitsFor(font);
    if (!t.caption.empty()) host->setWindowTitle(QStr(t.caption));
    host->resize(ToPixels({0, 0, t.width, t.height}, u).size());
    QWidget* previous = nullptr;
    std::vector<QRadioButton*> group;
    for (const res::Control& c : t.controls) {
        const QString text = c.stringId ? Text(c.stringId) : QStr(c.text);
        QWidget* w = MakeControl(host, c, text);
        if (!w) continue;
        w->setGeometry(ToPixels(c.rect, u));
        w->setProperty(kIdProperty, c.id);
        if (c.id != res::kStatic) w->setObjectName(QString("c%1").arg(c.id));
        if (c.style & res::kHidden) w->hide();
        if (c.kind == res::Kind::CheckBox && OnGroupEdge(t, c)) w->setAutoFillBackground(true);
        if (c.style & res::kDisabled) w->setEnabled(false);
        auto* radio = qobject_cast<QRadioButton*>(w);
        if (!radio || (c.style & res::kGroupStart)) {
            if (group.size() > 1) LinkRadioGroup(group);
            group.clear();
        }
        if (radio) group.push_back(radio);
        if (auto* ud = qobject_cast<UpDown*>(w)) ud->SetBuddy(qobject_cast<QLineEdit*>(previous));
        previous = w;
    }
    if (group.size() > 1) LinkRadioGroup(group);
}

bool BuildFromTemplate(QWidget* host, int templateId) {
    const res::DialogTemplate* t = res::Dialog(templateId);
    if (!t) return false;
    BuildFromTemplate(host, *t);
    return true;
}

QWidget* FindControl(const QWidget* host, int id) {
    if (!host) return nullptr;
    for (QObject* o : host->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (w && w->property(kIdProperty).toInt() == id && id != res::kStatic) return w;
    }
    return nullptr;
}

UpDown::UpDown(QWidget* parent) : QWidget(parent) {
    up_ = new QToolButton(this);
    up_->setArrowType(Qt::UpArrow);
    down_ = new QToolButton(this);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {up_, down_}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
    }
    connect(up_, &QToolButton::clicked, this, [this] { Step(1); });
    connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
}

void UpDown::SetRange(int lo, int hi) {
    lo_ = lo;
    hi_ = hi < lo ? lo : hi;
}

int UpDown::Pos() const {
    int v = buddy_ ? plat::AtoI(StdStr(buddy_->text())) : lo_;
    return v < lo_ ? lo_ : (v > hi_ ? hi_ : v);
}

void UpDown::SetPos(int pos) {
    pos = pos < lo_ ? lo_ : (pos > hi_ ? hi_ : pos);
    if (buddy_) buddy_->setText(QString::number(pos));
}

void UpDown::Step(int delta) {
    if (buddy_ && buddy_->text().trimmed().isEmpty())
        SetPos(lo_);
    else
        SetPos(Pos() + delta);
}

void UpDown::resizeEvent(QResizeEvent*) {
    const int h = height() / 2;
    up_->setGeometry(0, 0, width(), h);
    down_->setGeometry(0, h, width(), height() - h);
}

}  // namespace ui
