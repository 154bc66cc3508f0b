#include "intro/IntroEffects.h"

#include "common/Text.h"

#include <algorithm>
#include <cmath>

namespace qs::intro {

namespace {

std::string lowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

std::vector<std::string> tagEntries(const IntroControl& control) {
    std::vector<std::string> entries;
    const std::string tag = lowerAscii(control.Tag());
    if (tag.empty())
        return entries;
    std::size_t start = 0;
    for (;;) {
        const std::size_t bar = tag.find('|', start);
        entries.push_back(
            tag.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos)
            return entries;
        start = bar + 1;
    }
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

int tagNumber(const std::string& value) {
    return qs::ParseInteger(value, qs::NumberSyntax::Leading);
}

int clampComponent(double value) {
    return static_cast<int>(std::clamp(value, 0.0, 255.0));
}

} // namespace

std::string GetTagValue(const IntroControl& control, const std::string& key) {
    const std::string prefix = lowerAscii(key) + "=";
    for (const std::string& entry : tagEntries(control)) {
        if (startsWith(entry, prefix))
            return entry.substr(entry.find('=') + 1);
    }
    return {};
}

void SetTagValue(IntroControl& control, const std::string& key, const std::string& value) {
    const std::string prefix = lowerAscii(key) + "=";
    std::string tag;
    bool found = false;
    for (const std::string& entry : tagEntries(control)) {
        if (startsWith(entry, prefix)) {
            tag += key + "=" + value;
            found = true;
        } else {
            tag += entry;
        }
        tag += '|';
    }
    if (!found)
        tag += key + "=" + value + "|";
    tag.pop_back();
    control.SetTag(tag);
}

int BounceVertical(IntroControl& control, int upperLimit, int lowerLimit, int step) {
    if (GetTagValue(control, "DIRECTION").empty())
        SetTagValue(control, "DIRECTION", "D");
    const int signedStep = GetTagValue(control, "DIRECTION") == "u" ? -step : step;
    control.SetTop(control.Top() + signedStep);
    if (control.Top() > lowerLimit)
        SetTagValue(control, "DIRECTION", "U");
    else if (control.Top() < upperLimit)
        SetTagValue(control, "DIRECTION", "D");
    return signedStep;
}

int BounceHorizontal(IntroControl& control, int leftLimit, int rightLimit, int step) {
    if (GetTagValue(control, "DIRLR").empty())
        SetTagValue(control, "DIRLR", "R");
    const int signedStep = GetTagValue(control, "DIRLR") == "l" ? -step : step;
    control.SetLeft(control.Left() + signedStep);
    if (control.Left() > rightLimit)
        SetTagValue(control, "DIRLR", "L");
    else if (control.Left() < leftLimit)
        SetTagValue(control, "DIRLR", "R");
    return signedStep;
}

RgbParts SplitColor(Color color) {
    return {static_cast<int>(color & 0xFFu), static_cast<int>((color & 0xFF00u) >> 8),
            static_cast<int>((color & 0xFF0000u) >> 16)};
}

Color PackColor(int red, int green, int blue) {
    const auto part = [](int v) { return static_cast<Color>(std::clamp(v, 0, 255)); };
    return part(red) | (part(green) << 8) | (part(blue) << 16);
}

ColorRamp BuildColorRamp(Color start, Color end, int steps, int holdEnd, int holdStart) {
    const int count = steps + holdStart;
    if (count <= 0)
        return ColorRamp(static_cast<std::size_t>(std::max(holdEnd, 0)), end);
    const RgbParts s = SplitColor(start);
    const RgbParts e = SplitColor(end);
    // Rounded half to even, as the increments have always been.
    const auto increment = [count](int from, int to) {
        return std::nearbyint(static_cast<double>(to - from) / count);
    };
    const double incRed = increment(s.red, e.red);
    const double incGreen = increment(s.green, e.green);
    const double incBlue = increment(s.blue, e.blue);

    ColorRamp ramp(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        Color entry = 0;
        if (i <= holdStart)
            entry = start;
        else if (i == count - 1)
            entry = end;
        else
            entry = PackColor(clampComponent(s.red + incRed * i),
                              clampComponent(s.green + incGreen * i),
                              clampComponent(s.blue + incBlue * i));
        ramp[static_cast<std::size_t>(i)] = entry;
    }
    if (holdEnd >= 1)
        ramp.insert(ramp.end(), static_cast<std::size_t>(holdEnd), end);
    return ramp;
}

void CycleForeColor(IntroControl& label, const ColorRamp& ramp) {
    if (ramp.empty())
        return;
    if (GetTagValue(label, "COLINDEX").empty())
        SetTagValue(label, "COLINDEX", "0");
    if (GetTagValue(label, "COLDIR").empty())
        SetTagValue(label, "COLDIR", "1");
    const int last = static_cast<int>(ramp.size()) - 1;
    // A tag written by someone else must not send us outside the ramp.
    const int index = std::clamp(tagNumber(GetTagValue(label, "COLINDEX")), 0, last);
    int step = tagNumber(GetTagValue(label, "COLDIR"));

    const Color wanted = ramp[static_cast<std::size_t>(index)];
    if (label.ForeColor() != wanted)
        label.SetForeColor(wanted);
    if (index == last)
        step = -1;
    else if (index == 0)
        step = 1;
    if (last == 0)
        step = 0;
    SetTagValue(label, "COLINDEX", std::to_string(index + step));
    SetTagValue(label, "COLDIR", std::to_string(step));
    label.Refresh();
}

void NextAltCaption(IntroControl& label, const std::vector<std::string>& texts) {
    if (texts.empty() || tagNumber(GetTagValue(label, "COLINDEX")) != 0)
        return;
    int next = tagNumber(GetTagValue(label, "ALTIDX"));
    if (next < 0 || static_cast<std::size_t>(next) >= texts.size())
        next = 0;
    label.SetCaption(texts[static_cast<std::size_t>(next)]);
    ++next;
    if (static_cast<std::size_t>(next) >= texts.size())
        next = 0;
    SetTagValue(label, "ALTIDX", std::to_string(next));
}

void BuildScrollLabels(IntroControlArray& labels, const std::string& text, IntroControl& panel) {
    const std::size_t pieces = text.size() / kLabelCharacters + 1;
    labels.Item(0).SetTop(0);
    int total = 0;
    for (std::size_t k = 0; k < pieces; ++k) {
        IntroControl& label = k == 0 ? labels.Item(0) : labels.Load(k);
        const std::size_t from = kLabelCharacters * k;
        label.SetCaption(from < text.size() ? text.substr(from, kLabelCharacters) : std::string());
        label.SetVisible(true);
        if (k > 0) {
            const IntroControl& before = labels.Item(k - 1);
            label.SetTop(before.Top());
            label.SetLeft(before.Left() + before.Width());
        }
        total += label.Width();
    }
    panel.SetHeight(labels.Item(0).Height());
    panel.SetWidth(total + 10);
}

void ScrollPanelLeft(IntroControl& panel, int step) {
    panel.SetLeft(panel.Left() - step);
    if (panel.Left() + panel.Width() < 0)
        panel.SetLeft(panel.ContainerWidth() + 3 * step);
}

void CopyForeColor(IntroControlArray& labels) {
    const Color color = labels.Item(0).ForeColor();
    for (std::size_t i = 1; i < labels.Count(); ++i)
        labels.Item(i).SetForeColor(color);
}

} // namespace qs::intro
