#pragma once
// Animation steps of the about window, in the manner of a home-computer intro.
// Each step does one frame of work on a control seen through IntroControl, and
// keeps its per-control state (direction, colour index) in the control's tag as
// "key=value" entries separated by "|". Positions and steps are in twips.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qs::intro {

// Colours are packed as red + 256 * green + 65536 * blue.
using Color = std::uint32_t;
using ColorRamp = std::vector<Color>;

// What the steps need of a window control.
class IntroControl {
  public:
    virtual ~IntroControl() = default;
    virtual int Top() const = 0;
    virtual void SetTop(int twips) = 0;
    virtual int Left() const = 0;
    virtual void SetLeft(int twips) = 0;
    virtual int Width() const = 0;
    virtual void SetWidth(int twips) = 0;
    virtual int Height() const = 0;
    virtual void SetHeight(int twips) = 0;
    virtual Color ForeColor() const = 0;
    virtual void SetForeColor(Color color) = 0;
    // Setting the caption of a label resizes it to fit the text.
    virtual std::string Caption() const = 0;
    virtual void SetCaption(const std::string& text) = 0;
    virtual std::string Tag() const = 0;
    virtual void SetTag(const std::string& tag) = 0;
    virtual void SetVisible(bool visible) = 0;
    // Width of the control that holds this one.
    virtual int ContainerWidth() const = 0;
    virtual void Refresh() {}
};

// A control array: element 0 always exists, further elements are made on demand.
class IntroControlArray {
  public:
    virtual ~IntroControlArray() = default;
    virtual std::size_t Count() const = 0;
    virtual IntroControl& Item(std::size_t index) = 0;
    // Element `index`, created (as a copy of element 0's kind) when missing.
    virtual IntroControl& Load(std::size_t index) = 0;
};

// The value (lower case) of the first entry that starts with key + "=", or "".
std::string GetTagValue(const IntroControl& control, const std::string& key);
// Rewrites the tag in lower case with `key=value` (key as passed) set.
void SetTagValue(IntroControl& control, const std::string& key, const std::string& value);

// One step between two Top positions; answers the signed step taken.
int BounceVertical(IntroControl& control, int upperLimit, int lowerLimit, int step);
// One step between two Left positions; answers the signed step taken.
int BounceHorizontal(IntroControl& control, int leftLimit, int rightLimit, int step);

struct RgbParts {
    int red = 0;
    int green = 0;
    int blue = 0;
};
RgbParts SplitColor(Color color);
Color PackColor(int red, int green, int blue);

// A hold of `holdStart` + 1 entries on `start`, a linear fade whose last entry is
// exactly `end`, then `holdEnd` entries of `end`: steps + holdStart + holdEnd entries.
ColorRamp BuildColorRamp(Color start, Color end, int steps, int holdEnd, int holdStart);

// One step of the label's text colour forwards and backwards through the ramp.
void CycleForeColor(IntroControl& label, const ColorRamp& ramp);
// The next of `texts` as caption, when the colour cycle is back at index 0.
void NextAltCaption(IntroControl& label, const std::vector<std::string>& texts);

inline constexpr std::size_t kLabelCharacters = 255;
// Lays `text` into labels of at most 255 characters side by side inside `panel`.
void BuildScrollLabels(IntroControlArray& labels, const std::string& text, IntroControl& panel);
// Moves the panel left by `step`; once it is out on the left it re-enters on the right.
void ScrollPanelLeft(IntroControl& panel, int step);
// Every element above 0 takes the text colour of element 0.
void CopyForeColor(IntroControlArray& labels);

} // namespace qs::intro
