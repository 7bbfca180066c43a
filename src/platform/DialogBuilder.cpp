#include "platform/DialogBuilder.h"

#include "platform/QtMenuBuilder.h"
#include "platform/ResourceImages.h"
#include "res/resource.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <algorithm>

namespace parcelo {
namespace {

// The height of a combo box's selection field and of one line of its list, in dialog units.
constexpr int kComboFieldHeight = 12;
constexpr int kComboLineHeight = 8;

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

QRect ControlRect(const ControlTemplate& control, const DialogBaseUnits& units, QPoint origin) {
    const int height = control.kind == ControlKind::Combo ? std::min(control.cy, kComboFieldHeight) : control.cy;
    return units.ToPixels(control.x, control.y, control.cx, height).translated(origin);
}

QWidget* CreateControl(const ControlTemplate& control, QWidget& parent) {
    const QString text = QtMenuBuilder::ToQString(control.text);
    switch (control.kind) {
    case ControlKind::Combo: {
        auto* combo = new QComboBox(&parent);
        for (const std::u16string_view item : control.items) {
            combo->addItem(QtMenuBuilder::ToQString(item));
        }
        combo->setCurrentIndex(-1);
        combo->setMaxVisibleItems(std::max(1, (control.cy - kComboFieldHeight) / kComboLineHeight));
        return combo;
    }
    case ControlKind::Edit:
        return new QLineEdit(&parent);
    case ControlKind::DateTime: {
        // The interface is Korean whatever the desktop's language: dates read "26. 12. 6.".
        const QLocale korean(QLocale::Korean, QLocale::SouthKorea);
        auto* picker = new QDateTimeEdit(&parent);
        picker->setLocale(korean);
        picker->setCalendarPopup(true);
        picker->setDisplayFormat(korean.dateFormat(QLocale::ShortFormat));
        return picker;
    }
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

void Place(const ControlTemplate& control, QWidget& widget, const DialogBaseUnits& units, QPoint origin) {
    const QRect rect = ControlRect(control, units, origin);
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
        Place(control, *widget, units, origin);
        widget->setVisible(control.visible);
        if (previous != nullptr && widget->focusPolicy() != Qt::NoFocus) {
            QWidget::setTabOrder(previous, widget);
        }
        if (widget->focusPolicy() != Qt::NoFocus) {
            previous = widget;
        }
        controls.Add(control.id, widget);
    }
    return controls;
}

void DialogBuilder::ApplyLayout(const DialogTemplate& dialogTemplate, const DialogControls& controls, QPoint origin) {
    const DialogBaseUnits units = BaseUnits(TemplateFont(dialogTemplate));
    const std::size_t count = std::min(dialogTemplate.controls.size(), controls.All().size());
    for (std::size_t i = 0; i < count; ++i) {
        Place(dialogTemplate.controls[i], *controls.All()[i].second, units, origin);
    }
}

} // namespace parcelo
