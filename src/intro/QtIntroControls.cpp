#include "intro/QtIntroControls.h"

#include <cmath>

namespace qs::intro {

int TwipsToPixels(int twips) {
    return static_cast<int>(std::lround(static_cast<double>(twips) / kTwipsPerPixel));
}

QColor ToQColor(Color color) {
    const RgbParts p = SplitColor(color);
    return QColor(p.red, p.green, p.blue);
}

QtControl::QtControl(QWidget* widget, int left, int top, int width, int height)
    : widget_(widget), left_(left), top_(top), width_(width), height_(height) {
    place();
}

void QtControl::place() {
    if (!widget_)
        return;
    widget_->setGeometry(TwipsToPixels(left_), TwipsToPixels(top_), TwipsToPixels(width_),
                         TwipsToPixels(height_));
}

void QtControl::SetTop(int twips) {
    top_ = twips;
    place();
}
void QtControl::SetLeft(int twips) {
    left_ = twips;
    place();
}
void QtControl::SetWidth(int twips) {
    width_ = twips;
    place();
}
void QtControl::SetHeight(int twips) {
    height_ = twips;
    place();
}

void QtControl::SetForeColor(Color color) {
    color_ = color;
    if (!widget_)
        return;
    QPalette palette = widget_->palette();
    palette.setColor(QPalette::WindowText, ToQColor(color));
    widget_->setPalette(palette);
}

void QtControl::SetBackColor(Color color) {
    if (!widget_)
        return;
    QPalette palette = widget_->palette();
    palette.setColor(QPalette::Window, ToQColor(color));
    widget_->setPalette(palette);
    widget_->setAutoFillBackground(true);
}

std::string QtControl::Caption() const {
    const auto* label = qobject_cast<const QLabel*>(widget_.data());
    return label ? label->text().toLatin1().toStdString() : std::string();
}

void QtControl::SetCaption(const std::string& text) {
    auto* label = qobject_cast<QLabel*>(widget_.data());
    if (!label)
        return;
    // Texts of one character per byte.
    label->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
    if (autoSize_) {
        const QSize size = label->sizeHint();
        width_ = size.width() * kTwipsPerPixel;
        height_ = size.height() * kTwipsPerPixel;
        place();
    }
}

void QtControl::SetVisible(bool visible) {
    if (widget_)
        widget_->setVisible(visible);
}

int QtControl::ContainerWidth() const {
    const QWidget* parent = widget_ ? widget_->parentWidget() : nullptr;
    return parent ? parent->width() * kTwipsPerPixel : 0;
}

void QtControl::Refresh() {
    if (widget_)
        widget_->update();
}

QtLabelArray::QtLabelArray(std::unique_ptr<QtControl> first) {
    items_.push_back(std::move(first));
}

QtControl& QtLabelArray::Load(std::size_t index) {
    QtControl& first = *items_.front();
    while (items_.size() <= index) {
        auto* model = qobject_cast<QLabel*>(first.widget());
        auto* label = new QLabel(model ? model->parentWidget() : nullptr);
        if (model) {
            label->setObjectName(model->objectName());
            label->setFont(model->font());
            label->setPalette(model->palette());
            label->setAlignment(model->alignment());
        }
        label->setProperty("index", static_cast<qulonglong>(items_.size()));
        label->hide();
        auto control = std::make_unique<QtControl>(label, first.Left(), first.Top(), first.Width(),
                                                   first.Height());
        control->SetAutoSize(true);
        control->SetTag(first.Tag());
        items_.push_back(std::move(control));
    }
    return *items_[index];
}

void QtLabelArray::UnloadAbove0() {
    while (items_.size() > 1) {
        if (QWidget* w = items_.back()->widget())
            delete w;
        items_.pop_back();
    }
}

} // namespace qs::intro
