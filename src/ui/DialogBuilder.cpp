#include "ui/DialogBuilder.h"

#include "platform/resource.h"
#include "render/qt/ResourceImages.h"
#include "ui/DateField.h"
#include "ui/QtMenuBuilder.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>

namespace parcelo {
namespace {

// The height of a combo box's selection field and of one line of its list, in dialog units.
constexpr int kComboFieldHeight = 12;
constexpr int kComboLineHeight = 8;

// A control with nothing to its right on its rows keeps its template left edge and
// stretches to the dialog's right edge, less the template's right margin: fields and
// notes use the width of whatever screen the dialog covers. The template rectangle
// and the margin ride on the control, so that a resize can stretch it again.
constexpr char kTemplateRectProperty[] = "parcelo.templateRect";
constexpr char kRightMarginProperty[] = "parcelo.rightMargin"; // in pixels; absent for a fixed control
constexpr char kStretchFollowerName[] = "parcelo.stretchFollower";

constexpr char16_t kAlphabet[] = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

int MulDiv(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

QIcon IconOf(int iconId) {
    if (iconId == IDR_MAINFRAME) {
        return ApplicationIcon();
    }
    return QIcon(QPixmap::fromImage(LoadResourceImage(iconId)));
}

int FieldHeight(const ControlTemplate& control) {
    return control.kind == ControlKind::Combo ? std::min(control.cy, kComboFieldHeight) : control.cy;
}

QRect ControlRect(const ControlTemplate& control, const DialogBaseUnits& units, QPoint origin) {
    return units.ToPixels(control.x, control.y, control.cx, FieldHeight(control)).translated(origin);
}

QWidget* CreateControl(const ControlTemplate& control, QWidget& parent) {
    const QString text = QtMenuBuilder::TranslatedText("Dialog", control.text);
    switch (control.kind) {
    case ControlKind::Combo: {
        auto* combo = new QComboBox(&parent);
        for (const std::u16string_view item : control.items) {
            combo->addItem(QtMenuBuilder::TranslatedText("Dialog", item));
        }
        combo->setCurrentIndex(-1);
        combo->setMaxVisibleItems(std::max(1, (control.cy - kComboFieldHeight) / kComboLineHeight));
        return combo;
    }
    case ControlKind::Edit:
        return new QLineEdit(&parent);
    case ControlKind::DateTime:
        return new DateField(&parent);
    case ControlKind::Icon: {
        auto* label = new QLabel(&parent);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    }
    case ControlKind::Static:
        break;
    }
    auto* label = new QLabel(text, &parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    return label;
}

// True when another control of the template starts right of `control` on rows it shares.
bool HasRightNeighbour(const DialogTemplate& dialogTemplate, const ControlTemplate& control) {
    const int right = control.x + control.cx;
    const int bottom = control.y + FieldHeight(control);
    return std::any_of(dialogTemplate.controls.begin(), dialogTemplate.controls.end(),
                       [&](const ControlTemplate& other) {
                           return &other != &control && other.x >= right && other.y < bottom &&
                                  control.y < other.y + FieldHeight(other);
                       });
}

// The field a label names: the nearest edit, combo or date field that starts right of
// the label on the label's first row; nullptr for none.
const ControlTemplate* FieldOfLabel(const DialogTemplate& dialogTemplate, const ControlTemplate& label) {
    const ControlTemplate* nearest = nullptr;
    for (const ControlTemplate& other : dialogTemplate.controls) {
        const bool field =
            other.kind == ControlKind::Edit || other.kind == ControlKind::Combo || other.kind == ControlKind::DateTime;
        if (field && other.x >= label.x + label.cx / 2 && label.y + 4 > other.y &&
            label.y < other.y + FieldHeight(other) && (nearest == nullptr || other.x < nearest->x)) {
            nearest = &other;
        }
    }
    return nearest;
}

// The template's margin right of its rightmost control, in dialog units.
int TemplateRightMargin(const DialogTemplate& dialogTemplate) {
    int rightmost = 0;
    for (const ControlTemplate& control : dialogTemplate.controls) {
        rightmost = std::max(rightmost, control.x + control.cx);
    }
    return std::max(0, dialogTemplate.cx - rightmost);
}

// The control's rectangle in a parent of the given width: stretched to the right
// margin when it stretches, never narrower than its template.
QRect StretchedRect(const QWidget& widget, int parentWidth) {
    QRect rect = widget.property(kTemplateRectProperty).toRect();
    const QVariant margin = widget.property(kRightMarginProperty);
    if (margin.isValid()) {
        rect.setWidth(std::max(rect.width(), parentWidth - margin.toInt() - rect.left()));
    }
    return rect;
}

// Stretches the parent's stretching controls again whenever the parent changes size.
class StretchFollower : public QObject {
public:
    explicit StretchFollower(QWidget& parent) : QObject(&parent) {
        setObjectName(QString::fromLatin1(kStretchFollowerName));
        parent.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize && watched == parent()) {
            auto& dialog = static_cast<QWidget&>(*watched);
            for (QWidget* child : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (child->property(kRightMarginProperty).isValid()) {
                    child->setGeometry(StretchedRect(*child, dialog.width()));
                }
            }
        }
        return false;
    }
};

void FollowParentWidth(QWidget& widget) {
    QWidget* parent = widget.parentWidget();
    if (parent != nullptr &&
        parent->findChild<QObject*>(QString::fromLatin1(kStretchFollowerName), Qt::FindDirectChildrenOnly) == nullptr) {
        new StretchFollower(*parent);
    }
}

void Place(const DialogTemplate& dialogTemplate, const ControlTemplate& control, QWidget& widget,
           const DialogBaseUnits& units, QPoint origin) {
    widget.setProperty(kTemplateRectProperty, ControlRect(control, units, origin));
    if (HasRightNeighbour(dialogTemplate, control)) {
        widget.setProperty(kRightMarginProperty, QVariant());
    } else {
        widget.setProperty(kRightMarginProperty, units.ToPixelsX(TemplateRightMargin(dialogTemplate)));
        FollowParentWidth(widget);
    }
    const QWidget* parent = widget.parentWidget();
    const QRect rect = StretchedRect(widget, parent != nullptr ? parent->width() : 0);
    widget.setGeometry(rect);
    if (control.kind == ControlKind::Icon) {
        static_cast<QLabel&>(widget).setPixmap(IconOf(control.iconId).pixmap(rect.size()));
    }
}

} // namespace

int DialogBaseUnits::ToPixelsX(int units) const {
    return MulDiv(units, x, 4);
}

int DialogBaseUnits::ToPixelsY(int units) const {
    return MulDiv(units, y, 8);
}

QRect DialogBaseUnits::ToPixels(int left, int top, int cx, int cy) const {
    return {ToPixelsX(left), ToPixelsY(top), ToPixelsX(cx), ToPixelsY(cy)};
}

QWidget* DialogControls::GetDlgItem(int id) const {
    if (id == IDC_STATIC) {
        return nullptr;
    }
    const auto found =
        std::find_if(m_controls.begin(), m_controls.end(), [id](const auto& c) { return c.first == id; });
    return found != m_controls.end() ? found->second : nullptr;
}

QFont DialogBuilder::TemplateFont(const DialogTemplate& dialogTemplate) {
    QFont font = QApplication::font();
    if (dialogTemplate.pointSize > 0) {
        font.setPointSize(dialogTemplate.pointSize);
    }
    return font;
}

DialogBaseUnits DialogBuilder::BaseUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int alphabetWidth = metrics.horizontalAdvance(QString::fromUtf16(kAlphabet));
    return {(alphabetWidth / 26 + 1) / 2, metrics.height()};
}

QSize DialogBuilder::TemplateSize(const DialogTemplate& dialogTemplate) {
    const DialogBaseUnits units = BaseUnits(TemplateFont(dialogTemplate));
    return {units.ToPixelsX(dialogTemplate.cx), units.ToPixelsY(dialogTemplate.cy)};
}

DialogControls DialogBuilder::Build(const DialogTemplate& dialogTemplate, QWidget& parent, QPoint origin) {
    const QFont font = TemplateFont(dialogTemplate);
    const DialogBaseUnits units = BaseUnits(font);
    DialogControls controls;
    QWidget* previous = nullptr;
    for (const ControlTemplate& control : dialogTemplate.controls) {
        QWidget* widget = CreateControl(control, parent);
        widget->setFont(font);
        Place(dialogTemplate, control, *widget, units, origin);
        widget->setVisible(control.visible);
        if (previous != nullptr && widget->focusPolicy() != Qt::NoFocus) {
            QWidget::setTabOrder(previous, widget);
        }
        if (widget->focusPolicy() != Qt::NoFocus) {
            previous = widget;
        }
        controls.Add(control.id, widget);
    }
    // Each label names its field, for screen readers and for the label's mnemonic.
    const auto& all = controls.All();
    for (std::size_t i = 0; i < dialogTemplate.controls.size() && i < all.size(); ++i) {
        const ControlTemplate& label = dialogTemplate.controls[i];
        const ControlTemplate* field =
            label.kind == ControlKind::Static && !label.text.empty() ? FieldOfLabel(dialogTemplate, label) : nullptr;
        if (field == nullptr) {
            continue;
        }
        QWidget* fieldWidget = all[static_cast<std::size_t>(field - dialogTemplate.controls.data())].second;
        static_cast<QLabel*>(all[i].second)->setBuddy(fieldWidget);
        fieldWidget->setAccessibleName(QtMenuBuilder::TranslatedText("Dialog", label.text));
    }
    return controls;
}

void DialogBuilder::ApplyLayout(const DialogTemplate& dialogTemplate, const DialogControls& controls, QPoint origin) {
    const DialogBaseUnits units = BaseUnits(TemplateFont(dialogTemplate));
    const std::size_t count = std::min(dialogTemplate.controls.size(), controls.All().size());
    for (std::size_t i = 0; i < count; ++i) {
        Place(dialogTemplate, dialogTemplate.controls[i], *controls.All()[i].second, units, origin);
    }
}

} // namespace parcelo
