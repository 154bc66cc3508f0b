#pragma once
// Window controls without a window, for the effect steps. A caption makes a
// label 120 twips wide per character and 240 high, like an 8-pixel font.
#include "intro/mod_IntroEffects.h"

#include <memory>
#include <vector>

namespace qs::test {

struct PlainControl final : intro::IntroControl {
    int top = 0, left = 0, width = 0, height = 0;
    intro::Color color = 0;
    std::string caption, tag;
    bool visible = false;
    int containerWidth = 6000;

    int Top() const override { return top; }
    void SetTop(int v) override { top = v; }
    int Left() const override { return left; }
    void SetLeft(int v) override { left = v; }
    int Width() const override { return width; }
    void SetWidth(int v) override { width = v; }
    int Height() const override { return height; }
    void SetHeight(int v) override { height = v; }
    intro::Color ForeColor() const override { return color; }
    void SetForeColor(intro::Color c) override { color = c; }
    std::string Caption() const override { return caption; }
    void SetCaption(const std::string& text) override {
        caption = text;
        width = 120 * static_cast<int>(text.size());
        height = 240;
    }
    std::string Tag() const override { return tag; }
    void SetTag(const std::string& t) override { tag = t; }
    void SetVisible(bool v) override { visible = v; }
    int ContainerWidth() const override { return containerWidth; }
};

struct PlainControlArray final : intro::IntroControlArray {
    std::vector<std::unique_ptr<PlainControl>> items;
    PlainControlArray() { items.push_back(std::make_unique<PlainControl>()); }
    std::size_t Count() const override { return items.size(); }
    intro::IntroControl& Item(std::size_t i) override { return *items.at(i); }
    intro::IntroControl& Load(std::size_t i) override {
        while (items.size() <= i) {
            items.push_back(std::make_unique<PlainControl>(*items.front()));
            items.back()->visible = false;
        }
        return *items[i];
    }
    PlainControl& at(std::size_t i) { return *items.at(i); }
};

} // namespace qs::test
