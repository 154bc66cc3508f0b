#pragma once
// Widgets seen as intro controls. Geometry is kept in twips (15 per pixel) and
// the widget placed at the nearest pixel, so steps smaller than a pixel add up.
#include "intro/IntroEffects.h"

#include <QLabel>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <vector>

namespace qs::intro {

inline constexpr int kTwipsPerPixel = 15;
int TwipsToPixels(int twips);

class QtControl final : public IntroControl {
  public:
    // Twip geometry; the widget is moved there at once.
    QtControl(QWidget* widget, int left, int top, int width, int height);
    QWidget* widget() const { return widget_; }

    int Top() const override { return top_; }
    void SetTop(int twips) override;
    int Left() const override { return left_; }
    void SetLeft(int twips) override;
    int Width() const override { return width_; }
    void SetWidth(int twips) override;
    int Height() const override { return height_; }
    void SetHeight(int twips) override;
    Color ForeColor() const override { return color_; }
    void SetForeColor(Color color) override;
    void SetBackColor(Color color);
    std::string Caption() const override;
    // Labels made to fit their text keep that size.
    void SetCaption(const std::string& text) override;
    void SetAutoSize(bool autoSize) { autoSize_ = autoSize; }
    std::string Tag() const override { return tag_; }
    void SetTag(const std::string& tag) override { tag_ = tag; }
    void SetVisible(bool visible) override;
    int ContainerWidth() const override;
    void Refresh() override;

  private:
    void place();
    QPointer<QWidget> widget_;
    int left_, top_, width_, height_;
    Color color_ = 0;
    std::string tag_;
    bool autoSize_ = false;
};

// A label array: element 0 is designed, later elements copy its looks.
class QtLabelArray final : public IntroControlArray {
  public:
    explicit QtLabelArray(std::unique_ptr<QtControl> first);
    std::size_t Count() const override { return items_.size(); }
    QtControl& Item(std::size_t index) override { return *items_.at(index); }
    QtControl& Load(std::size_t index) override;
    // Removes every element above 0.
    void UnloadAbove0();

  private:
    std::vector<std::unique_ptr<QtControl>> items_;
};

QColor ToQColor(Color color);

} // namespace qs::intro
